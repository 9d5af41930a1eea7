// Helpers of the col tests: entries from text and printed output as text.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "col.h"

using namespace col;

namespace col_test {

// The bytes that `print` writes to an Output.
template <class Print>
std::string Printed(Print print) {
  char* data = nullptr;
  std::size_t size = 0;
  FILE* stream = open_memstream(&data, &size);
  {
    Output out(stream, 64);
    print(out);
  }
  std::fclose(stream);
  std::string bytes(data, size);
  std::free(data);
  return bytes;
}

// The one entry held in `text` (entry text, body, end marker).
inline Entry EntryOf(std::string_view text) {
  Input in;
  in.UseMemory(text);
  Entry e = MakeEntry();
  ReadEntry(in, e);
  return e;
}

// The example entry of three residues that morvel writes.
inline constexpr std::string_view kSeq1 =
    "; TYPE              DNA\n"
    "; COL 1             label\n"
    "; COL 2             residue\n"
    "; COL 3             seqpos\n"
    "; ENTRY             SEQ1\n"
    "; ACCESSION         SEQ1\n"
    "; LENGTH            3\n"
    "; ----------\n"
    "N     a     1\n"
    "N     c     2\n"
    "N     g     3\n"
    "; **********\n";

}  // namespace col_test
