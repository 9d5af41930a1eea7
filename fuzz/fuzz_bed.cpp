// BED text through tindra --bed: every line through the line reader (whose
// results are checked against a plain reading of the line: what kind of line
// it is, its chrom, the region (1 .. 2^31 - 1 or nothing), strand and
// colour), then the whole text as the --bed file of a run over a
// fixed col file whose entries the BED chrom names of the seeds name: both
// strands, an alignpos column with gaps and positions at the ends of int,
// an entry positioned by line number. The other options (ranges, entry
// selection, colours) are drawn from the last bytes of the input.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "bed.h"
#include "col.h"
#include "fuzz_input.h"
#include "memory_file.h"
#include "tindra.h"

using namespace col;

namespace {

constexpr std::string_view kCol =
    "; coloured by BED regions\n"
    "; ==========\n"
    "; TYPE              DNA\n"
    "; COL 1             label\n"
    "; COL 2             residue\n"
    "; COL 3             seqpos\n"
    "; ENTRY             demo\n"
    "; ----------\n"
    "N     A     1\n"
    "N     C     2\n"
    "N     G     3\n"
    "N     T     4\n"
    "N     A     5\n"
    "N     C     6\n"
    "; **********\n"
    "; TYPE              DNA\n"
    "; COL 1             label\n"
    "; COL 2             residue\n"
    "; COL 3             seqpos\n"
    "; ENTRY             demo\n"
    "; STRAND            Minus\n"
    "; ----------\n"
    "N     T     6\n"
    "N     G     5\n"
    "N     A     4\n"
    "; **********\n"
    "; TYPE              DNA\n"
    "; COL 1             label\n"
    "; COL 2             residue\n"
    "; COL 3             alignpos\n"
    "; COL 4             color_r\n"
    "; COL 5             color_g\n"
    "; COL 6             color_b\n"
    "; ENTRY             chr1\n"
    "; ----------\n"
    "N     A     1 0.500 0.500 0.500\n"
    "N     -     . 0.500 0.500 0.500\n"
    "N     C     -1 0.500 0.500 0.500\n"
    "N     G     2147483646 0.500 0.500 0.500\n"
    "N     T     2147483647 0.500 0.500 0.500\n"
    "N     T     2147483648 0.500 0.500 0.500\n"
    "N     A\n"
    "; **********\n"
    "; TYPE              Protein\n"
    "; COL 1             label\n"
    "; COL 2             residue\n"
    "; ENTRY             chrX\n"
    "; ----------\n"
    "N     M\n"
    "N     K\n"
    "N     L\n"
    "; **********\n"
    "; TYPE              DNA\n"
    "; ----------\n"
    "N     A     1\n"
    "; **********\n";

const char* const kRanges[] = {"1-3", "2,5", "-2147483648-2147483647", "0", "", "x,4-", "2147483647"};
const char* const kSelections[] = {"1-2", "demo", "chr1,4", "chrX", "", "0-100"};
const char* const kColours[] = {"0,0.5,1", "1e300,-1e300,0", "nan,inf,-inf", "1,0"};

// A line reader result that breaks what tindra relies on: a trap, which the
// fuzzer reports like a crash.
void Check(bool holds) {
  if (!holds) __builtin_trap();
}

// The line read the slow, plain way: fields split byte by byte, numbers
// digit by digit. The reader's word-at-a-time paths must agree with it.
struct PlainBed {
  tindra::BedLineKind kind = tindra::BedLineKind::kSkipped;
  long long start = 0, end = 0;
  char strand = '.';
  std::string_view chrom;
  bool has_colour = false;
  int rgb[3] = {0, 0, 0};
};

bool PlainNumber(std::string_view digits, long long& value) {
  if (digits.empty()) return false;
  value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return false;
    if (value <= 2147483647) value = value * 10 + (c - '0');  // stays past the limit once there
  }
  return value <= 2147483647;
}

