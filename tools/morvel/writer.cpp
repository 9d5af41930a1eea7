#include "writer.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "dna.h"
#include "protein.h"

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
    char* end = FormatInt(digits, p, 0);
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
const char* complement_table() {
  static const std::array<char, 256> table = [] {
    std::array<char, 256> t{};
    for (int c = 0; c < 256; ++c) t[c] = static_cast<char>(DNAcomplement(static_cast<char>(c)));
    return t;
  }();
  return table.data();
}

// "     R", " %5d" or "     ." and "     S" of one position.
inline char* put_gene_columns(char* o, char region, int codon, char strand) {
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
    o = FormatInt(o, codon, 5);
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
  BodyLines(const Conversion& run, int from, bool minus)
      : locus_(run.locus), gene_(run.opt.gene), minus_(minus), pos_(from), i_(static_cast<std::size_t>(from) - 1) {}

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
    const char* complement = complement_table();
    long long p = pos_;
    PosWord word(std::min(p, PosWord::kMax));
    bool counting = p <= PosWord::kMax;  // `word` holds p
    std::size_t i = i_;
    for (; n > 0; --n) {
      char* field = o + 8;
      if (counting) {
        o = word.Put(field);
      } else {
        o = FormatInt(field, p, 5);
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
      o = put_gene_columns(o, region, locus_.codonpos.At(i), strand);
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

// Body lines of positions from..to, written in blocks straight into the
// output buffer.
void write_body(Conversion& run, int from, int to, bool minus) {
  BodyLines lines(run, from, minus);
  std::size_t left = static_cast<std::size_t>(minus ? from - to : to - from) + 1;
  std::size_t block = run.out.Capacity() / kMaxLine;
  if (block == 0) {  // an output buffer too small to reserve a line in
    char line[kMaxLine];
    for (; left > 0; --left) run.out.Write(std::string_view(line, lines.Put(line, 1) - line));
    return;
  }
  while (left > 0) {
    std::size_t n = std::min(left, block);
    left -= n;
    run.out.Commit(lines.Put(run.out.Reserve(n * kMaxLine), n));
  }
}

void write_entry(Conversion& run, bool minus, int from, int to) {
  print_entry_text(run, minus, from);
  write_body(run, from, to, minus);
  run.out.Write("; **********\n");
}

// One entry per maximal run of "O" in the mark track: ascending on the plus
// strand, descending on the minus strand.
void write_marked_entries(Conversion& run, const std::string& marks, bool minus) {
  if (!minus) {
    std::size_t start = marks.find('O');
    while (start != std::string::npos) {
      std::size_t end = std::min(marks.find_first_not_of('O', start), marks.size());
      write_entry(run, false, static_cast<int>(start) + 1, static_cast<int>(end));
      start = marks.find('O', end);
    }
    return;
  }
  std::size_t high = marks.rfind('O');
  while (high != std::string::npos) {
    std::size_t below = marks.find_last_not_of('O', high);  // npos: the run reaches position 1
    int low = below == std::string::npos ? 1 : static_cast<int>(below) + 2;
    write_entry(run, true, static_cast<int>(high) + 1, low);
    high = below == std::string::npos ? below : marks.rfind('O', below);
  }
}

bool is_certain(int code) { return code == 1 || code == -1; }

void put_int(std::string& text, long long v) {
  char digits[24];
  text.append(digits, FormatInt(digits, v, 0));
}

}  // namespace

void print_entry_text(Conversion& run, bool minus, int pos) {
  Output& out = run.out;
  const Locus& locus = run.locus;
  out.Write(
      "; TYPE              DNA\n"
      "; COL 1             label\n"
      "; COL 2             residue\n"
      "; COL 3             seqpos\n");
  if (run.opt.gene) {
    out.Write(
        "; COL 4             intron/exon\n"
        "; COL 5             codonpos\n"
        "; COL 6             strand\n");
  }
  out.Write("; ENTRY             ");
  out.Write(locus.name);
  if (run.opt.posname && run.opt.annotate) {
    out.Put('_');
    out.PutInt(pos);
    out.Write(minus ? "_M" : "_P");
  }
  out.Write("\n; ACCESSION         ");
  out.Write(locus.accession);
  out.Write("\n; LENGTH            ");
  out.PutInt(locus.length);
  out.Put('\n');
  if (minus) out.Write("; STRAND            Minus\n");
  out.Write("; ----------\n");
}

void print_entries(Conversion& run) {
  const Locus& locus = run.locus;
  const Options& opt = run.opt;
  if (opt.annotate) {
    write_marked_entries(run, locus.plusmark, false);
    write_marked_entries(run, locus.minusmark, true);
    return;
  }
  if (locus.length <= 0) return;
  write_entry(run, false, 1, locus.length);
  if (opt.bothstrand) write_entry(run, true, locus.length, 1);
}

void info_feature(Conversion& run) {
  const Scanner& scan = run.scan;
  Locus& locus = run.locus;
  std::string& out = locus.report;
  const int infopos = run.opt.infopos;
  int s = InLoc(scan.loc.get(), infopos);
  if (!is_certain(s) || scan.key == "source") return;
  if (scan.key == "CDS") {
    // A position beyond the sequence has no codon position.
    int codon = infopos >= 1 && infopos <= locus.length
                    ? codon_at(scan.loc.get(), locus.length, scan.codonstart, infopos)
                    : 0;
    out += "CDS ";
    put_int(out, codon);
    // Only codon positions 1 to 3 select a codon around the position.
    locus.infocodon = codon >= 1 && codon <= 3 ? (s == 1 ? codon : -codon) : 0;
  } else {
    out += scan.key;
  }
  out += s == 1 ? " (+), " : " (-), ";
}

void info_seq(Conversion& run) {
  std::string& out = run.locus.report;
  char* w = run.locus.window;
  const char mutation = run.opt.mutation;
  const int codon = run.locus.infocodon;
  out += "seq ";
  out.append(w, 5);
  if (codon != 0) {
    auto comp = [](char c) { return static_cast<char>(DNAcomplement(c)); };
    // The codon's bases in reading order: on the plus strand from window
    // 3 - p on, on the minus strand the complements from window p + 1 down.
    auto translate = [&] {
      if (codon > 0) return Nuc2Amino(w[3 - codon], w[4 - codon], w[5 - codon]);
      int p = -codon;
      return Nuc2Amino(comp(w[p + 1]), comp(w[p]), comp(w[p - 1]));
    };
    out += " (";
    out += translate();
    if (mutation) {
      char old = w[2];
      w[2] = codon > 0 ? mutation : comp(mutation);
      out += " -> ";
      out += translate();
      out += ") (";
      out += old;
      out += " -> ";
      out += w[2];
    }
    out += ')';
  }
  out += '\n';
}

void longinfo_feature(Conversion& run) {
  Scanner& scan = run.scan;
  int r = InLocRange(scan.loc.get(), run.opt.longfrom, run.opt.longto);
  scan.inreport = is_certain(r) && scan.key != "source";
}

void longinfo_line(Conversion& run, std::string_view line) {
  Scanner& scan = run.scan;
  if (!scan.inreport) return;
  std::string& out = run.locus.report;
  if (scan.textpending) {
    out += scan.feattext;
    scan.textpending = false;
  }
  out += line;
}
