// Location parser: any text parses or is refused, and every query on the
// result stays within its ranges.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "location.h"

using namespace morvel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  LocPtr loc = ReadLoc(text);
  if (!loc) return 0;
  (void)PrintLoc(loc.get());
  for (int p : {-1, 0, 1, 2, 50, 1000, 2147483647, -2147483647 - 1}) {
    (void)InLoc(loc.get(), p);
    (void)InLocRange(loc.get(), p, 100);
    (void)InLocRange(loc.get(), 100, p);
  }
  FreeLoc(loc);
  return 0;
}
