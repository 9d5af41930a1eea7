// tindra's colouring in process. The range text is the first line of the
// input and the entry selection its second line (both are free header text
// of a col file, so seed files stay valid); the other options are drawn
// from its last bytes. The colouring runs as the program runs it, and
// inrange and inseqrange are asked directly about every entry.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "col.h"
#include "fuzz_input.h"
#include "tindra.h"

using namespace col;

namespace {

const char* const kColours[] = {"1,0,0", "0,0.5,1", "0.333333,0.666666,0.999999", "1e300,-1e300,0",
                                "nan,inf,-inf", "10,100,-5", " 1, 2, 3", "1,0", "1,0,0,0", ""};

std::vector<std::string> DrawCommandLine(FuzzInput& fuzz, std::string_view ranges, std::string_view selection) {
  std::vector<std::string> words{"tindra"};
  uint8_t flags = fuzz.Byte();
  bool cluster = flags & 128;  // single-dash forms, which the scanner cuts at letters
  if (flags & 1) words.push_back((cluster ? "-r" : "--range=") + Word(ranges));
  if (flags & 2) words.push_back((cluster ? "-s" : "--seq=") + Word(selection));
  if (flags & 4) words.push_back(cluster ? "-c" : "--color");
  if (flags & 8) words.push_back(cluster ? "-f" : "--fgcolor");
  if (flags & 16) words.push_back(std::string(cluster ? "-C" : "--color=") + fuzz.Pick(kColours));
  if (flags & 32) words.push_back(std::string(cluster ? "-F" : "--fgcolor=") + fuzz.Pick(kColours));
  if (flags & 64) words.push_back("--");
  return words;
}

// The direct questions: every entry against the selection, a spread of
// positions against the ranges.
void AskDirectly(FuzzInput& fuzz, std::string_view text, std::string_view ranges, std::string_view selection) {
  for (int p : {0, 1, 2, 5, -1, 2147483647, -2147483647 - 1}) (void)inrange(p, ranges);
  (void)inrange(fuzz.Int(), ranges);
  Input in;
  in.UseMemory(text);
  Header header = MakeHeader();
  if (ReadHeader(in, header) != 0) return;
  Entry e = MakeEntry();
  for (int entryno = 1; ReadEntry(in, e) == 0 && entryno < 64; ++entryno) {
    (void)inseqrange(e, entryno, selection);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput fuzz(data, size);
  std::vector<std::string> words;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string_view lines = text;
  std::string_view ranges = TakeLine(lines);
  std::string_view selection = TakeLine(lines);
  words = DrawCommandLine(fuzz, ranges, selection);
  AskDirectly(fuzz, text, ranges, selection);

  RunOverText(tindra::Run, std::move(words), text);
  return 0;
}
