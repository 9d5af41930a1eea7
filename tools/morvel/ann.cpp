#include "ann.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "dna.h"
#include "output.h"
#include "protein.h"
#include "scan.h"
#include "vcf.h"

namespace morvel {

namespace {

// Upstream and downstream entries reach this far from a gene.
constexpr long long kReach = 5000;

enum Impact { kHigh, kModerate, kLow, kModifier };

const char* const kImpactName[] = {"HIGH", "MODERATE", "LOW", "MODIFIER"};

// Every term written, with its impact class.
struct Term {
  const char* name;
  Impact impact;
};
constexpr Term kFrameshift{"frameshift_variant", kHigh};
constexpr Term kStopGained{"stop_gained", kHigh};
constexpr Term kStopLost{"stop_lost", kHigh};
constexpr Term kStartLost{"start_lost", kHigh};
constexpr Term kMissense{"missense_variant", kModerate};
constexpr Term kInframeInsertion{"inframe_insertion", kModerate};
constexpr Term kInframeDeletion{"inframe_deletion", kModerate};
constexpr Term kSynonymous{"synonymous_variant", kLow};
constexpr Term kStopRetained{"stop_retained_variant", kLow};
constexpr Term kInitiatorCodon{"initiator_codon_variant", kLow};
constexpr Term kCodingSequence{"coding_sequence_variant", kModifier};
constexpr Term kNonCodingExon{"non_coding_transcript_exon_variant", kModifier};
constexpr Term kExon{"exon_variant", kModifier};
constexpr Term kIntron{"intron_variant", kModifier};
constexpr Term kFivePrimeUtr{"5_prime_UTR_variant", kModifier};
constexpr Term kThreePrimeUtr{"3_prime_UTR_variant", kModifier};
constexpr Term kGeneVariant{"gene_variant", kModifier};
constexpr Term kSequenceFeature{"sequence_feature", kModifier};
constexpr Term kUpstream{"upstream_gene_variant", kModifier};
constexpr Term kDownstream{"downstream_gene_variant", kModifier};
constexpr Term kIntergenic{"intergenic_region", kModifier};

// The terms of one entry, most severe first; at most a handful.
struct Terms {
  Term items[6];
  int count = 0;
  void Add(const Term& t) {
    for (int i = 0; i < count; ++i)
      if (items[i].name == t.name) return;
    if (count < 6) items[count++] = t;
  }
  // A codon left unchanged says nothing beside a changed one.
  void DropSynonymous() {
    if (count < 2) return;
    int kept = 0;
    for (int i = 0; i < count; ++i)
      if (items[i].name != kSynonymous.name) items[kept++] = items[i];
    count = kept;
  }
  Impact Worst() const {
    Impact worst = kModifier;
    for (int i = 0; i < count; ++i) worst = std::min(worst, items[i].impact);
    return worst;
  }
};

enum class Kind { kCds, kRna, kMrna, kGene, kOther };

Kind KindOf(std::string_view key) {
  if (key == "CDS") return Kind::kCds;
  if (key == "tRNA" || key == "rRNA" || key == "ncRNA" || key == "tmRNA" || key == "misc_RNA" ||
      key == "precursor_RNA")
    return Kind::kRna;
  if (key == "mRNA") return Kind::kMrna;
  if (key == "gene") return Kind::kGene;
  return Kind::kOther;
}

// The term of a variant on a feature other than a CDS.
Term FeatureTerm(std::string_view key) {
  switch (KindOf(key)) {
    case Kind::kRna: return kNonCodingExon;
    case Kind::kMrna: return kExon;
    case Kind::kGene: return kGeneVariant;
    default: break;
  }
  if (key == "exon") return kExon;
  if (key == "intron") return kIntron;
  if (key == "5'UTR") return kFivePrimeUtr;
  if (key == "3'UTR") return kThreePrimeUtr;
  return kSequenceFeature;
}

bool IsBase(char c) {
  c = UpperCase(c);
  return c == 'A' || c == 'C' || c == 'G' || c == 'T' || c == 'N';
}

bool AllBases(std::string_view s) { return !s.empty() && std::all_of(s.begin(), s.end(), IsBase); }

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = UpperCase(c);
  return out;
}

// The base at a record position, upper case; 0 outside the record.
char Residue(const Genome& g, long long p) { return p >= 1 && p <= g.length() ? UpperCase(g.residues[p - 1]) : 0; }

// Plus-strand bases read on the feature's strand.
std::string OnStrand(std::string_view plus, bool comp) {
  if (!comp) return std::string(plus);
  std::string out;
  for (auto it = plus.rbegin(); it != plus.rend(); ++it) out += static_cast<char>(DNAcomplement(*it));
  return out;
}

void AppendNumber(std::string& out, long long v) {
  char number[24];
  out.append(number, col::FormatInt(number, v, 0));
}

bool Comp(const IndexedFeature& f) { return f.strand == '-'; }

// The CDS index of a record position; -1 outside the CDS.
int IndexAt(const IndexedFeature& f, long long pos) {
  return pos >= 1 && pos <= INT_MAX ? CdsIndex(f, static_cast<int>(pos)) : -1;
}

// The base of a CDS index on the CDS's strand.
char CdsBase(const Genome& g, const IndexedFeature& f, int index) {
  bool comp;
  int pos = CdsPos(f, index, comp);
  char c = Residue(g, pos);
  return comp ? static_cast<char>(DNAcomplement(c)) : c;
}

// ---------------------------------------------------------------------------
// HGVS c.

// REF>ALT trimmed of their shared ends, on the record: the bases a..b are
// replaced by `ins` (b = a - 1 for an insertion before a).
struct CdsEdit {
  long long a = 0, b = -1;
  std::string del, ins;  // plus strand, upper case
  bool same = false;     // ALT equals REF
  bool dup = false;      // the insertion repeats dup_a..dup_b
  bool shifted = false;  // moved 3' from where the VCF places it
  long long dup_a = 0, dup_b = 0;
};

const CdsSegment* SegmentAt(const IndexedFeature& f, long long pos) {
  for (const CdsSegment& s : f.segments)
    if (pos >= s.lo && pos <= s.hi) return &s;
  return nullptr;
}

// Moves a deletion or an insertion as far 3' along its CDS segment as the
// bases around it allow.
void ShiftThreePrime(const Genome& g, const IndexedFeature& f, CdsEdit& e) {
  if (!e.del.empty()) {
    const CdsSegment* s = SegmentAt(f, e.a);
    if (!s || e.b > s->hi) return;
    if (!s->comp) {
      while (e.b + 1 <= s->hi && Residue(g, e.a) == Residue(g, e.b + 1)) ++e.a, ++e.b;
    } else {
      while (e.a - 1 >= s->lo && Residue(g, e.b) == Residue(g, e.a - 1)) --e.a, --e.b;
    }
    e.del.clear();
    for (long long p = e.a; p <= e.b; ++p) e.del += Residue(g, p);
    return;
  }
  const CdsSegment* s = SegmentAt(f, e.a - 1);
  if (s && !s->comp) {
    for (; e.a <= s->hi && e.ins.front() == Residue(g, e.a); ++e.a) e.ins = e.ins.substr(1) + Residue(g, e.a);
    e.b = e.a - 1;
    return;
  }
  s = SegmentAt(f, e.a);
  if (s && s->comp) {
    for (; e.a - 1 >= s->lo && e.ins.back() == Residue(g, e.a - 1); --e.a)
      e.ins = Residue(g, e.a - 1) + e.ins.substr(0, e.ins.size() - 1);
    e.b = e.a - 1;
  }
}

// Whether an insertion repeats the bases just 5' of it on the CDS's strand.
void FindDup(const Genome& g, const IndexedFeature& f, CdsEdit& e) {
  long long n = static_cast<long long>(e.ins.size());
  long long from = Comp(f) ? e.a : e.a - n;
  for (long long i = 0; i < n; ++i)
    if (Residue(g, from + i) != e.ins[i]) return;
  e.dup = true;
  e.dup_a = from;
  e.dup_b = from + n - 1;
}

bool MakeEdit(const Genome& g, const IndexedFeature& f, int pos, std::string_view ref, std::string_view alt,
              bool shift, CdsEdit& e) {
  if (!AllBases(ref) || !AllBases(alt) || f.segments.empty()) return false;
  auto [pre, suf] = SharedEndsOf(ref, alt);
  if (pre == ref.size() && pre == alt.size()) {
    e.same = true;
    e.a = pos;
    e.b = pos + static_cast<long long>(ref.size()) - 1;
    return true;
  }
  e.a = pos + static_cast<long long>(pre);
  e.del = Upper(ref.substr(pre, ref.size() - pre - suf));
  e.ins = Upper(alt.substr(pre, alt.size() - pre - suf));
  e.b = e.a + static_cast<long long>(e.del.size()) - 1;
  if (shift && e.del.empty() != e.ins.empty()) {
    long long a = e.a;
    ShiftThreePrime(g, f, e);
    e.shifted = e.a != a;
  }
  if (e.del.empty()) FindDup(g, f, e);
  return true;
}

// The c. coordinate of a CDS index: c.1 is the first base of /codon_start.
void AppendIndex(const IndexedFeature& f, int index, std::string& out) {
  int n = index - (f.codon_start - 1);
  if (n >= 0) {
    AppendNumber(out, n + 1);
  } else {
    out += '-';
    AppendNumber(out, -n);
  }
}

// The c. coordinate of a record position: inside the CDS its number,
// before it c.-N, after it c.*N, between its ranges the nearest CDS base
// and the distance from it ("83+2", "84-1").
void AppendCoord(const IndexedFeature& f, long long pos, std::string& out) {
  int index = IndexAt(f, pos);
  if (index >= 0) return AppendIndex(f, index, out);
  long long best = LLONG_MAX;  // offset from the nearest CDS base along the reading direction
  int best_index = 0;
  for (const CdsSegment& s : f.segments) {
    for (int q : {s.lo, s.hi}) {
      long long off = s.comp ? q - pos : pos - q;
      if (std::llabs(off) < std::llabs(best) || (std::llabs(off) == std::llabs(best) && off > 0)) {
        best = off;
        best_index = s.offset + (s.comp ? s.hi - q : q - s.lo);
      }
    }
  }
  if (best_index == 0 && best < 0) {
    out += '-';
    AppendNumber(out, -best + f.codon_start - 1);
  } else if (best_index == f.cds_length - 1 && best > 0) {
    out += '*';
    AppendNumber(out, best);
  } else {
    AppendIndex(f, best_index, out);
    out += best > 0 ? '+' : '-';
    AppendNumber(out, std::llabs(best));
  }
}

// a..b in reading order: "10_12", or "10" for one base.
void AppendRange(const IndexedFeature& f, long long a, long long b, std::string& out) {
  AppendCoord(f, Comp(f) ? b : a, out);
  if (a == b) return;
  out += '_';
  AppendCoord(f, Comp(f) ? a : b, out);
}

void AppendHgvsC(const IndexedFeature& f, const CdsEdit& e, std::string& out) {
  out += "c.";
  if (e.same) {
    AppendRange(f, e.a, e.b, out);
    out += '=';
  } else if (e.del.size() == 1 && e.ins.size() == 1) {
    AppendCoord(f, e.a, out);
    out += OnStrand(e.del, Comp(f));
    out += '>';
    out += OnStrand(e.ins, Comp(f));
  } else if (e.ins.empty()) {
    AppendRange(f, e.a, e.b, out);
    out += "del";
  } else if (e.dup) {
    AppendRange(f, e.dup_a, e.dup_b, out);
    out += "dup";
  } else {
    AppendRange(f, e.del.empty() ? e.a - 1 : e.a, e.del.empty() ? e.a : e.b, out);
    out += e.del.empty() ? "ins" : "delins";
    out += OnStrand(e.ins, Comp(f));
  }
}

// The CDS indices the edit replaces, first..last in reading order (last =
// first - 1 for an insertion before `first`); false unless they lie along
// the CDS without a gap.
bool EditIndices(const IndexedFeature& f, const CdsEdit& e, int& first, int& last) {
  if (e.del.empty()) {
    int before = IndexAt(f, Comp(f) ? e.a : e.a - 1);
    int after = IndexAt(f, Comp(f) ? e.a - 1 : e.a);
    first = after;
    last = before;
    return before >= 0 && after == before + 1;
  }
  int x = IndexAt(f, e.a), y = IndexAt(f, e.b);
  first = std::min(x, y);
  last = std::max(x, y);
  return x >= 0 && y >= 0 && last - first == e.b - e.a;
}

// The CDS index the entry's positions name: the first changed base, the
// base before an insertion; -1 outside the CDS.
int EditIndex(const IndexedFeature& f, const CdsEdit& e) {
  if (e.del.empty() && !e.same) {
    return e.dup ? std::min(IndexAt(f, e.dup_a), IndexAt(f, e.dup_b)) : IndexAt(f, Comp(f) ? e.a : e.a - 1);
  }
  int x = IndexAt(f, e.a), y = IndexAt(f, e.b);
  return x < 0 ? y : y < 0 ? x : std::min(x, y);
}

// ---------------------------------------------------------------------------
// HGVS p.

const char* AminoName(char a) {
  static const char* const names[26] = {"Ala", "Asx", "Cys", "Asp", "Glu", "Phe", "Gly", "His", "Ile",
                                        "Xaa", "Lys", "Leu", "Met", "Asn", "Pyl", "Pro", "Gln", "Arg",
                                        "Ser", "Thr", "Sec", "Val", "Trp", "Xaa", "Tyr", "Glx"};
  if (a == '*') return "*";
  if (a >= 'A' && a <= 'Z') return names[a - 'A'];
  return "Xaa";
}

void AppendAmino(std::string& out, char a, long long number) {
  out += AminoName(a);
  AppendNumber(out, number);
}

// The amino acids of codons cs..ce with the edit applied and without it; the
// start codon read as in codon_effects. False when the window leaves the
// complete codons.
bool IndelAminos(const Genome& g, const IndexedFeature& f, const CdsEdit& e, std::string& ref_aa,
                 std::string& alt_aa, int& first_codon) {
  int first, last;
  if (!EditIndices(f, e, first, last)) return false;
  int lo = std::min(first, last), hi = std::max(first, last);
  int cs = CodonOf(f, lo), ce = CodonOf(f, hi);
  if (cs < 0 || ce < 0) return false;
  int codons = (f.cds_length - (f.codon_start - 1)) / 3;
  cs = std::max(cs - 1, 0);
  ce = std::min(ce + 1, codons - 1);
  int base0 = f.codon_start - 1 + 3 * cs;
  std::string ref;
  for (int i = base0; i < f.codon_start - 1 + 3 * (ce + 1); ++i) ref += CdsBase(g, f, i);
  std::string alt = ref.substr(0, static_cast<std::size_t>(first - base0)) + OnStrand(e.ins, Comp(f)) +
                    ref.substr(static_cast<std::size_t>(last + 1 - base0));
  if (alt.size() % 3 != 0) return false;
  auto translate = [&f](const std::string& bases, std::string& amino) {
    amino.clear();
    for (std::size_t i = 0; i + 2 < bases.size(); i += 3)
      amino += TranslateCodon(*f.code, bases[i], bases[i + 1], bases[i + 2]);
  };
  translate(ref, ref_aa);
  translate(alt, alt_aa);
  if (cs == 0 && f.codon_start == 1 && !f.partial5 && IsStartCodon(*f.code, ref[0], ref[1], ref[2])) {
    ref_aa[0] = 'M';
    if (!alt_aa.empty()) alt_aa[0] = IsStartCodon(*f.code, alt[0], alt[1], alt[2]) ? 'M' : '?';
  }
  first_codon = cs;
  return true;
}

// The first codon a frameshift changes and its amino acid before the
// change: the codons from the edit on are read with and without it until
// their amino acids differ (the edit's own codon when they never do).
bool FirstShiftedAmino(const Genome& g, const IndexedFeature& f, const CdsEdit& e, int& codon, char& amino) {
  int first, last;
  if (!EditIndices(f, e, first, last)) return false;
  int start = CodonOf(f, std::min(first, last));  // an insertion: the codon of the base before it
  if (start < 0) start = CodonOf(f, first);
  if (start < 0) return false;
  std::string ins = OnStrand(e.ins, Comp(f));
  int n = static_cast<int>(ins.size());
  auto alt_base = [&](int i) -> char {  // CDS index i of the edited sequence
    if (i < first) return CdsBase(g, f, i);
    if (i - first < n) return ins[static_cast<std::size_t>(i - first)];
    int from = last + 1 + (i - first - n);
    return from < f.cds_length ? CdsBase(g, f, from) : 0;
  };
  auto amino_of = [&](int c, char b0, char b1, char b2) {
    bool start_codon = c == 0 && f.codon_start == 1 && !f.partial5 && IsStartCodon(*f.code, b0, b1, b2);
    return start_codon ? 'M' : TranslateCodon(*f.code, b0, b1, b2);
  };
  codon = start;
  for (int c = start; CodonOf(f, f.codon_start - 1 + 3 * c) >= 0; ++c) {
    int at = f.codon_start - 1 + 3 * c;
    char r = amino_of(c, CdsBase(g, f, at), CdsBase(g, f, at + 1), CdsBase(g, f, at + 2));
    char a0 = alt_base(at), a1 = alt_base(at + 1), a2 = alt_base(at + 2);
    if (c == start) amino = r;
    if (!a0 || !a1 || !a2 || amino_of(c, a0, a1, a2) != r) {
      codon = c;
      amino = r;
      return true;
    }
    if (r == '*') break;  // the stop read unchanged ends the protein
  }
  return true;
}

// The terms a change of amino acids adds to its main one.
void AminoTerms(std::string_view ref, std::string_view alt, Terms& terms) {
  auto stops = [](std::string_view s) { return std::count(s.begin(), s.end(), '*'); };
  if (!alt.empty() && alt[0] == '?') terms.Add(kStartLost);
  if (stops(alt) > stops(ref)) terms.Add(kStopGained);
  if (stops(alt) < stops(ref)) terms.Add(kStopLost);
}

// The terms of base changes within complete codons: the main effect, and
// the effect of each further codon it changed.
void CodonTerms(const IndexedFeature& f, const CodingEffect& c, Terms& terms) {
  std::size_t n = c.ref_amino.size();
  for (std::size_t i = 0; i < n; ++i) {
    char r = c.ref_amino[i], a = c.alt_amino[i];
    bool changed = c.ref_codons.compare(3 * i, 3, c.alt_codons, 3 * i, 3) != 0;
    if (!changed) continue;
    if (a == '?') {
      terms.Add(kStartLost);
    } else if (r == '*' && a != '*') {
      terms.Add(kStopLost);
    } else if (r != '*' && a == '*') {
      terms.Add(kStopGained);
    } else if (r != a) {
      terms.Add(kMissense);
    } else if (r == '*') {
      terms.Add(kStopRetained);
    } else if (c.first_codon + static_cast<int>(i) == 0 && f.codon_start == 1 && !f.partial5 && r == 'M') {
      terms.Add(kInitiatorCodon);
    } else {
      terms.Add(kSynonymous);
    }
  }
}

// The ANN term list of an effect on a CDS, with the HGVS p. notation.
void CdsTerms(const Genome& g, const IndexedFeature& f, const CodingEffect& c, const CdsEdit* e, Terms& terms,
              std::string& hgvs_p) {
  switch (c.effect) {
    case Effect::complex: terms.Add(kCodingSequence); return;
    case Effect::frameshift: {
      terms.Add(kFrameshift);
      int codon = 0;
      char amino = 0;
      if (!e || !FirstShiftedAmino(g, f, *e, codon, amino)) return;
      hgvs_p = "p.";
      AppendAmino(hgvs_p, amino, codon + 1);
      hgvs_p += "fs";
      return;
    }
    case Effect::inframe_indel: {
      terms.Add(e && e->ins.size() > e->del.size() ? kInframeInsertion : kInframeDeletion);
      std::string ref_aa, alt_aa;
      int first_codon;
      if (!e || !IndelAminos(g, f, *e, ref_aa, alt_aa, first_codon)) return;
      AminoTerms(ref_aa, alt_aa, terms);
      hgvs_p = HgvsP(first_codon, ref_aa, alt_aa);
      return;
    }
    default: break;
  }
  // The main effect, as GBCSQ names it, comes first.
  if (c.effect == Effect::missense) terms.Add(kMissense);
  if (c.effect == Effect::stop_gained) terms.Add(kStopGained);
  if (c.effect == Effect::stop_lost) terms.Add(kStopLost);
  if (c.effect == Effect::start_lost) terms.Add(kStartLost);
  CodonTerms(f, c, terms);
  terms.DropSynonymous();
  hgvs_p = HgvsP(c.first_codon, c.ref_amino, c.alt_amino);
}

// ---------------------------------------------------------------------------
// Entries

// The part of the feature's location that holds position a (or first
// overlaps a..b), over the number of parts: "2/3".
void AppendRank(const IndexedFeature& f, long long a, long long b, std::string& out) {
  const std::vector<Range>& ranges = f.loc->certain;
  for (std::size_t i = 0; i < ranges.size(); ++i) {
    long long lo = ranges[i].start == kOpenStart ? 1 : ranges[i].start;
    long long hi = ranges[i].end == kOpenEnd ? LLONG_MAX : ranges[i].end;
    if (lo <= b && hi >= a) {
      AppendNumber(out, static_cast<long long>(i) + 1);
      out += '/';
      AppendNumber(out, static_cast<long long>(ranges.size()));
      return;
    }
  }
}

bool OpenEnded(const Loc& loc) {
  auto open = [](const Range& r) { return r.start == kOpenStart || r.end == kOpenEnd; };
  return std::any_of(loc.certain.begin(), loc.certain.end(), open) ||
         std::any_of(loc.uncertain.begin(), loc.uncertain.end(), open);
}

void AppendWarning(std::string& out, std::size_t from, const char* warning) {
  if (out.size() > from) out += '&';
  out += warning;
}

// The warnings of an entry: REF and the record, and a CDS's ends.
void AppendWarnings(const AnnAllele& a, const IndexedFeature* cds, const CdsEdit* edit, std::string& out) {
  std::size_t from = out.size();
  if (!a.ref_ok) AppendWarning(out, from, "WARNING_REF_DOES_NOT_MATCH_GENOME");
  if (!cds) return;
  if (a.combined) AppendWarning(out, from, "INFO_COMPOUND_ANNOTATION");
  if (edit && edit->shifted) AppendWarning(out, from, "INFO_REALIGN_3_PRIME");
  if (OpenEnded(*cds->loc)) AppendWarning(out, from, "WARNING_TRANSCRIPT_INCOMPLETE");
  const Genome& g = *a.genome;
  bool start = cds->codon_start == 1 && cds->cds_length >= 3 &&
               IsStartCodon(*cds->code, CdsBase(g, *cds, 0), CdsBase(g, *cds, 1), CdsBase(g, *cds, 2));
  if (!start) AppendWarning(out, from, "WARNING_TRANSCRIPT_NO_START_CODON");
}

// Gene_Name: /gene, else /locus_tag.
const std::string& GeneName(const IndexedFeature& f) { return !f.gene.empty() ? f.gene : f.locus_tag; }

// Fields 4 to 8: Gene_Name, Gene_ID, Feature_Type, Feature_ID, Transcript_BioType.
void AppendNames(const IndexedFeature& f, std::string& out) {
  Kind kind = KindOf(f.key);
  out += GeneName(f);
  out += '|';
  out += !f.locus_tag.empty() ? f.locus_tag : f.gene;
  out += '|';
  out += kind == Kind::kCds || kind == Kind::kRna || kind == Kind::kMrna ? "transcript" : f.key.c_str();
  out += '|';
  out += !f.protein_id.empty() ? f.protein_id : f.locus_tag;
  out += '|';
  out += kind == Kind::kCds ? "protein_coding" : f.key.c_str();
  out += '|';
}

// Fields 1 to 3: Allele, Annotation, Annotation_Impact.
void AppendHead(std::string_view alt, const Terms& terms, std::string& out) {
  out += EscapeInfo(alt);
  out += '|';
  for (int i = 0; i < terms.count; ++i) {
    if (i > 0) out += '&';
    out += terms.items[i].name;
  }
  out += '|';
  out += kImpactName[terms.Worst()];
  out += '|';
}

// "n/m" fields 13 and 14 of a CDS index.
void AppendPositions(const Genome& g, const IndexedFeature& f, int index, std::string& out) {
  int skip = f.codon_start - 1;
  int codon = index < 0 ? -1 : CodonOf(f, index);
  if (index >= skip) {
    AppendNumber(out, index - skip + 1);
    out += '/';
    AppendNumber(out, f.cds_length - skip);
  }
  out += '|';
  if (codon >= 0) {
    int codons = (f.cds_length - skip) / 3;
    int at = skip + 3 * (codons - 1);
    if (TranslateCodon(*f.code, CdsBase(g, f, at), CdsBase(g, f, at + 1), CdsBase(g, f, at + 2)) == '*') --codons;
    AppendNumber(out, codon + 1);
    out += '/';
    AppendNumber(out, codons);
  }
  out += '|';
}

void SortTerms(Terms& terms) {
  std::stable_sort(terms.items, terms.items + terms.count,
                   [](const Term& x, const Term& y) { return x.impact < y.impact; });
}

}  // namespace

