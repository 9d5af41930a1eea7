// The col reader and every field and entry-text operation on what it read.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "col.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FILE* sink = std::fopen("/dev/null", "w");
  std::string text(reinterpret_cast<const char*>(data), size);
  Input in;
  in.UseMemory(text);
  Output out(sink, 1 << 16);
  Header header = MakeHeader();
  if (ReadHeader(in, header) != 0) return 0;
  AddHeaderText(header, "; %s\n", "fuzz");
  PrintHeader(out, header);
  Entry entry = MakeEntry();
  while (ReadEntry(in, entry) == 0) {
    std::string value;
    (void)ReadColno(entry, "seqpos");
    (void)ReadColnoND(entry, "alignpos");
    (void)ReadCollabel(entry, 2, value);
    (void)ReadText(entry, "ENTRY", 1000, value);
    (void)ReadVar(entry, "TYPE", value);
    (void)ReadType(entry, "DNA");
    int n = EntryLength(entry);
    for (int k = 1; k <= n && k <= 64; ++k) {
      std::string_view field;
      int fields = CountField(entry, k);
      (void)GetField(field, entry, k, fields > 0 ? fields : 1);
      (void)ChgField(entry, k, 1, "%5.3f", 0.5);
      (void)AddField(entry, k, "%d", k);
      (void)RmvField(entry, k, 2);
      (void)InSeq(entry, k);
      (void)FindPair(entry, k, 5, 3, 5, 3);
    }
    (void)EnsureCol(entry, "color_r", "1.000");
    (void)ChgCollabel(entry, 1, "label");
    (void)ChgEntryText(entry, "ENTRY", "x");
    (void)RmvCol(entry, "residue");
    (void)RmvColno(entry, "seqpos");
    PrintEntry(out, entry);
  }
  return 0;
}
