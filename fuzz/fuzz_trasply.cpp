// trasply's conversion in process: the col reader over arbitrary bytes and
// every entry turned from line form into column form, one output line per
// value of the line that sets the row count.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "col.h"
#include "trasply.h"

using namespace col;
using namespace trasply;

namespace {

// Widths of thousands of blanks, and many lines times many rows (every line
// gives a field to every row), are legitimate but only cost time: such
// entries are read and skipped.
bool Affordable(const Entry& e) {
  long long most_fields = 0;
  for (int q = 1; q <= e.length(); ++q) {
    std::string_view line = LineAddress(e, q);
    most_fields = std::max<long long>(most_fields, CountField(line));
    std::size_t pos = 0;
    std::string_view width;
    if (!NextField(line, pos, width)) continue;
    int w = ParseInt(width);
    if (w > 4096 || w < -4096) return false;
  }
  return most_fields * e.length() <= (1 << 22);
}

// The rows an entry must give: one per value of its residue line (the first
// of residue, nucleotide, aminoacid and code that it declares), or of line 1
// (line 2 when line 1 holds the alignment positions) when it declares none.
long long ExpectedRows(const Entry& e) {
  int r = 0;
  for (const char* label : {"residue", "nucleotide", "aminoacid", "code"}) {
    if ((r = ReadColno(e, label)) != 0) break;
  }
  int line = r != 0 ? r : ReadColno(e, "alignpos") == 1 ? 2 : 1;
  int values = CountField(e, line);  // the width comes first
  return values > 1 ? values - 1 : 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  Input in;
  in.UseMemory(text);
  Header header = MakeHeader();
  if (ReadHeader(in, header) != 0) return 0;
  Entry e = MakeEntry();
  std::vector<LineColumn> columns;
  char* body = nullptr;
  std::size_t length = 0;
  FILE* sink = open_memstream(&body, &length);
  while (ReadEntry(in, e) == 0) {
    if (!Affordable(e)) continue;
    {
      Output out(sink, 1 << 16);
      TransposeBody(e, columns, out);
    }
    // Every row is one line.
    std::fflush(sink);
    if (std::count(body, body + length, '\n') != ExpectedRows(e)) __builtin_trap();
    std::rewind(sink);
    length = 0;
  }
  std::fclose(sink);
  std::free(body);
  return 0;
}