bool IsAnnInfoLine(std::string_view line) { return col::StartsWith(line, "##INFO=<ID=ANN,"); }

std::string HgvsP(int first_codon, std::string_view ref, std::string_view alt) {
  std::string out = "p.";
  if (first_codon == 0 && !ref.empty() && ref[0] == 'M' && !alt.empty() && alt[0] == '?') return "p.Met1?";
  std::size_t pre = 0;
  while (pre < ref.size() && pre < alt.size() && ref[pre] == alt[pre]) ++pre;
  std::size_t suf = 0;
  while (suf < ref.size() - pre && suf < alt.size() - pre && ref[ref.size() - 1 - suf] == alt[alt.size() - 1 - suf])
    ++suf;
  std::string_view r = ref.substr(pre, ref.size() - pre - suf), a = alt.substr(pre, alt.size() - pre - suf);
  long long n = first_codon + 1 + static_cast<long long>(pre);
  if (r.empty() && a.empty()) {  // unchanged: the first amino acid twice
    if (ref.empty()) return std::string();
    AppendAmino(out, ref[0], first_codon + 1);
    out += AminoName(ref[0]);
    return out;
  }
  if (r.empty()) {  // an insertion between amino acids n - 1 and n
    if (pre == 0 || pre >= ref.size()) return std::string();
    std::size_t k = a.size();
    if (k <= pre && ref.substr(pre - k, k) == a) {
      AppendAmino(out, a.front(), n - static_cast<long long>(k));
      if (k > 1) {
        out += '_';
        AppendAmino(out, a.back(), n - 1);
      }
      out += "dup";
      return out;
    }
    AppendAmino(out, ref[pre - 1], n - 1);
    out += '_';
    AppendAmino(out, ref[pre], n);
    out += "ins";
  } else if (!a.empty() && a[0] == '*' && r[0] != '*') {  // nothing after the new stop is read
    AppendAmino(out, r[0], n);
    out += '*';
    return out;
  } else if (r[0] == '*' && !a.empty() && a[0] != '*') {  // the stop read through
    AppendAmino(out, '*', n);
    out += AminoName(a[0]);
    out += "ext*?";
    return out;
  } else {
    AppendAmino(out, r.front(), n);
    if (r.size() > 1) {
      out += '_';
      AppendAmino(out, r.back(), n + static_cast<long long>(r.size()) - 1);
    }
    if (a.empty()) {
      out += "del";
      return out;
    }
    if (r.size() == 1 && a.size() == 1) {
      out += AminoName(a[0]);
      return out;
    }
    out += "delins";
  }
  for (char c : a) {
    out += AminoName(c);
    if (c == '*') break;  // nothing after a stop is read
  }
  return out;
}

