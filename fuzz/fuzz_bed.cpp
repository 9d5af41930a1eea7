// BED text through tindra --bed: every line through the line reader (whose
// results are checked: a region covers 1 .. 2^31 - 1 or nothing, a colour
// is three bytes), then the whole text as the --bed file of a run over a
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

void ParseEveryLine(std::string_view text) {
  tindra::BedLine line;
  while (!text.empty()) {
    std::string_view raw = TakeLine(text);
    if (tindra::ParseBedLine(raw, line) != tindra::BedLineKind::kRegion) continue;
    const tindra::BedRegion& r = line.region;
    Check(!line.chrom.empty() && line.chrom.data() >= raw.data() &&
          line.chrom.data() + line.chrom.size() <= raw.data() + raw.size());
    Check(r.lo >= 1 && (r.lo <= r.hi || (r.lo == 1 && r.hi == 0)));
    Check(r.strand == '+' || r.strand == '-' || r.strand == '.');
    for (int c : line.colour.rgb) Check(!line.has_colour || (c >= 0 && c <= 255));
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
