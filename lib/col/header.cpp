// The col header: reading, history lines and printing.
#include <cstdarg>
#include <cstdio>

#include "col.h"
#include "internal/col_detail.h"
#include "tool.h"

namespace col {

using namespace detail;

Header MakeHeader() { return Header{}; }

int ReadHeader(Input& in, Header& h) {
  h.text.clear();
  std::vector<std::string> spare;
  while (ReadSlot(in, h.text, spare)) {
    if (IsMarker(h.text.back(), kHeaderSeparator)) {
      h.text.shrink_to_fit();
      return 0;
    }
  }
  h.text.clear();
  if (!in.Failed()) {
    std::fputs("Error in header\n", stderr);
    ReportInputWhere(in, in.LinesRead(),
                     in.LinesRead() == 0 ? "the input is empty: no header separator line (\"; ====...\")"
                                         : "no header separator line (\"; ====...\") before the end of the input");
  }
  return 1;
}

// A new line directly before the separator, which stays last.
static void InsertBeforeSeparator(Header& h, std::string line) {
  std::size_t pos = h.text.empty() ? 0 : h.text.size() - 1;
  InsertLine(h.text, pos, std::move(line));
}

void AddHeaderText(Header& h, const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  Formatted text(format, ap);
  va_end(ap);
  InsertBeforeSeparator(h, std::string(text.view()));
}

void AddHeaderInfo(Header& h, int argc, char** argv) {
  InsertBeforeSeparator(h, ";\n");
  std::string history = "; '";
  if (argc > 0 && argv && argv[0]) history += argv[0];
  Args args = InitArgument(argc, argv);
  while (auto piece = GetArgument(args)) {
    history += " -";
    if (piece->size() <= 30) {
      history += *piece;
    } else {
      history += piece->substr(0, 27);
      history += "...";
    }
  }
  history += "' was run on this file\n";
  InsertBeforeSeparator(h, std::move(history));
}

void PrintHeader(Output& out, const Header& h) {
  for (const std::string& line : h.text) out.Write(line);
}

}  // namespace col
