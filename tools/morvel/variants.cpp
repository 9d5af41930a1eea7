#include "variants.h"

#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <unordered_map>
#include <vector>

#include "dna.h"
#include "morvel.h"
#include "protein.h"
#include "tool.h"
#include "vcf.h"

namespace {

// Features are found through bins of 1024 positions: each bin lists, in
// feature-table order, the features whose certain ranges reach into it.
constexpr int kBinShift = 10;

// A certain range of a CDS, clipped to the record, with the index (in
// reading order along the CDS) of the first base it contributes.
struct Segment {
  int lo = 0, hi = 0;
  bool comp = false;
  int offset = 0;
};

// A certain range of a feature as the overlap test reads it, in a list
// sorted by `lo`; `reach` is the largest `hi` of this range and those before.
struct Reach {
  int lo = 0, reach = 0;
};

struct Feature {
  std::string key;
  std::string name;  // /locus_tag, else /gene, else "-", escaped for INFO
  char strand = '+';
  LocPtr loc;
  // Whether a variant touches the feature takes a binary search, however
  // many ranges its join has.
  std::vector<Reach> reaches;
  // CDS only.
  std::vector<Segment> segments;
  std::vector<Segment> by_position;  // the segments sorted by `lo` when none overlap, else empty
  int cds_length = 0;
  const GeneticCode* code = nullptr;
  int codon_start = 1;
  bool partial5 = false;  // the 5' end is open ("<" on the plus strand)
};

// A record that some CHROM names: what the annotation needs of it.
struct Genome {
  std::string residues;  // position p at index p - 1
  std::vector<Feature> features;
  std::vector<std::uint32_t> bin_start;  // bin b lists bin_items[bin_start[b] .. bin_start[b + 1])
  std::vector<std::uint32_t> bin_items;
  // Its SNVs in the sorted list: those of positions b * 64 + 1 .. (b + 1) *
  // 64 from snv_start[b] on.
  std::vector<std::uint32_t> snv_start;
  int length() const { return static_cast<int>(residues.size()); }
};

constexpr int kSnvShift = 6;

// An SNV of the VCF (one REF base, one ALT base), indexed by record and
// position so that the SNVs sharing a codon are found.
struct Snv {
  std::uint32_t record = 0;  // CHROM id while the VCF is read, then genome index
  int pos = 0;
  char ref = 0, alt = 0;
};

bool SnvBefore(const Snv& a, const Snv& b) {
  return a.record != b.record ? a.record < b.record : a.pos < b.pos;
}

struct Qualifiers {
  std::string locus_tag, gene;
  bool has_locus_tag = false, has_gene = false;
  int table = 1;
  int codon_start = 1;
};

// A base change on the plus strand.
struct Change {
  int pos;
  char base;  // upper case
};

}  // namespace

struct Annotator {
  // The VCF and what its first reading found.
  std::string path;
  bool in_memory = false;  // a pipe: its text is kept for the second reading
  std::string text;
  std::unordered_map<std::string, std::uint32_t> chroms;  // CHROM -> id
  std::vector<int> chrom_genome;                          // id -> genome, -1 for none
  std::vector<Snv> snvs;
  int samples = 0;

  // The record being scanned.
  std::vector<std::string> names;  // LOCUS name, accessions, version with and without ".N"
  Qualifiers pending;              // of the open feature
  std::vector<Feature> features;

  std::vector<Genome> genomes;
  long long mismatches = 0;
  long long unknown = 0;
  long long variants = 0;  // data lines
  std::vector<Change> group;  // scratch: the SNVs of one codon
};

namespace {

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsBase(char c) {
  c = Upper(c);
  return c == 'A' || c == 'C' || c == 'G' || c == 'T' || c == 'N';
}

bool AllBases(std::string_view s) { return !s.empty() && std::all_of(s.begin(), s.end(), IsBase); }

bool SameBases(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Upper(a[i]) != Upper(b[i])) return false;
  }
  return true;
}

