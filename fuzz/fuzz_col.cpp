// The col reader and every field and entry-text operation on what it read.
// Column and line numbers are drawn from the last bytes of the input (which
// is read whole as the col text as well).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "col.h"
#include "fuzz_input.h"

using namespace col;

namespace {

const char* const kLabels[] = {"seqpos", "alignpos", "residue", "label", "align_bp", "color_r", "nucleotide", "COL", ""};
const char* const kKeys[] = {"ENTRY", "TYPE", "COL", "ACCESSION", "", "E"};
const char* const kTexts[] = {"x", "", "1.000", "a rather long value that is wider than any field", "%s%n", " "};

// An invariant of the field operations failed: stop, as a crash would.
void Expect(bool holds) {
  if (!holds) __builtin_trap();
}

bool IsWord(std::string_view text) {
  return !text.empty() && text.find_first_of(" \t\n\v\f\r") == std::string_view::npos;
}

// A changed field reads back as the new text, and the line keeps its number
// of fields.
void ChangeAndCheck(Entry& e, int line, int field, std::string_view text) {
  int before = CountField(e, line);
  if (ChgFieldText(e, line, field, text) != 0 || !IsWord(text)) return;
  std::string_view now;
  Expect(GetField(now, e, line, field) == 0 && now == text);
  Expect(CountField(e, line) == before);
}

void QueryText(Entry& e, FuzzInput& fuzz) {
  std::string value;
  for (const char* label : kLabels) {
    (void)ReadColno(e, label);
    (void)ReadColnoND(e, label);
  }
  (void)ReadCollabel(e, fuzz.Int(), value);
  (void)ReadText(e, fuzz.Pick(kKeys), 1 + fuzz.Byte() * 8, value);
  (void)ReadVar(e, fuzz.Pick(kKeys), value);
  (void)ReadType(e, "DNA");
}

void EditText(Entry& e, FuzzInput& fuzz) {
  (void)ChgEntryText(e, fuzz.Pick(kKeys), fuzz.Pick(kTexts));
  (void)ChgCollabel(e, fuzz.Int(), fuzz.Pick(kLabels));
  (void)RmvColno(e, fuzz.Pick(kLabels));
  AddEntryText(e, "; NOTE %s\n", fuzz.Pick(kTexts));
  AddEntryExt(e, "; COL %-3d           %s\n", fuzz.Int(), fuzz.Pick(kLabels));
}

void EditFields(Entry& e, FuzzInput& fuzz) {
  int n = EntryLength(e);
  for (int k = 0; k <= n + 1 && k <= 48; ++k) {
    int line = fuzz.Flag() ? k : fuzz.Int();
    int field = fuzz.Int();
    std::string_view view;
    std::string copy;
    std::size_t pos = 0;
    while (NextField(LineAddress(e, line), pos, view)) {
    }
    (void)CountField(e, line);
    (void)GetField(view, e, line, field);
    (void)GetField(copy, e, line, field);
    (void)ParseInt(copy);
    (void)CmpLine(e, e, line);
    (void)InSeq(e, line);
    (void)CopyEntryLine(e, line);
    int before = CountField(e, line);
    switch (fuzz.Byte() % 6) {
      case 0: (void)ChgField(e, line, field, "%5.3f", 0.5); break;
      case 1: ChangeAndCheck(e, line, field, fuzz.Pick(kTexts)); break;
      case 2: (void)AddField(e, line, "%d", line); break;
      case 3: {
        std::string_view text = fuzz.Pick(kTexts);
        (void)AddFieldText(e, line, text);
        // A new field that is one word adds one field to a line in range.
        Expect(!IsWord(text) || !InSeq(e, line) || CountField(e, line) == before + 1);
        break;
      }
      case 4:
        if (RmvField(e, line, field) == 0) Expect(CountField(e, line) == before - 1);
        break;
      case 5: RmvLine(e, line); break;
    }
  }
}

void Pairs(Entry& e, FuzzInput& fuzz) {
  int pair = fuzz.Byte() % 8, pos = fuzz.Byte() % 8;
  int n = EntryLength(e);
  for (int k = 0; k <= n + 1 && k <= 48; ++k) {
    int partner = FindPair(e, k, pair, pos, fuzz.Byte() % 8, fuzz.Byte() % 8);
    int line = k;
    (void)FindPairNextLine(e, &line, pos);
    line = k;
    (void)FindPairPrevLine(e, &line, pos);
    if (fuzz.Flag()) SetPair(e, k, partner, pair, pos, 0, 0);
  }
}

void Columns(Entry& e, FuzzInput& fuzz) {
  (void)EnsureCol(e, fuzz.Pick(kLabels), fuzz.Pick(kTexts));
  // A column just created is numbered after the fields of line 1, which
  // holds its text there. (Look-ups may still answer 0 afterwards: an
  // earlier "; COL 0 color_g" line is found first.)
  bool fresh = ReadColnoND(e, "color_g") == 0 && EntryLength(e) > 0;
  int column = EnsureCol(e, "color_g", "0.250");
  std::string_view value;
  if (fresh) Expect(column == CountField(e, 1) && GetField(value, e, 1, column) == 0 && value == "0.250");
  (void)EnsureCol(e, "color_r", "1.000");
  (void)RmvCol(e, fuzz.Pick(kLabels));
}

// The two-phase reader that streams long bodies, in chunks of a drawn size.
void ReadInChunks(std::string_view text, FuzzInput& fuzz, Output& out) {
  Input in;
  in.UseMemory(text);
  Header header = MakeHeader();
  if (ReadHeader(in, header) != 0) return;
  Entry e = MakeEntry();
  int chunk = static_cast<int>(fuzz.Byte() % 5) - 1;
  while (ReadEntryText(in, e) == 0) {
    PrintEntryText(out, e);
    int rc;
    do {
      rc = ReadEntryLines(in, e, chunk);
      PrintEntryLines(out, e);
    } while (rc == 0 && chunk > 0);
    if (rc == 1) return;
    PrintEntryEnd(out, e);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FILE* sink = std::fopen("/dev/null", "w");
  FuzzInput fuzz(data, size);
  std::string_view text(reinterpret_cast<const char*>(data), size);
  Output out(sink, 1 << 16);

  Input in;
  in.UseMemory(text);
  Header header = MakeHeader();
  if (ReadHeader(in, header) != 0) return 0;
  AddHeaderText(header, "; %s\n", "fuzz");
  PrintHeader(out, header);
  Entry entry = MakeEntry();
  Entry copy = MakeEntry();
  while (ReadEntry(in, entry) == 0) {
    CopyEntry(copy, entry);
    QueryText(entry, fuzz);
    EditText(entry, fuzz);
    EditFields(entry, fuzz);
    Pairs(copy, fuzz);
    Columns(copy, fuzz);
    PrintEntry(out, entry);
    PrintEntry(out, copy);
    PrintEntryText_tex(out, copy);
    for (int k = 0; k <= EntryLength(copy) + 1 && k < 8; ++k) PrintEntryLine(out, copy, k);
  }
  ReadInChunks(text, fuzz, out);

  Input whole;
  whole.UseMemory(text);
  (void)ReadColfile(whole);

  Input connected;
  connected.UseMemory(text);
  InitConnect();
  int lines = 0;
  while (auto line = GetConnect(connected)) {
    if (++lines % 7 == 0) PutConnect(*line);
    if (lines > 4096) break;
  }
  Entry fresh = NewEntry("DNA", "fresh", fuzz.Byte());
  (void)EnsureCol(fresh, "seqpos", "0");
  PrintEntry(out, fresh);
  return 0;
}
