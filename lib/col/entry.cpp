// Col entries: making, copying, reading and printing.
#include <cstdarg>
#include <cstdio>

#include "col.h"
#include "internal/col_detail.h"
#include "tool.h"

namespace col {

using namespace detail;

namespace {

// Result of reading one part of an entry.
constexpr int kRead = 0;
constexpr int kEndOfInput = -1;
constexpr int kError = 1;

// Drops the whole content; its strings are kept for the next read.
void Clear(Entry& e) {
  Release(e.text, e.spare);
  Release(e.line, e.spare);
  e.end.clear();
}

// Frees the spare strings that the last read left unused, before the entry
// gives its own back: what is kept is then at most one entry's strings, and
// long lines of entries read long ago are not carried on. Reading an entry
// like the last one still allocates nothing.
void FreeUnused(Entry& e) { e.spare.clear(); }

// Notes the entry whose body follows, for the message when the input ends
// inside that body: its ENTRY name and its LENGTH (-1 when undeclared).
void NoteBody(Input& in, const Entry& e) {
  if (!in.Tool()) return;
  std::string name, length;
  std::string part = ReadVar(e, "ENTRY", name) == 0 ? "entry " + name : std::string("an entry without a name");
  if (ReadVar(e, "LENGTH", length) == 0) {
    part += " of LENGTH ";
    part += length;
  }
  in.SetPart(part, in.LinesRead());
}

// Reads the entry text up to and including its separator line. -1 when the
// input ends before its first line, 1 (entry text left empty) when it ends
// inside it.
int ReadText(Input& in, Entry& e) {
  long long first = in.LinesRead() + 1;
  while (ReadSlot(in, e.text, e.spare)) {
    if (IsMarker(e.text.back(), kTextSeparator)) {
      NoteBody(in, e);
      return kRead;
    }
  }
  if (e.text.empty()) return kEndOfInput;
  Release(e.text, e.spare);
  if (!in.Failed()) {
    std::fputs("Error in entry text\n", stderr);
    ReportInputWhere(in, in.LinesRead(),
                     "an entry text without its \"; ----------\" line: the input ends inside the entry text that "
                     "begins at line " + std::to_string(first));
  }
  return kError;
}

// Reads body lines, at most `limit` of them, into the (empty) body. -1 when
// the end marker line was reached (and taken as `end`), 0 when `limit` lines
// were taken first, 1 (body left empty) when the input ended.
int ReadBody(Input& in, Entry& e, std::size_t limit) {
  while (e.line.size() < limit) {
    std::string& line = NewSlot(e.line, e.spare);
    int result = ReadBodyLine(in, line);
    if (result == kError) {
      DropSlot(e.line, e.spare);
      Release(e.line, e.spare);
      return kError;
    }
    if (result == kEndOfInput) {
      e.end.swap(line);  // the old end's storage goes to spare
      Keep(std::move(line), e.spare);
      e.line.pop_back();
      return kEndOfInput;
    }
  }
  return kRead;
}

void InsertFormatted(Entry& e, std::size_t pos, const char* format, va_list ap) {
  Formatted text(format, ap);
  InsertLine(e.text, pos, SpareCopy(text.view(), e.spare));
}

// The position after the leading run of TYPE and COL lines.
std::size_t EndOfDeclarations(const Entry& e) {
  std::size_t pos = 0;
  while (pos < e.text.size() &&
         (BeginsWithKeyword(e.text[pos], "TYPE") || BeginsWithKeyword(e.text[pos], "COL")))
    ++pos;
  return pos;
}

// A TeX output stops at a line ";  %%  word".
bool IsTexStop(std::string_view s) {
  std::size_t p = AfterSemicolon(s);
  if (p == std::string_view::npos || !StartsWith(s, "%%", p)) return false;
  return SkipWhite(s, p + 2) < s.size();
}

}  // namespace

int BodyCutShort(const Input& in) {
  if (in.Failed()) return kError;
  std::fputs("Error in entry\n", stderr);
  if (!in.Tool()) return kError;
  // The part noted when the entry text was read: "entry NAME[ of LENGTH n]".
  const std::string& entry = in.Part();
  long long body_lines = in.LinesRead() - in.PartLine();
  std::string reason;
  std::size_t of = entry.find(" of LENGTH ");
  long long length = of == std::string::npos ? -1 : ScanInt(std::string_view(entry).substr(of + 11)).value;
  std::string read = std::to_string(body_lines) + (body_lines == 1 ? " body line" : " body lines");
  if (length > body_lines) {
    reason = "a body line missing in " + entry + ": the input ends after " + read;
  } else {
    reason = "the input ends inside the body of " + entry + ", after " + read;
  }
  reason += " (no \"; **********\" line)";
  ReportInputWhere(in, in.LinesRead(), reason);
  return kError;
}

Entry MakeEntry() { return Entry{}; }

Entry NewEntry(std::string_view type, std::string_view name, int n) {
  Entry e;
  e.text.push_back(TextLine("TYPE", type));
  e.text.push_back(TextLine("ENTRY", name));
  e.text.emplace_back(kTextSeparatorLine);
  e.line.assign(n > 0 ? n : 0, "\n");
  e.end = kEndMarkerLine;
  return e;
}

void CopyEntry(Entry& dst, const Entry& src) {
  if (&dst == &src) return;
  dst.text = src.text;
  dst.line = src.line;
  dst.end = src.end;
}

int ReadEntry(Input& in, Entry& e) {
  FreeUnused(e);
  Clear(e);
  int result = ReadText(in, e);
  if (result != kRead) return result;
  result = ReadBody(in, e, static_cast<std::size_t>(-1));
  if (result == kError) {
    Clear(e);
    return kError;
  }
  return kRead;
}

void AddEntryText(Entry& e, const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  InsertFormatted(e, e.text.empty() ? 0 : e.text.size() - 1, format, ap);
  va_end(ap);
}

void detail::InsertEntryExt(Entry& e, std::string_view text) {
  InsertLine(e.text, EndOfDeclarations(e), SpareCopy(text, e.spare));
}

void AddEntryExt(Entry& e, const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  InsertFormatted(e, EndOfDeclarations(e), format, ap);
  va_end(ap);
}

int EntryLength(const Entry& e) { return e.length(); }

void PrintEntry(Output& out, const Entry& e) {
  PrintEntryText(out, e);
  PrintEntryLines(out, e);
  PrintEntryEnd(out, e);
}

void PrintEntryLine(Output& out, const Entry& e, int k) {
  if (const std::string* line = LineAt(e, k)) out.Write(*line);
}

std::string CopyEntryLine(const Entry& e, int k) {
  const std::string* line = LineAt(e, k);
  return line ? *line : std::string();
}

std::optional<ColFile> ReadColfile(Input& in) {
  ColFile file;
  if (ReadHeader(in, file.header) != 0) return std::nullopt;
  Entry e;
  int result;
  while ((result = ReadEntry(in, e)) == kRead) {
    file.entries.emplace_back();
    CopyEntry(file.entries.back(), e);
  }
  if (result == kError) return std::nullopt;
  return file;
}

int ReadEntryText(Input& in, Entry& e) {
  FreeUnused(e);
  Release(e.text, e.spare);
  e.end.clear();
  return ReadText(in, e);
}

int ReadEntryLines(Input& in, Entry& e, int n) {
  Release(e.line, e.spare);
  if (n <= 0) return kRead;
  return ReadBody(in, e, static_cast<std::size_t>(n));
}

void PrintEntryText(Output& out, const Entry& e) {
  for (const std::string& line : e.text) out.Write(line);
}

void PrintEntryLines(Output& out, const Entry& e) {
  for (const std::string& line : e.line) out.Write(line);
}

void PrintEntryEnd(Output& out, const Entry& e) { out.Write(e.end); }

void PrintEntryText_tex(Output& out, const Entry& e) {
  for (const std::string& line : e.text) {
    std::string_view s = CText(line);
    if (IsTexStop(s)) return;
    std::size_t p = AfterSemicolon(s);
    out.Write("\\noindent ");
    out.Write(p == std::string_view::npos ? s : s.substr(p));
    out.Put('\n');
  }
}

}  // namespace col