// A small positive number such as "11" of /transl_table=11; 0 otherwise.
int SmallNumber(std::string_view text) {
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9' || value > 1000) return 0;
    value = value * 10 + (c - '0');
  }
  return value;
}

// INFO values may not hold white space, ";", "=" or ","; "|" separates the
// fields of a GBCSQ value. Such bytes (and "%" itself) are percent-encoded.
std::string EscapeInfo(std::string_view text) {
  std::string out;
  for (char c : text) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u <= ' ' || u >= 0x7f || c == ';' || c == '=' || c == ',' || c == '|' || c == '%') {
      static const char hex[] = "0123456789ABCDEF";
      out += '%';
      out += hex[u >> 4];
      out += hex[u & 15];
    } else {
      out += c;
    }
  }
  return out;
}

// Clipped span of a range in a record of `length` positions; lo > hi when empty.
void Span(const Range& r, int length, int& lo, int& hi) {
  lo = r.start == kOpenStart ? 1 : std::max(r.start, 1);
  hi = r.end == kOpenEnd ? length : std::min(r.end, length);
}

// Whether the CDS's 5' end is open: "<" before its first plus-strand range,
// ">" after its first complement range.
bool OpenFivePrime(const Loc& loc) {
  const Range& first = loc.certain.front();
  if (first.comp == 0) {
    if (first.start == kOpenStart) return true;
    for (const Range& u : loc.uncertain)
      if (u.start == kOpenStart && u.end == first.start - 1) return true;
  } else {
    if (first.end == kOpenEnd) return true;
    for (const Range& u : loc.uncertain)
      if (u.end == kOpenEnd && u.start == first.end + 1) return true;
  }
  return false;
}

void MakeSegments(Feature& f, int length) {
  int offset = 0;
  for (const Range& r : f.loc->certain) {
    int lo, hi;
    Span(r, length, lo, hi);
    if (lo > hi) continue;
    f.segments.push_back({lo, hi, r.comp != 0, offset});
    offset += hi - lo + 1;
  }
  f.cds_length = offset;
  f.by_position = f.segments;
  std::sort(f.by_position.begin(), f.by_position.end(), [](const Segment& a, const Segment& b) { return a.lo < b.lo; });
  for (std::size_t i = 1; i < f.by_position.size(); ++i) {
    if (f.by_position[i].lo <= f.by_position[i - 1].hi) {
      f.by_position.clear();  // overlapping segments: the first in reading order counts
      break;
    }
  }
}

// The certain ranges as InLocRange tests them: an open start is 1, an open
// end reaches every later position.
void MakeReaches(Feature& f) {
  for (const Range& r : f.loc->certain)
    f.reaches.push_back({r.start == kOpenStart ? 1 : r.start, r.end == kOpenEnd ? INT_MAX : r.end});
  std::sort(f.reaches.begin(), f.reaches.end(), [](const Reach& a, const Reach& b) { return a.lo < b.lo; });
  for (std::size_t i = 1; i < f.reaches.size(); ++i)
    f.reaches[i].reach = std::max(f.reaches[i].reach, f.reaches[i - 1].reach);
}

// Whether a certain range of the feature overlaps from..to (from <= to):
// InLocRange giving 1 or -1.
bool Touches(const Feature& f, int from, int to) {
  auto end = std::upper_bound(f.reaches.begin(), f.reaches.end(), to,
                              [](int at, const Reach& r) { return at < r.lo; });
  return end != f.reaches.begin() && (end - 1)->reach >= from;
}

