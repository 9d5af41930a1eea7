#include "trasply.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "file.h"
#include "scan.h"
#include "tool.h"
#include "version.h"

namespace trasply {

using namespace col;

namespace {

// A width field read as a number: an optional sign and the digits after it.
// Text that does not start with a number, and numbers beyond an int, read 0.
int ReadWidth(std::string_view field) { return ScanInt(field).value; }

void PutBlanks(Output& out, std::size_t n) {
  while (n > 0) {
    std::size_t chunk = n < 4096 ? n : 4096;
    char* at = out.Reserve(chunk);
    std::memset(at, ' ', chunk);
    out.Commit(at + chunk);
    n -= chunk;
  }
}

// One output field as printf(" %*s", width, value) writes it: a blank, then
// the value right-aligned in `width` characters, or left-aligned in -width
// characters when the width is negative. Longer values are written whole.
void PutField(Output& out, std::string_view value, long long width) {
  bool left = width < 0;
  unsigned long long room = left ? 0ULL - static_cast<unsigned long long>(width) : width;
  std::size_t pad = room > value.size() ? room - value.size() : 0;
  std::size_t total = 1 + pad + value.size();
  if (total <= 4096) {
    char* at = out.Reserve(total);
    *at++ = ' ';
    if (!left) at = static_cast<char*>(std::memset(at, ' ', pad)) + pad;
    std::memcpy(at, value.data(), value.size());
    at += value.size();
    if (left) at = static_cast<char*>(std::memset(at, ' ', pad)) + pad;
    out.Commit(at);
    return;
  }
  out.Put(' ');
  if (!left) PutBlanks(out, pad);
  out.Write(value);
  if (left) PutBlanks(out, pad);
}

void PutNumber(Output& out, long long v, long long width) {
  char digits[24];
  char* end = FormatInt(digits, v, 0);
  PutField(out, std::string_view(digits, end - digits), width);
}

// The residue line: the first of residue, nucleotide, aminoacid and code
// that the entry declares.
int ResidueLine(const Entry& e) {
  for (const char* label : {"residue", "nucleotide", "aminoacid", "code"}) {
    if (int q = ReadColno(e, label)) return q;
  }
  return 0;
}

int Convert(Input& in, Output& out) {
  Header header = MakeHeader();
  if (ReadHeader(in, header) != 0) return 1;
  PrintHeader(out, header);
  Entry e = MakeEntry();
  std::vector<LineColumn> columns;
  int rc;
  while ((rc = ReadEntry(in, e)) == 0) {
    PrintEntryText(out, e);
    TransposeBody(e, columns, out);
    PrintEntryEnd(out, e);
  }
  return rc == 1 ? 1 : 0;
}

constexpr std::string_view kHelp =
    "Usage: trasply [FILE]\n"
    "Convert col data in line form (FILE, or standard input), where each body\n"
    "line holds one column of an entry, into column form with one body line per\n"
    "row; empty seqpos and alignpos lines are numbered.\n"
    "\n"
    "  --help       print this help and exit\n"
    "  --version    print the version and exit\n"
    "\n"
    "Example:\n"
    "  trasply lines.col > columns.col\n"
    "\n"
    "Read more in trasply(1) and col(5).\n";

int Program(int argc, char** argv) {
  Args args = InitArgument(argc, argv);
  std::optional<std::string_view> option = GetArgument(args);
  if (option && ReadInfoOption(*option) != InfoOption::kNone) {
    PrintInfo(ReadInfoOption(*option), "trasply", kHelp);
    return 0;
  }
  const char* filename = option ? nullptr : GetFilename(args);
  const char* second = filename ? GetFilename(args) : nullptr;
  if (option || second) {
    std::string refused = option ? Concat({"unknown option '", AsTyped(*option), "' (trasply takes only a file)"})
                                 : Concat({"a second file '", second, "': trasply reads one file"});
    ReportUsage("trasply", refused.c_str());
    usage();
    return 1;
  }
  Input in;
  if (!OpenInput(in, "trasply", filename)) return 1;
  return FinishInput(in, "trasply", Convert(in, StdOut()));
}

}  // namespace

void TransposeBody(const Entry& e, std::vector<LineColumn>& columns, Output& out) {
  int r = ResidueLine(e);
  int s = r != 0 ? ReadColno(e, "seqpos") : 0;
  int a = ReadColno(e, "alignpos");
  // The row count includes the widths, the first "row".
  int rows = r != 0 ? CountField(e, r) : CountField(e, a == 1 ? 2 : 1);

  int n = e.length();
  columns.assign(n, LineColumn{});
  for (int q = 1; q <= n; ++q) {
    LineColumn& column = columns[q - 1];
    column.text = LineAddress(e, q);
    std::string_view field;
    column.width = (GetField(field, e, q, 1) == 0 ? ReadWidth(field) : 0) - 1LL;
    // A position line with values of its own is copied, not generated.
    if (q == a && CountField(column.text) != 1) {
      a = 0;
    } else if (q == s && CountField(column.text) != 1) {
      s = 0;
    }
  }
  const LineColumn* residue = r >= 1 && r <= n ? &columns[r - 1] : nullptr;

  long long residues = 0;
  for (int j = 1; j <= rows; ++j) {
    for (int q = 1; q <= n; ++q) {
      if (q == s || q == a) continue;
      LineColumn& column = columns[q - 1];
      // A line with fewer values than rows shows "." for the missing ones;
      // its offset then rests at its end, so its trailing blanks are walked
      // once, not once per row.
      if (!NextField(column.text, column.offset, column.value)) column.value = ".";
    }
    if (j == 1) continue;  // the widths
    for (int q = 1; q <= n; ++q) {
      const LineColumn& column = columns[q - 1];
      if (q == s) {
        if (residue && residue->value == "-") {
          PutField(out, ".", column.width);
        } else {
          PutNumber(out, ++residues, column.width);
        }
      } else if (q == a) {
        PutNumber(out, j - 1, column.width);
      } else {
        PutField(out, column.value, column.width);
      }
    }
    out.Put('\n');
  }
}

void usage() { std::fputs("Usage: trasply [FILE]\n", stderr); }

int Main(int argc, char** argv) { return RunTool("trasply", Program, argc, argv); }

}  // namespace trasply
