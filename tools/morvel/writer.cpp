#include "writer.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "col.h"
#include "dna.h"
#include "file.h"

namespace morvel {

namespace {

// The decimal text of a position of up to eight digits, right-aligned in
// eight characters and held in one 64-bit word, so that the body lines of an
// entry need no number formatting: counting changes the word's last byte in
// a register, and the word is stored whole. (Counting in a character array
// and copying it out would make every line wait for its own byte stores.)
class PosWord {
 public:
  static constexpr long long kMax = 99999999;

  explicit PosWord(long long p) {
    char text[8];
    std::memset(text, ' ', sizeof text);
    char digits[24];
    char* end = col::FormatInt(digits, p, 0);
    digits_ = static_cast<int>(end - digits);
    std::memcpy(text + 8 - digits_, digits, digits_);
    std::memcpy(&word_, text, sizeof word_);
  }
  void Up() {
    if (LastDigit() != '9') {
      word_ += kLastDigitOne;
    } else {
      Carry();
    }
  }
  void Down() {
    if (LastDigit() != '0') {
      word_ -= kLastDigitOne;
    } else {
      Borrow();
    }
  }
  // Stores the field " %5d" less its blank at `at` and returns its end. The
  // word is stored whole, so up to three bytes before `at` are overwritten:
  // the caller writes what goes there afterwards.
  char* Put(char* at) const {
    int width = std::max(digits_, 5);
    std::memcpy(at + width - 8, &word_, sizeof word_);
    return at + width;
  }

 private:
  static constexpr int kLastShift = std::endian::native == std::endian::little ? 56 : 0;
  static constexpr std::uint64_t kLastDigitOne = std::uint64_t{1} << kLastShift;

  char LastDigit() const { return static_cast<char>(word_ >> kLastShift); }

  void Carry() {
    char text[8];
    std::memcpy(text, &word_, sizeof text);
    int i = 7;
    while (text[i] == '9') text[i--] = '0';
    if (text[i] == ' ') {
      text[i] = '1';
      ++digits_;
    } else {
      ++text[i];
    }
    std::memcpy(&word_, text, sizeof word_);
  }
  void Borrow() {
    char text[8];
    std::memcpy(text, &word_, sizeof text);
    int i = 7;
    while (text[i] == '0') text[i--] = '9';
    --text[i];
    if (text[i] == '0' && i == 8 - digits_ && digits_ > 1) {
      text[i] = ' ';
      --digits_;
    }
    std::memcpy(&word_, text, sizeof word_);
  }

  std::uint64_t word_;
  int digits_;
};

// Room reserved per body line: "N     c " (8), a 10-digit position, "     R" (6), a blank and a codon position of up to
// 20 characters, "     S" (6) and the newline.
constexpr std::size_t kMaxLine = 64;

// Complement of every byte, looked up once per run.
const char* ComplementTable() {
  static const std::array<char, 256> table = [] {
    std::array<char, 256> t{};
    for (int c = 0; c < 256; ++c) t[c] = static_cast<char>(DNAcomplement(static_cast<char>(c)));
    return t;
  }();
  return table.data();
}

// "     R", " %5d" or "     ." and "     S" of one position.
inline char* PutGeneColumnsSlow(char* o, char region, int codon, char strand) {
  std::memcpy(o, "     ", 5);
  o[5] = region;
  o += 6;
  if (codon == 0) {
    std::memcpy(o, "     .", 6);
    o += 6;
  } else if (codon >= 1 && codon <= 9) {
    std::memcpy(o, "     ", 5);
    o[5] = static_cast<char>('0' + codon);
    o += 6;
  } else {
    *o++ = ' ';
    o = col::FormatInt(o, codon, 5);
  }
  std::memcpy(o, "     ", 5);
  o[5] = strand;
  return o + 6;
}

// The gene columns of the common line, codon position 0 to 9: "     R",
// "     C" and "     S" with the newline; copied whole, then patched.
constexpr char kGeneTail[24] = "     R     C     S\n";
constexpr std::size_t kGeneTailLength = 19;

// The next body lines of an entry: ascending on the plus strand, descending
// with complemented residues on the minus strand. The strand and the gene
// columns are template arguments, so the per-line loop tests neither.
class BodyLines {
 public:
  BodyLines(const Locus& locus, bool gene, int from, bool minus)
      : locus_(locus), gene_(gene), minus_(minus), pos_(from), i_(static_cast<std::size_t>(from) - 1) {}