// The bins of every feature, features in table order within each bin.
void MakeBins(Genome& g) {
  std::size_t bins = g.length() > 0 ? ((static_cast<std::size_t>(g.length()) - 1) >> kBinShift) + 1 : 0;
  std::vector<std::uint32_t> count(bins + 1, 0), last(bins, UINT32_MAX);
  auto each_bin = [&](auto&& visit) {
    for (std::uint32_t i = 0; i < g.features.size(); ++i) {
      for (const Range& r : g.features[i].loc->certain) {
        int lo, hi;
        Span(r, g.length(), lo, hi);
        if (lo > hi) continue;
        for (int b = (lo - 1) >> kBinShift; b <= (hi - 1) >> kBinShift; ++b) {
          if (last[b] == i) continue;
          last[b] = i;
          visit(static_cast<std::size_t>(b), i);
        }
      }
    }
  };
  each_bin([&](std::size_t b, std::uint32_t) { ++count[b + 1]; });
  for (std::size_t b = 0; b < bins; ++b) count[b + 1] += count[b];
  g.bin_start = count;
  g.bin_items.resize(count[bins]);
  std::fill(last.begin(), last.end(), UINT32_MAX);
  each_bin([&](std::size_t b, std::uint32_t i) { g.bin_items[count[b]++] = i; });
}

// The features (other than source) with a certain range over a..b, in
// feature-table order.
void CoveringFeatures(const Genome& g, long long a, long long b, std::vector<std::uint32_t>& out) {
  out.clear();
  if (a > g.length() || b < 1) return;
  int first = static_cast<int>(std::max(a, 1LL) - 1) >> kBinShift;
  int last = static_cast<int>(std::min<long long>(b, g.length()) - 1) >> kBinShift;
  for (int bin = first; bin <= last; ++bin) {
    for (std::uint32_t k = g.bin_start[bin]; k < g.bin_start[bin + 1]; ++k) out.push_back(g.bin_items[k]);
  }
  if (last > first) {
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
  }
  int from = static_cast<int>(a), to = static_cast<int>(std::min<long long>(b, INT_MAX));
  out.erase(std::remove_if(out.begin(), out.end(), [&](std::uint32_t i) { return !Touches(g.features[i], from, to); }),
            out.end());
}

// ---------------------------------------------------------------------------
// Codons

// The index of a position along the CDS in reading order; -1 outside it.
int CdsIndex(const Feature& f, int pos) {
  auto index = [pos](const Segment& s) { return s.offset + (s.comp ? s.hi - pos : pos - s.lo); };
  if (!f.by_position.empty()) {
    auto end = std::upper_bound(f.by_position.begin(), f.by_position.end(), pos,
                                [](int at, const Segment& s) { return at < s.lo; });
    return end != f.by_position.begin() && pos <= (end - 1)->hi ? index(*(end - 1)) : -1;
  }
  for (const Segment& s : f.segments) {
    if (pos >= s.lo && pos <= s.hi) return index(s);
  }
  return -1;
}

// The record position of a CDS index, and whether it is read on the minus strand.
int CdsPos(const Feature& f, int index, bool& comp) {
  auto after = std::upper_bound(f.segments.begin(), f.segments.end(), index,
                                [](int at, const Segment& s) { return at < s.offset; });
  const Segment* seg = after == f.segments.begin() ? &f.segments.front() : &*(after - 1);
  comp = seg->comp;
  return comp ? seg->hi - (index - seg->offset) : seg->lo + (index - seg->offset);
}

// The codon (0-based, counted from /codon_start) holding a CDS index; -1
// for the bases before /codon_start and those of an incomplete last codon.
int CodonOf(const Feature& f, int index) {
  int skip = f.codon_start - 1;
  if (index < skip) return -1;
  int codon = (index - skip) / 3;
  return skip + 3 * codon + 2 < f.cds_length ? codon : -1;
}

enum class Effect { synonymous, missense, stop_lost, stop_gained, start_lost, complex };

const char* EffectName(Effect e) {
  switch (e) {
    case Effect::synonymous: return "synonymous";
    case Effect::missense: return "missense";
    case Effect::stop_lost: return "stop_lost";
    case Effect::stop_gained: return "stop_gained";
    case Effect::start_lost: return "start_lost";
    case Effect::complex: break;
  }
  return "complex";
}