void AnnEntries::Clear() {
  text_.clear();
  spans_.clear();
}

void AnnEntries::Add(int impact, std::size_t from) { spans_.push_back({impact, from, text_.size()}); }

void AnnEntries::AddCovered(const AnnAllele& a, const IndexedFeature& f, const CodingEffect* coding) {
  std::size_t from = text_.size();
  long long last = a.pos + static_cast<long long>(a.ref.size()) - 1;
  Terms terms;
  std::string& hgvs_c = hgvs_c_;  // kept between entries: no allocation per variant
  std::string& hgvs_p = hgvs_p_;
  hgvs_c.clear();
  hgvs_p.clear();
  int index = -1;
  CdsEdit edit;
  bool edited = false;
  if (coding) {
    edited = MakeEdit(*a.genome, f, a.pos, a.ref, a.alt, a.ref_ok, edit);
    if (edited) {
      AppendHgvsC(f, edit, hgvs_c);
      index = EditIndex(f, edit);
    }
    CdsTerms(*a.genome, f, *coding, edited ? &edit : nullptr, terms, hgvs_p);
    SortTerms(terms);
  } else {
    terms.Add(FeatureTerm(f.key));
  }
  AppendHead(a.alt, terms, text_);
  AppendNames(f, text_);
  AppendRank(f, a.pos, last, text_);
  text_ += '|';
  text_ += hgvs_c;
  text_ += '|';
  text_ += hgvs_p;
  text_ += "||";  // no cDNA position: the record gives no transcript ends
  if (coding) {
    AppendPositions(*a.genome, f, index, text_);
  } else {
    text_ += "||";
  }
  text_ += '|';  // no distance
  AppendWarnings(a, coding ? &f : nullptr, edited ? &edit : nullptr, text_);
  Add(terms.Worst(), from);
}