  // Writes n lines at `o`, which has room for n * kMaxLine bytes; returns the end.
  char* Put(char* o, std::size_t n) {
    if (minus_) return gene_ ? PutLines<true, true>(o, n) : PutLines<true, false>(o, n);
    return gene_ ? PutLines<false, true>(o, n) : PutLines<false, false>(o, n);
  }

 private:
  // The tracks are read through local pointers and the position is counted
  // in locals: stores through `o` could alias members, which would make the
  // compiler reload them on every line.
  template <bool kMinus, bool kGene>
  char* PutLines(char* o, std::size_t n) {
    const char* residue = locus_.residue.data();
    const char* region = kGene ? locus_.region.data() : nullptr;
    const char* strand = kGene ? locus_.strand.data() : nullptr;
    const signed char* codonpos = kGene ? locus_.codonpos.cells.data() : nullptr;
    const char* complement = ComplementTable();
    long long p = pos_;
    PosWord word(std::min(p, PosWord::kMax));
    bool counting = p <= PosWord::kMax;  // `word` holds p
    std::size_t i = i_;
    for (; n > 0; --n) {
      char* field = o + 8;
      if (counting) {
        o = word.Put(field);
      } else {
        o = col::FormatInt(field, p, 5);
      }
      std::memcpy(field - 8, "N     x ", 8);
      field[-2] = kMinus ? complement[static_cast<unsigned char>(residue[i])] : residue[i];
      if constexpr (kGene) {
        o = PutGeneColumns(o, region[i], codonpos[i], strand[i], i);
      } else {
        *o++ = '\n';
      }
      if constexpr (kMinus) {
        --p;
        --i;
        if (counting) {
          word.Down();
        } else if (p == PosWord::kMax) {
          word = PosWord(p);
          counting = true;
        }
      } else {
        ++p;
        ++i;
        counting = counting && p <= PosWord::kMax;
        if (counting) word.Up();
      }
    }
    pos_ = p;
    i_ = i;
    return o;
  }

  char* PutGeneColumns(char* o, char region, int codon, char strand, std::size_t i) const {
    if (codon < 0 || codon > 9) {
      o = PutGeneColumnsSlow(o, region, locus_.codonpos.At(i), strand);
      *o = '\n';
      return o + 1;
    }
    std::memcpy(o, kGeneTail, sizeof kGeneTail);
    o[5] = region;
    o[11] = codon == 0 ? '.' : static_cast<char>('0' + codon);
    o[17] = strand;
    return o + kGeneTailLength;
  }