// EFFECT|CODON|PROTEIN of base changes (by ascending position) inside a
// CDS. The codons from the first to the last changed one are shown; changed
// bases in capitals.
void CodingChange(const Genome& g, const Feature& f, const std::vector<Change>& changes, std::string& value) {
  int first = INT_MAX, last = -1;
  for (const Change& c : changes) {
    int index = CdsIndex(f, c.pos);
    int codon = index < 0 ? -1 : CodonOf(f, index);
    if (codon < 0) {
      value += "complex||";  // a change outside the CDS or outside its complete codons
      return;
    }
    first = std::min(first, codon);
    last = std::max(last, codon);
  }
  std::string ref, alt, ref_amino, alt_amino;
  Effect effect = Effect::synonymous;
  for (int codon = first; codon <= last; ++codon) {
    char r[3], a[3];
    for (int j = 0; j < 3; ++j) {
      bool comp;
      int pos = CdsPos(f, f.codon_start - 1 + 3 * codon + j, comp);
      auto strand = [comp](char c) { return comp ? static_cast<char>(DNAcomplement(c)) : c; };
      r[j] = a[j] = Lower(strand(g.residues[pos - 1]));
      auto c = std::lower_bound(changes.begin(), changes.end(), pos,
                                [](const Change& change, int p) { return change.pos < p; });
      if (c != changes.end() && c->pos == pos) {
        r[j] = Upper(r[j]);
        a[j] = Upper(strand(c->base));
      }
    }
    ref.append(r, 3);
    alt.append(a, 3);
    char ra = TranslateCodon(*f.code, r[0], r[1], r[2]);
    char aa = TranslateCodon(*f.code, a[0], a[1], a[2]);
    Effect e = ra == aa ? Effect::synonymous : Effect::missense;
    if (codon == 0 && f.codon_start == 1 && !f.partial5 && IsStartCodon(*f.code, r[0], r[1], r[2])) {
      ra = 'M';  // an alternative start codon reads as methionine
      aa = IsStartCodon(*f.code, a[0], a[1], a[2]) ? 'M' : '?';
      e = aa == 'M' ? Effect::synonymous : Effect::start_lost;
    } else if (ra != '*' && aa == '*') {
      e = Effect::stop_gained;
    } else if (ra == '*' && aa != '*') {
      e = Effect::stop_lost;
    }
    if (ra == 'X' || aa == 'X') e = Effect::complex;
    effect = std::max(effect, e);
    ref_amino += ra;
    alt_amino += aa;
  }
  value += EffectName(effect);
  value += '|';
  value += ref;
  value += '>';
  value += alt;
  value += '|';
  value += ref_amino;
  char number[24];
  value.append(number, FormatInt(number, first + 1, 0));
  value += alt_amino;
}

// Whether record positions a..b lie along the CDS without a gap, in either
// reading direction.
bool Contiguous(const Feature& f, int a, int b) {
  int prev = CdsIndex(f, a);
  if (prev < 0) return false;
  for (int p = a + 1; p <= b; ++p) {
    int index = CdsIndex(f, p);
    if (index < 0 || (index != prev + 1 && index != prev - 1)) return false;
    prev = index;
  }
  return true;
}