void AnnEntries::AddUncovered(const AnnAllele& a, std::vector<std::uint32_t>& scratch) {
  const Genome& g = *a.genome;
  long long lo = a.pos, hi = a.pos + static_cast<long long>(a.ref.size()) - 1;
  CoveringFeatures(g, lo - kReach, hi + kReach, scratch);
  std::size_t before = spans_.size();
  for (std::uint32_t i : scratch) {
    const IndexedFeature& f = g.features[i];
    Kind kind = KindOf(f.key);
    if (kind != Kind::kGene && kind != Kind::kCds && kind != Kind::kRna) continue;
    // A gene counts when no CDS or RNA of its name (its transcript) is near.
    if (kind == Kind::kGene && !GeneName(f).empty() &&
        std::any_of(scratch.begin(), scratch.end(), [&](std::uint32_t j) {
          Kind other = KindOf(g.features[j].key);
          return (other == Kind::kCds || other == Kind::kRna) && GeneName(g.features[j]) == GeneName(f);
        }))
      continue;
    long long start = f.reaches.front().lo;
    long long end = std::min<long long>(f.reaches.back().reach, g.length());
    Terms terms;
    long long distance = 0;
    if (hi < start) {
      distance = start - hi;
      terms.Add(Comp(f) ? kDownstream : kUpstream);
    } else if (lo > end) {
      distance = lo - end;
      terms.Add(Comp(f) ? kUpstream : kDownstream);
    } else if (kind == Kind::kCds) {
      terms.Add(kIntron);  // between the ranges of a join
    } else {
      continue;
    }
    if (distance > kReach) continue;
    std::size_t from = text_.size();
    AppendHead(a.alt, terms, text_);
    AppendNames(f, text_);
    text_ += '|';  // no rank
    CdsEdit edit;
    if (kind == Kind::kCds && MakeEdit(g, f, a.pos, a.ref, a.alt, false, edit)) AppendHgvsC(f, edit, text_);
    text_ += "|||||";
    if (distance > 0) AppendNumber(text_, distance);
    text_ += '|';
    AppendWarnings(a, nullptr, nullptr, text_);
    Add(kModifier, from);
  }
  if (spans_.size() > before) return;
  std::size_t from = text_.size();
  Terms terms;
  terms.Add(kIntergenic);
  AppendHead(a.alt, terms, text_);
  text_ += "||intergenic_region||||||||||";
  AppendWarnings(a, nullptr, nullptr, text_);
  Add(kModifier, from);
}

void AnnEntries::Write(std::string& value) {
  std::stable_sort(spans_.begin(), spans_.end(), [](const Span& x, const Span& y) { return x.impact < y.impact; });
  value.clear();
  for (const Span& s : spans_) {
    if (!value.empty()) value += ',';
    value.append(text_, s.from, s.to - s.from);
  }
}

}  // namespace morvel