  const Locus& locus_;
  const bool gene_;
  const bool minus_;
  long long pos_;  // position of the next line
  std::size_t i_;  // its track index
};

// What one entry is written from.
struct EntrySource {
  const Options& opt;
  const Record& record;
  const Locus& locus;
  col::Output& out;
  const FeatureTable* features;
};

// The FEATURE lines of an entry over positions from..to: every line of the
// record when the entry covers it whole.
std::string_view EntryFeatureLines(const EntrySource& src, int from, int to) {
  if (!src.features) return {};
  if (!src.opt.annotate) return src.features->AllLines();
  static std::string lines;  // reused from entry to entry
  lines.clear();
  src.features->AppendOverlapping(lines, std::min(from, to), std::max(from, to));
  return lines;
}

// Body lines of positions from..to, written in blocks straight into the
// output buffer.
void WriteBody(const EntrySource& src, int from, int to, bool minus) {
  BodyLines lines(src.locus, src.opt.gene, from, minus);
  col::Output& out = src.out;
  std::size_t left = static_cast<std::size_t>(minus ? from - to : to - from) + 1;
  std::size_t block = out.Capacity() / kMaxLine;
  if (block == 0) {  // an output buffer too small to reserve a line in
    char line[kMaxLine];
    for (; left > 0; --left) out.Write(std::string_view(line, lines.Put(line, 1) - line));
    return;
  }
  while (left > 0) {
    std::size_t n = std::min(left, block);
    left -= n;
    out.Commit(lines.Put(out.Reserve(n * kMaxLine), n));
  }
}

void WriteEntry(const EntrySource& src, bool minus, int from, int to) {
  print_entry_text(src.opt, src.record, minus, from, src.out, EntryFeatureLines(src, from, to));
  WriteBody(src, from, to, minus);
  src.out.Write(col::kEndMarkerLine);
}

// One entry per maximal run of "O" in the mark track: ascending on the plus
// strand, descending on the minus strand.
void WriteMarkedEntries(const EntrySource& src, const std::string& marks, bool minus) {
  if (!minus) {
    std::size_t start = marks.find('O');
    while (start != std::string::npos) {
      std::size_t end = std::min(marks.find_first_not_of('O', start), marks.size());
      WriteEntry(src, false, static_cast<int>(start) + 1, static_cast<int>(end));
      start = marks.find('O', end);
    }
    return;
  }
  std::size_t high = marks.rfind('O');
  while (high != std::string::npos) {
    std::size_t below = marks.find_last_not_of('O', high);  // npos: the run reaches position 1
    int low = below == std::string::npos ? 1 : static_cast<int>(below) + 2;
    WriteEntry(src, true, static_cast<int>(high) + 1, low);
    high = below == std::string::npos ? below : marks.rfind('O', below);
  }
}

// Region letter painted by each gene-structure key.
char RegionLetter(const std::string& key) {
  static const struct {
    const char* key;
    char letter;
  } regions[] = {{"exon", 'E'}, {"intron", 'I'}, {"gene", 'G'},
                 {"mRNA", 'M'}, {"3'UTR", '3'},  {"5'UTR", '5'}};
  for (const auto& r : regions) {
    if (key == r.key) return r.letter;
  }
  return 0;
}

// The lines that open every entry of a run: its type and its columns.
std::string FixedEntryText(bool gene, bool protein) {
  static constexpr std::string_view kLabels[] = {"label", "residue", "seqpos", "intron/exon", "codonpos", "strand"};
  std::string text;
  col::AppendTextLine(text, "TYPE", protein ? "PROTEIN" : "DNA");
  for (int k = 1; k <= (gene ? 6 : 3); ++k) col::AppendColLine(text, k, kLabels[k - 1]);
  return text;
}

}  // namespace

void print_entry_text(const Options& opt, const Record& record, bool minus, int pos, col::Output& out,
                      std::string_view feature_lines) {
  static const std::string kFixedLines[2][2] = {{FixedEntryText(false, false), FixedEntryText(true, false)},
                                                 {FixedEntryText(false, true), FixedEntryText(true, true)}};
  static std::string text;  // reused from entry to entry
  text = kFixedLines[record.protein ? 1 : 0][opt.gene ? 1 : 0];
  col::AppendTextKey(text, "ENTRY");
  text += record.name;
  out.Write(text);
  if (opt.posname && opt.annotate) {
    out.Put('_');
    out.PutInt(pos);
    out.Write(minus ? "_M" : "_P");
  }
  text.assign(1, '\n');
  col::AppendTextLine(text, "ACCESSION", record.accession);
  col::AppendTextKey(text, "LENGTH");
  out.Write(text);
  out.PutInt(record.length);
  out.Put('\n');
  if (minus) {
    text.clear();
    col::AppendTextLine(text, "STRAND", "Minus");
    out.Write(text);
  }
  if (!feature_lines.empty()) out.Write(feature_lines);  // an empty view may hold no address for memcpy
  out.Write(col::kTextSeparatorLine);
}

void print_entries(const Options& opt, const Record& record, const Locus& locus, col::Output& out,
                   const FeatureTable* features) {
  EntrySource src{opt, record, locus, out, features};
  if (opt.annotate) {
    WriteMarkedEntries(src, locus.plusmark, false);
    WriteMarkedEntries(src, locus.minusmark, true);
    return;
  }
  if (locus.length <= 0) return;
  WriteEntry(src, false, 1, locus.length);
  // Amino acids have no complement.
  if (opt.bothstrand && !record.protein) WriteEntry(src, true, locus.length, 1);
}

void ColWriter::RecordStart(const Record& record) {
  std::size_t n = static_cast<std::size_t>(record.length);
  Locus& locus = locus_;
  locus.length = record.length;
  MakeTrack(locus.residue, n, '-');
  MakeTrack(locus.region, opt_.gene ? n : 0, '.');
  MakeTrack(locus.strand, opt_.gene ? n : 0, '.');
  MakeTrack(locus.codonpos.cells, opt_.gene ? n : 0, 0);
  locus.codonpos.aside.clear();
  MakeTrack(locus.plusmark, opt_.annotate ? n : 0, '.');
  MakeTrack(locus.minusmark, opt_.annotate ? n : 0, '.');
  codonstart_ = 1;
  protein_ = record.protein;
  any_record_ = true;
}

// Whether the annotate option lists the key (exactly, case-sensitively).
// The list becomes a set once, as thousands of keys meet millions of
// features. Keys it does not list are kept for the warning about keys that
// no feature has.
bool ColWriter::IsSelected(const std::string& key) {
  if (!selected_made_) {
    col::Counter<std::string> keys;
    col::InitCounter(&keys, opt_.keys, -1);
    while (const std::string* selected = col::Next(&keys)) selected_.insert(*selected);
    selected_made_ = true;
  }
  if (selected_.count(key) != 0) {
    if (used_.size() < selected_.size()) used_.insert(key);
    return true;
  }
  if (other_keys_.size() < kMaxOtherKeys) other_keys_.insert(key);
  return false;
}

// A key of the input, selected or not, that equals `key` but for case;
// null for none.
const std::string* ColWriter::CaseBlindMatch(const std::string& key) const {
  for (const auto* keys : {&other_keys_, &used_}) {
    for (const std::string& other : *keys)
      if (col::StrCmp(other, key) == 0) return &other;
  }
  return nullptr;
}

std::string ColWriter::UnusedKeysWarning() const {
  // An input without records has no features to miss.
  if (!opt_.annotate || !any_record_) return {};
  std::string unused, hints;
  col::Counter<std::string> keys;
  col::InitCounter(&keys, opt_.keys, -2);  // the command line's order: oldest key last in the list
  std::unordered_set<std::string> named;
  while (const std::string* key = col::Prev(&keys)) {
    if (key->empty() || used_.count(*key) != 0 || !named.insert(*key).second) continue;
    unused += unused.empty() ? "'" : ", '";
    unused += *key;
    unused += '\'';
    if (const std::string* other = CaseBlindMatch(*key)) {
      hints += hints.empty() ? " (keys are case-sensitive: '" : ", '";
      hints += *key + "' -> '" + *other + "'";
    }
  }
  if (unused.empty()) return {};
  std::string text = "morvel: Warning: no feature of the input has the --annotate key";
  text += named.size() > 1 ? "s " : " ";
  return text + unused + (hints.empty() ? "" : hints + ")") + "\n";
}

void ColWriter::FeatureEnd(const Feature& feature) {
  Locus& locus = locus_;
  const Loc* loc = feature.loc.get();
  const std::string& key = feature.key;
  if (key == "CDS") codonstart_ = CodonStartAfter(feature, codonstart_);
  if (opt_.annotate && IsSelected(key)) {
    plus_annotate(loc, locus.plusmark, locus.length, 'O', opt_.extend);
    if (!protein_) minus_annotate(loc, locus.minusmark, locus.length, 'O', opt_.extend);
  }
  // Strands and codon positions belong to nucleotides: a protein record
  // gets region letters only.
  if (char letter = RegionLetter(key)) {
    if (!protein_) strand_annotate(loc, locus.strand, locus.length);
    annotate(loc, locus.region, locus.length, letter);
  } else if (key == "CDS" && !protein_) {
    strand_annotate(loc, locus.strand, locus.length);
    codon_annotate(loc, locus.codonpos, locus.length, codonstart_);
  }
}

void ColWriter::Letters(long long pos, std::string_view letters) { StoreLetters(locus_.residue, pos, letters); }

// A feature the end line cut off is dropped unpainted.
void ColWriter::RecordEnd(const Record& record, const Feature* /*open*/) {
  print_entries(opt_, record, locus_, out_, features_);
}

}  // namespace morvel