// EFFECT|| of an insertion or deletion: its REF and ALT trimmed of the bases
// they share at both ends leave the deleted bases and the inserted ones.
void IndelChange(const Feature& f, int pos, std::string_view ref, std::string_view alt, std::string& value) {
  std::size_t pre = 0;
  while (pre < ref.size() && pre < alt.size() && Upper(ref[pre]) == Upper(alt[pre])) ++pre;
  std::size_t suf = 0;
  while (suf < ref.size() - pre && suf < alt.size() - pre &&
         Upper(ref[ref.size() - 1 - suf]) == Upper(alt[alt.size() - 1 - suf]))
    ++suf;
  long long deleted = static_cast<long long>(ref.size() - pre - suf);
  long long inserted = static_cast<long long>(alt.size() - pre - suf);
  long long from = pos + static_cast<long long>(pre);  // first deleted base, or the base after an insertion
  bool inside = deleted > 0 ? from + deleted - 1 <= INT_MAX &&
                                  Contiguous(f, static_cast<int>(from), static_cast<int>(from + deleted - 1))
                            : from - 1 >= 1 && from <= INT_MAX &&
                                  Contiguous(f, static_cast<int>(from - 1), static_cast<int>(from));
  if (!inside) {
    value += "complex||";
  } else {
    value += (inserted - deleted) % 3 != 0 ? "frameshift||" : "inframe_indel||";
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// Scanner hooks

void VariantsHeaderLine(Annotator& an, std::string_view line) {
  std::size_t at = 0;
  NextWord(line, at);  // the keyword
  if (StartsWith(line, "LOCUS ")) {
    an.names.clear();
    an.features.clear();
    an.pending = Qualifiers();
    std::string_view name = NextWord(line, at);
    if (!name.empty()) an.names.emplace_back(name);
  } else if (StartsWith(line, "ACCESSION ")) {
    for (std::string_view word = NextWord(line, at); !word.empty(); word = NextWord(line, at))
      an.names.emplace_back(word);
  } else if (StartsWith(line, "VERSION ")) {
    std::string_view version = NextWord(line, at);
    if (version.empty()) return;
    an.names.emplace_back(version);
    std::size_t dot = version.rfind('.');
    if (dot != std::string_view::npos && dot > 0) an.names.emplace_back(version.substr(0, dot));
  }
}

void VariantsQualifier(Annotator& an, std::string_view line) {
  std::size_t at = 0;
  while (at < line.size() && IsSpace(line[at])) ++at;
  if (at == line.size() || line[at] != '/') return;
  std::string_view text = line.substr(at + 1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  std::size_t eq = text.find('=');
  std::string_view name = text.substr(0, eq);
  std::string_view value = eq == std::string_view::npos ? std::string_view() : text.substr(eq + 1);
  if (!value.empty() && value.front() == '"') {
    value.remove_prefix(1);
    if (!value.empty() && value.back() == '"') value.remove_suffix(1);
  }
  Qualifiers& q = an.pending;
  if (name == "locus_tag" && !q.has_locus_tag) {
    q.locus_tag = value;
    q.has_locus_tag = true;
  } else if (name == "gene" && !q.has_gene) {
    q.gene = value;
    q.has_gene = true;
  } else if (name == "transl_table") {
    q.table = SmallNumber(value);
  } else if (name == "codon_start") {
    q.codon_start = SmallNumber(value);
  }
}

void VariantsFeature(Annotator& an, const std::string& key, LocPtr loc) {
  Qualifiers q = std::move(an.pending);
  an.pending = Qualifiers();
  if (!loc || loc->certain.empty() || key == "source") return;
  Feature f;
  f.key = EscapeInfo(key);
  f.name = EscapeInfo(!q.locus_tag.empty() ? q.locus_tag : !q.gene.empty() ? q.gene : std::string("-"));
  f.strand = loc->certain.front().comp ? '-' : '+';
  if (key == "CDS") {
    // An unknown table number is read with the standard code.
    f.code = FindGeneticCode(q.table);
    if (!f.code) f.code = FindGeneticCode(1);
    f.codon_start = q.codon_start >= 1 && q.codon_start <= 3 ? q.codon_start : 1;
    f.partial5 = OpenFivePrime(*loc);
  }
  f.loc = std::move(loc);
  an.features.push_back(std::move(f));
}

void VariantsRecordEnd(Annotator& an, std::string_view residues) {
  int genome = -1;
  for (const std::string& name : an.names) {
    auto it = an.chroms.find(name);
    if (it == an.chroms.end() || an.chrom_genome[it->second] >= 0) continue;
    if (genome < 0) genome = static_cast<int>(an.genomes.size());
    an.chrom_genome[it->second] = genome;  // the first record that a CHROM names
  }
  if (genome >= 0) {
    Genome g;
    g.residues = residues;
    g.features = std::move(an.features);
    for (Feature& f : g.features) {
      MakeReaches(f);
      if (f.code) MakeSegments(f, g.length());
    }
    MakeBins(g);
    an.genomes.push_back(std::move(g));
  }
  an.features.clear();
  an.names.clear();
  an.pending = Qualifiers();
}

namespace {

// ---------------------------------------------------------------------------
// Reading the VCF

bool VcfError(long long line) {
  std::fprintf(stderr, "morvel: Error in VCF file, line %lld\n", line);
  return false;
}

// Opens the VCF for one of its two readings.
bool OpenVcf(Annotator& an, Input& in, bool first) {
  if (!first) {
    if (an.in_memory) {
      in.UseMemory(an.text);
      return true;
    }
    return OpenInput(in, "morvel", an.path.c_str());
  }
  struct stat st;
  if (stat(an.path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return OpenInput(in, "morvel", an.path.c_str());
  Input pipe;
  if (!OpenInput(pipe, "morvel", an.path.c_str())) return false;
  std::optional<std::string> all = GetFile(pipe);
  bool failed = pipe.Failed();
  if (!pipe.IsStdin()) pipe.Close();
  if (failed) {
    std::fprintf(stderr, "morvel: Error in reading file '%s'\n", an.path.c_str());
    return false;
  }
  an.in_memory = true;
  an.text = all ? std::move(*all) : std::string();
  in.UseMemory(an.text);
  return true;
}

bool CloseVcf(const Annotator& an, Input& in, bool ok) {
  if (in.Failed()) {
    std::fprintf(stderr, "morvel: Error in reading file '%s'\n", an.path.c_str());
    ok = false;
  }
  if (!an.in_memory && !in.Close() && ok) {
    std::fprintf(stderr, "morvel: Error in closing file '%s'\n", an.path.c_str());
    ok = false;
  }
  return ok;
}

bool IsSnv(std::string_view ref, std::string_view alt) {
  return ref.size() == 1 && alt.size() == 1 && IsBase(ref[0]) && IsBase(alt[0]);
}

// The first reading: the layout is checked, the CHROM names gathered and the
// SNVs listed.
bool ReadVcfIndex(Annotator& an, Input& in) {
  std::string line, last_chrom;
  std::uint32_t last_id = 0;
  bool have_last = false;
  long long n = 0;
  bool header = true;
  while (GetLine(in, line)) {
    ++n;
    if (header) {
      if (StartsWith(line, "#CHROM")) {
        header = false;
        an.samples = CountSamples(line);
      } else if (!StartsWith(line, "##")) {
        return VcfError(n);
      }
      continue;
    }
    VcfLine f;
    int pos;
    if (!SplitVcfLine(line, f) || !ReadVcfPos(f.pos, pos)) return VcfError(n);
    if (!have_last || f.chrom != last_chrom) {
      have_last = true;
      auto [it, added] = an.chroms.try_emplace(std::string(f.chrom), static_cast<std::uint32_t>(an.chroms.size()));
      last_chrom = f.chrom;
      last_id = it->second;
    }
    if (IsSnv(f.ref, f.alt)) an.snvs.push_back({last_id, pos, Upper(f.ref[0]), Upper(f.alt[0])});
  }
  if (in.Failed()) return false;
  if (header) return VcfError(n + 1);
  an.chrom_genome.assign(an.chroms.size(), -1);
  return true;
}

// After the GenBank input: the SNVs of named records whose REF matches, by
// genome and position, with each genome's index of them.
void IndexSnvs(Annotator& an) {
  std::size_t kept = 0;
  for (const Snv& s : an.snvs) {
    int genome = an.chrom_genome[s.record];
    if (genome < 0) continue;
    const std::string& residues = an.genomes[genome].residues;
    if (s.pos < 1 || s.pos > static_cast<int>(residues.size()) || Upper(residues[s.pos - 1]) != s.ref) continue;
    Snv& t = an.snvs[kept++];
    t = s;
    t.record = static_cast<std::uint32_t>(genome);
  }
  an.snvs.resize(kept);
  an.snvs.shrink_to_fit();
  std::sort(an.snvs.begin(), an.snvs.end(), [](const Snv& a, const Snv& b) { return SnvBefore(a, b); });
  std::size_t at = 0;
  for (std::uint32_t g = 0; g < an.genomes.size(); ++g) {
    std::vector<std::uint32_t>& start = an.genomes[g].snv_start;
    std::size_t buckets = (static_cast<std::size_t>(an.genomes[g].length()) >> kSnvShift) + 1;
    start.resize(buckets + 1);
    for (std::size_t b = 0; b <= buckets; ++b) {
      while (at < an.snvs.size() && an.snvs[at].record == g &&
             static_cast<std::size_t>(an.snvs[at].pos - 1) >> kSnvShift < b)
        ++at;
      start[b] = static_cast<std::uint32_t>(at);
    }
    while (at < an.snvs.size() && an.snvs[at].record == g) ++at;
  }
}

// ---------------------------------------------------------------------------
// Annotating and writing

struct Variant {
  const Genome* genome;
  std::uint32_t genome_index;
  int pos;
  std::string_view ref, alt;  // alt: one allele
  bool multiallelic;
};

bool RefMatches(const Genome& g, int pos, std::string_view ref) {
  if (pos < 1 || static_cast<long long>(pos) + static_cast<long long>(ref.size()) - 1 > g.length()) return false;
  return SameBases(ref, std::string_view(g.residues).substr(static_cast<std::size_t>(pos) - 1, ref.size()));
}

// The SNVs (with matching REF) in the codon `codon` of the CDS, by
// position. `duplicate`: two of them share a position.
void SnvsInCodon(const Annotator& an, const Variant& v, const Feature& f, int codon, std::vector<Change>& found,
                 bool& duplicate) {
  found.clear();
  duplicate = false;
  int pos[3];
  for (int j = 0; j < 3; ++j) {
    bool comp;
    pos[j] = CdsPos(f, f.codon_start - 1 + 3 * codon + j, comp);
  }
  std::sort(pos, pos + 3);
  const std::vector<std::uint32_t>& start = v.genome->snv_start;
  for (int j = 0; j < 3; ++j) {
    if (j > 0 && pos[j] == pos[j - 1]) continue;
    std::size_t bucket = static_cast<std::size_t>(pos[j] - 1) >> kSnvShift;
    int here = 0;
    for (std::uint32_t k = start[bucket]; k < start[bucket + 1] && an.snvs[k].pos <= pos[j]; ++k) {
      if (an.snvs[k].pos != pos[j]) continue;
      found.push_back({pos[j], an.snvs[k].alt});
      ++here;
    }
    duplicate = duplicate || here > 1;
  }
}

// EFFECT|CODON|PROTEIN (and the seventh field) of one allele in a CDS.
void CdsValue(Annotator& an, const Variant& v, const Feature& f, std::vector<Change>& changes,
              std::string& value) {
  if (!AllBases(v.alt)) {
    value += "complex||";  // a symbolic allele, "*" or "."
    return;
  }
  if (v.ref.size() != v.alt.size()) {
    IndelChange(f, v.pos, v.ref, v.alt, value);
    return;
  }
  changes.clear();
  for (std::size_t i = 0; i < v.ref.size(); ++i) {
    if (Upper(v.ref[i]) != Upper(v.alt[i]))
      changes.push_back({v.pos + static_cast<int>(i), Upper(v.alt[i])});
  }
  if (changes.empty()) changes.push_back({v.pos, Upper(v.alt[0])});  // an allele equal to REF
  const char* shared = nullptr;
  if (v.ref.size() == 1) {
    int index = CdsIndex(f, v.pos);
    int codon = index < 0 ? -1 : CodonOf(f, index);
    if (codon >= 0) {
      std::vector<Change>& group = an.group;
      bool duplicate;
      SnvsInCodon(an, v, f, codon, group, duplicate);
      bool member = !v.multiallelic;  // this SNV is one of the group
      if (group.size() > (member ? 1u : 0u)) {
        if (!member || duplicate || an.samples > 1) {
          shared = "|codon_shared";
        } else {
          shared = "|combined";
          changes = group;
        }
      }
    }
  }
  CodingChange(*v.genome, f, changes, value);
  if (shared) value += shared;
}

// The GBCSQ value of a data line whose CHROM names a record.
void AnnotateLine(Annotator& an, const Genome& g, std::uint32_t genome_index, int pos, const VcfLine& line,
                  std::vector<std::uint32_t>& covering, std::vector<Change>& changes, std::string& value) {
  value.clear();
  bool ref_ok = RefMatches(g, pos, line.ref);
  if (!ref_ok) ++an.mismatches;
  CoveringFeatures(g, pos, static_cast<long long>(pos) + static_cast<long long>(line.ref.size()) - 1, covering);
  if (covering.empty()) {
    value = "intergenic";
    return;
  }
  bool multiallelic = line.alt.find(',') != std::string_view::npos;
  for (std::uint32_t i : covering) {
    const Feature& f = g.features[i];
    for (std::size_t at = 0; at <= line.alt.size();) {
      std::size_t comma = line.alt.find(',', at);
      std::size_t end = comma == std::string_view::npos ? line.alt.size() : comma;
      Variant v{&g, genome_index, pos, line.ref, line.alt.substr(at, end - at), multiallelic};
      at = end + 1;
      if (!value.empty()) value += ',';
      value += f.key;
      value += '|';
      value += f.name;
      value += '|';
      value += f.strand;
      value += '|';
      if (!ref_ok) {
        value += "ref_mismatch||";
      } else if (!f.code) {
        value += "non_coding||";
      } else {
        CdsValue(an, v, f, changes, value);
      }
    }
  }
}

// The second reading: every line written, data lines with their GBCSQ item.
bool WriteAnnotatedVcf(Annotator& an, Input& in, Output& out, std::string_view command) {
  std::string line, value, last_chrom;
  std::vector<std::uint32_t> covering;
  std::vector<Change> changes;
  int genome = -1;
  bool have_last = false;
  long long n = 0;
  bool header = true;
  while (GetLine(in, line)) {
    ++n;
    if (header) {
      if (StartsWith(line, "#CHROM")) {
        header = false;
        out.Write(kGbcsqInfo);
        out.Write("##morvelCommand=");
        out.Write(command);
        out.Put('\n');
        out.Write(line);
      } else if (!IsGbcsqInfoLine(line)) {
        out.Write(line);
      }
      continue;
    }
    VcfLine f;
    int pos;
    if (!SplitVcfLine(line, f) || !ReadVcfPos(f.pos, pos)) return VcfError(n);  // changed since the first reading
    ++an.variants;
    if (!have_last || f.chrom != last_chrom) {
      have_last = true;
      auto it = an.chroms.find(std::string(f.chrom));
      genome = it == an.chroms.end() ? -1 : an.chrom_genome[it->second];
      last_chrom = f.chrom;
    }
    if (genome < 0) {
      ++an.unknown;
      out.Write(line);
      continue;
    }
    AnnotateLine(an, an.genomes[genome], static_cast<std::uint32_t>(genome), pos, f, covering, changes, value);
    WriteVcfLine(out, line, f, value);
  }
  return !in.Failed();
}

}  // namespace

int annotate_variants(const Options& opt, Input& genbank, Output& out, std::string_view command) {
  Annotator an;
  an.path = opt.variants;
  {
    Input vcf;
    if (!OpenVcf(an, vcf, true)) return 1;
    bool ok = ReadVcfIndex(an, vcf);
    if (!CloseVcf(an, vcf, ok)) return 1;
  }
  if (convert(opt, genbank, out, &an) != 0) return 1;
  IndexSnvs(an);
  {
    Input vcf;
    if (!OpenVcf(an, vcf, false)) return 1;
    bool ok = WriteAnnotatedVcf(an, vcf, out, command);
    if (!CloseVcf(an, vcf, ok)) return 1;
  }
  if (an.mismatches > 0 || an.unknown > 0) {
    std::fprintf(stderr,
                 "morvel: Warning: %lld of %lld variants not annotated as given: %lld with a REF that differs "
                 "from the record (ref_mismatch), %lld on a CHROM that names no record (written unchanged)\n",
                 an.mismatches + an.unknown, an.variants, an.mismatches, an.unknown);
  }
  return 0;
}
