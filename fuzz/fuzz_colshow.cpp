// colshow's page and figure in process. The range text is the first line of
// the input and the entry selection its second line (both are free header
// text of a col file, so seed files stay valid); the other options are drawn
// from its last bytes.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "colshow.h"
#include "fuzz_input.h"

using namespace col;

namespace {

std::vector<std::string> DrawCommandLine(FuzzInput& fuzz, std::string_view ranges, std::string_view selection) {
  static const char* const kWidths[] = {"1", "7", "10", "60", "10000", "0", "x", ""};
  std::vector<std::string> words{"colshow"};
  uint8_t flags = fuzz.Byte();
  bool cluster = flags & 128;  // single-dash forms, which the scanner cuts at letters
  if (flags & 1) words.push_back((cluster ? "-r" : "--range=") + Word(ranges));
  if (flags & 2) words.push_back((cluster ? "-s" : "--seq=") + Word(selection));
  if (flags & 4) words.push_back(std::string(cluster ? "-w" : "--width=") + fuzz.Pick(kWidths));
  if (flags & 8) words.push_back("--align");
  if (flags & 16) words.push_back("--svg");
  if (flags & 64) words.push_back("--");
  return words;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput fuzz(data, size);
  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string_view lines = text;
  std::string_view ranges = TakeLine(lines);
  std::string_view selection = TakeLine(lines);
  std::vector<std::string> words = DrawCommandLine(fuzz, ranges, selection);
  RunOverText(colshow::Run, std::move(words), text);
  return 0;
}
