// A tiny program built against the installed col library: prints the name
// and length of every entry of a col file.
#include <cstdio>
#include <string>

#include "col.h"

using namespace col;

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  Input in;
  if (!in.Open(argv[1])) return 1;
  Header header = MakeHeader();
  if (ReadHeader(in, header) != 0) return 1;
  Entry entry = MakeEntry();
  int status;
  while ((status = ReadEntry(in, entry)) == 0) {
    std::string name;
    ReadVar(entry, "ENTRY", name);
    std::printf("%s %d\n", name.c_str(), EntryLength(entry));
  }
  return status == -1 ? 0 : 1;
}
