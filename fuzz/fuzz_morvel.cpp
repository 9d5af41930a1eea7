// The whole GenBank conversion in process over arbitrary bytes, with the
// options drawn from the last bytes of the input: gene, bothstrand, posname,
// annotate with keys, extend, the feature lines, the position report with a
// mutation, the range report.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "fuzz_input.h"
#include "morvel.h"
#include "genbank.h"

using namespace col;
using namespace morvel;

namespace {

const char* const kKeys[] = {"CDS", "exon", "gene", "mRNA", "source", "", "intron", "3'UTR", "5'UTR", "misc_feature"};

void DrawOptions(Options& opt, FuzzInput& fuzz) {
  uint8_t flags = fuzz.Byte();
  if (flags & 1) ApplyOption(opt, fuzz.Flag() ? "g" : "-gene");
  if (flags & 2) ApplyOption(opt, "-bothstrand");
  if (flags & 4) ApplyOption(opt, "-posname");
  if (flags & 8) {
    std::string keys = "-annotate=";
    for (int k = fuzz.Byte() % 4; k >= 0; --k) {
      keys += fuzz.Pick(kKeys);
      if (k > 0) keys += ',';
    }
    ApplyOption(opt, keys);
    ApplyOption(opt, "-extend=" + std::to_string(fuzz.Int()));
  }
  if (flags & 16) {
    ApplyOption(opt, "-info=" + std::to_string(fuzz.Int()));
    if (flags & 32) ApplyOption(opt, std::string("-mutation=") + static_cast<char>(fuzz.Byte() | 1));
  }
  if (flags & 64) {
    int from = fuzz.Int();
    int to = fuzz.Int();
    ApplyOption(opt, "-longinfo=" + std::to_string(from) + "-" + std::to_string(to));
  }
  if (flags & 128) ApplyOption(opt, "-features");
}

// Records whose lengths add up beyond this are skipped: their tracks and
// body lines only cost time and memory, and the huge cases (up to two
// billion positions) have tests of their own.
constexpr long long kMaxPositions = 1 << 20;

bool Affordable(std::string_view text) {
  long long total = 0;
  while (!text.empty()) {
    std::string_view line = TakeLine(text);
    if (line.substr(0, 6) != "LOCUS ") continue;
    Record record;
    std::string reason;
    if (ReadLocusLine(line, record, reason)) total += record.length;
    if (total > kMaxPositions) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FILE* sink = std::fopen("/dev/null", "w");
  FuzzInput fuzz(data, size);
  Options opt;
  DrawOptions(opt, fuzz);
  std::string text(reinterpret_cast<const char*>(data), size);
  if (!Affordable(text)) return 0;
  Input in;
  in.UseMemory(text);
  Output out(sink, 1 << 16);
  Convert(opt, in, out);
  return 0;
}
