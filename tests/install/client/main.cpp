// A tiny program built against the installed col library: prints the name
// and length of every entry of a col file. It has headers and names of its
// own that the library also has (file.h, output.h, Entry, GetLine), and
// reaches the library through <col/col.h> with only include/ on its path.
#include <col/col.h>

#include <cstdio>
#include <string>

#include "file.h"
#include "output.h"

#if !defined(CLIENT_OWN_FILE_H) || !defined(CLIENT_OWN_OUTPUT_H)
#error "a library header hid the client's own file.h or output.h"
#endif
#if __has_include(<file.h>) || __has_include(<tool.h>) || __has_include(<llist.h>)
#error "the library's header folder itself is on the include path"
#endif

std::string GetLine(const Entry& entry) { return entry.name + " " + std::to_string(entry.length) + "\n"; }

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  col::Input in;
  if (!in.Open(argv[1])) return 1;
  col::Header header = col::MakeHeader();
  if (col::ReadHeader(in, header) != 0) return 1;
  col::Entry entry = col::MakeEntry();
  int status;
  while ((status = col::ReadEntry(in, entry)) == 0) {
    Entry own;
    col::ReadVar(entry, "ENTRY", own.name);
    own.length = col::EntryLength(entry);
    std::fputs(GetLine(own).c_str(), stdout);
  }
  return status == -1 ? 0 : 1;
}
