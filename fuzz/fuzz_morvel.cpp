// The whole GenBank conversion in process, with the options drawn from the
// first bytes of the input.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "morvel.h"

namespace {

const char* const kKeys[] = {"CDS", "exon", "gene", "mRNA", "source", ""};

void DrawOptions(Options& opt, const uint8_t* data) {
  uint8_t flags = data[0];
  if (flags & 1) apply_option(opt, "g");
  if (flags & 2) apply_option(opt, "-bothstrand");
  if (flags & 4) apply_option(opt, "-posname");
  if (flags & 8) {
    for (int k = 0; k < 6; ++k) {
      if (data[1] & (1 << k)) apply_option(opt, std::string("-annotate=") + kKeys[k]);
    }
    apply_option(opt, "-extend=" + std::to_string(static_cast<int8_t>(data[2])));
  }
  if (flags & 16) {
    apply_option(opt, "i" + std::to_string(data[3] | (data[4] << 8)));
    if (flags & 32) apply_option(opt, std::string("-mutation=") + static_cast<char>(data[5] | 1));
  }
  if (flags & 64) {
    apply_option(opt, "-longinfo=" + std::to_string(data[3]) + "-" + std::to_string(data[4] | (data[5] << 8)));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 6) return 0;
  static FILE* sink = std::fopen("/dev/null", "w");
  Options opt;
  DrawOptions(opt, data);
  std::string text(reinterpret_cast<const char*>(data + 6), size - 6);
  Input in;
  in.UseMemory(text);
  Output out(sink, 1 << 16);
  convert(opt, in, out);
  return 0;
}