// itemRgb: three numbers of 0 to 255 between two commas; "0" is no colour.
bool PlainColour(std::string_view text, int rgb[3]) {
  if (text == "0") return false;
  for (int k = 0; k < 3; ++k) {
    std::size_t comma = k < 2 ? text.find(',') : text.size();
    long long value;
    if (comma == std::string_view::npos || !PlainNumber(text.substr(0, comma), value) || value > 255) return false;
    rgb[k] = static_cast<int>(value);
    text.remove_prefix(k < 2 ? comma + 1 : comma);
  }
  return true;
}

PlainBed ReadPlainly(std::string_view raw) {
  if (!raw.empty() && raw.back() == '\n') raw.remove_suffix(1);
  if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
  std::vector<std::string_view> fields;
  std::size_t at = 0;
  while (fields.size() < 9) {
    while (at < raw.size() && (raw[at] == ' ' || raw[at] == '\t')) ++at;
    if (at == raw.size()) break;
    std::size_t from = at;
    while (at < raw.size() && raw[at] != ' ' && raw[at] != '\t') ++at;
    fields.push_back(raw.substr(from, at - from));
  }
  PlainBed plain;
  if (fields.empty() || fields[0][0] == '#' || fields[0] == "track" || fields[0] == "browser") return plain;
  plain.kind = tindra::BedLineKind::kBad;
  if (fields.size() < 3 || !PlainNumber(fields[1], plain.start) || !PlainNumber(fields[2], plain.end) ||
      plain.start > plain.end)
    return plain;
  plain.kind = tindra::BedLineKind::kRegion;
  plain.chrom = fields[0];
  if (fields.size() > 5 && (fields[5] == "+" || fields[5] == "-")) plain.strand = fields[5][0];
  plain.has_colour = fields.size() > 8 && PlainColour(fields[8], plain.rgb);
  return plain;
}

void ParseEveryLine(std::string_view text) {
  tindra::BedLine line;
  while (!text.empty()) {
    std::string_view raw = TakeLine(text);
    tindra::BedLineKind kind = tindra::ParseBedLine(raw, line);
    PlainBed plain = ReadPlainly(raw);
    Check(kind == plain.kind);
    if (kind != tindra::BedLineKind::kRegion) continue;
    const tindra::BedRegion& r = line.region;
    Check(line.chrom == plain.chrom && r.strand == plain.strand);
    Check(plain.start == plain.end ? (r.lo == 1 && r.hi == 0) : (r.lo == plain.start + 1 && r.hi == plain.end));
    Check(!line.chrom.empty() && line.chrom.data() >= raw.data() &&
          line.chrom.data() + line.chrom.size() <= raw.data() + raw.size());
    Check(r.lo >= 1 && (r.lo <= r.hi || (r.lo == 1 && r.hi == 0)));
    Check(r.strand == '+' || r.strand == '-' || r.strand == '.');
    Check(line.has_colour == plain.has_colour);
    for (int k = 0; k < 3 && plain.has_colour; ++k) Check(line.colour.rgb[k] == plain.rgb[k]);
  }
}

std::vector<std::string> DrawCommandLine(FuzzInput& fuzz, const std::string& bed_path) {
  std::vector<std::string> words{"tindra", "--bed=" + bed_path};
  uint8_t flags = fuzz.Byte();
  if (flags & 1) words.push_back(std::string("--range=") + fuzz.Pick(kRanges));
  if (flags & 2) words.push_back(std::string("--seq=") + fuzz.Pick(kSelections));
  if (flags & 4) words.push_back("-c");
  if (flags & 8) words.push_back("-f");
  if (flags & 16) words.push_back(std::string("--color=") + fuzz.Pick(kColours));
  if (flags & 32) words.push_back(std::string("--fgcolor=") + fuzz.Pick(kColours));
  return words;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static MemoryFile bed;
  static FILE* sink = std::fopen("/dev/null", "w");
  std::string_view text(reinterpret_cast<const char*>(data), size);
  ParseEveryLine(text);

  bed.Set(text);
  FuzzInput fuzz(data, size);
  std::vector<std::string> words = DrawCommandLine(fuzz, bed.path());
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  Input in;
  in.UseMemory(kCol);
  Output out(sink, 1 << 16);
  (void)tindra::Run(static_cast<int>(words.size()), argv.data(), in, out);
  return 0;
}
