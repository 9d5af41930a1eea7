// Field operations on body lines: count, read, append, replace, remove, and
// whole columns across an entry.
#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "col.h"
#include "internal/col_detail.h"

namespace col {

using namespace detail;

namespace {

// A located field: its span runs from `begin` (after the previous field) to
// `end`, the field's characters from `start` to `end`.
struct FieldSpan {
  std::size_t begin = 0, start = 0, end = 0;
};

// One tight pass: this runs several times for every body line.
bool LocateField(std::string_view line, int field, FieldSpan& span) {
  const char* const data = line.data();
  const char* const end = data + line.size();
  const char* p = data;
  for (int k = 1;; ++k) {
    const char* begin = p;
    while (p < end && IsSpace(*p)) ++p;
    if (p == end) return false;
    const char* start = p;
    while (p < end && !IsSpace(*p)) ++p;
    if (k >= field) {
      span = {static_cast<std::size_t>(begin - data), static_cast<std::size_t>(start - data),
              static_cast<std::size_t>(p - data)};
      return true;
    }
  }
}

int MissingColumn(int field) {
  std::fprintf(stderr, "Column does not exist %d\n", field);
  return 1;
}

bool PointsInto(std::string_view text, const std::string& line) {
  return !text.empty() && text.data() >= line.data() && text.data() < line.data() + line.size();
}

// Appends a field to line n; the line, or null when there is none. The
// field goes before the line's end, "\r\n" or "\n", which the line keeps: a
// CR left in mid-line would split it for readers that take a lone CR for a
// line end. A line without a newline (an emptied line) keeps all its
// characters and gains "\n".
std::string* AppendText(Entry& e, int n, std::string_view text) {
  std::string* line = LineAt(e, n);
  if (!line) return nullptr;
  std::string copy;
  if (PointsInto(text, *line)) text = copy.assign(text);
  bool crlf = line->ends_with("\r\n");
  if (line->ends_with('\n')) line->resize(line->size() - (crlf ? 2 : 1));
  line->push_back(' ');
  line->append(text);
  if (crlf) line->push_back('\r');
  line->push_back('\n');
  return line;
}

// The per-line step of EnsureCol, which needs no field count.
int AppendField(Entry& e, int n, const std::string_view* text) {
  AppendText(e, n, *text);
  return 0;
}

}  // namespace

bool NextField(std::string_view line, std::size_t& pos, std::string_view& field) {
  const char* const data = line.data();
  const char* const end = data + line.size();
  if (pos >= line.size()) return false;
  const char* p = data + pos;
  while (p < end && IsSpace(*p)) ++p;
  // Past the white space even when no field follows, so that a caller
  // scanning on from the same position never walks it again.
  pos = static_cast<std::size_t>(p - data);
  if (p == end) return false;
  const char* start = p;
  while (p < end && !IsSpace(*p)) ++p;
  field = std::string_view(start, static_cast<std::size_t>(p - start));
  pos = static_cast<std::size_t>(p - data);
  return true;
}

int CountField(std::string_view line) { return CountFields(line); }

int ParseInt(std::string_view text) {
  ScannedInt n = ScanInt(text);
  if (n.fits || !n.found) return n.value;
  // Too large: saturated towards its sign.
  return text[SkipWhite(text, 0)] == '-' ? INT_MIN : INT_MAX;
}

int CmpLine(const Entry& a, const Entry& b, int n) {
  return StrCmp(LineAddress(a, n), LineAddress(b, n));
}

void RmvLine(Entry& e, int n) {
  if (std::string* line = LineAt(e, n)) line->clear();
}

std::string_view LineAddress(const Entry& e, int n) {
  const std::string* line = LineAt(e, n);
  return line ? std::string_view(*line) : std::string_view();
}

int CountField(const Entry& e, int n) { return CountField(LineAddress(e, n)); }

int GetField(std::string_view& out, const Entry& e, int n, int field) {
  std::string_view line = LineAddress(e, n);
  FieldSpan span;
  if (!LocateField(line, field, span)) return MissingColumn(field);
  out = line.substr(span.start, span.end - span.start);
  return 0;
}

int GetField(std::string& out, const Entry& e, int n, int field) {
  std::string_view view;
  if (GetField(view, e, n, field) != 0) return 1;
  out.assign(view);
  return 0;
}

int AddField(Entry& e, int n, const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  Formatted text(format, ap);
  va_end(ap);
  return AddFieldText(e, n, text.view());
}

int AddFieldText(Entry& e, int n, std::string_view text) {
  std::string* line = AppendText(e, n, text);
  return line ? CountField(*line) : 0;
}

int ChgField(Entry& e, int n, int field, const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  Formatted text(format, ap);
  va_end(ap);
  return ChgFieldText(e, n, field, text.view());
}

int ChgFieldText(Entry& e, int n, int field, std::string_view text) {
  std::string* line = LineAt(e, n);
  FieldSpan span;
  if (!line || !LocateField(*line, field, span)) return MissingColumn(field);
  std::string copy;
  if (PointsInto(text, *line)) text = copy.assign(text);
  // One blank, then the text right-aligned in the old span, or in as much
  // room as it needs.
  std::size_t old_width = span.end - span.begin;
  std::size_t width = std::max(text.size() + 1, old_width);
  if (width > old_width) line->insert(span.end, width - old_width, ' ');
  char* at = line->data() + span.begin;
  std::memset(at, ' ', width - text.size());
  std::memcpy(at + width - text.size(), text.data(), text.size());
  return 0;
}

int RmvField(Entry& e, int n, int field) {
  std::string* line = LineAt(e, n);
  FieldSpan span;
  if (!line || !LocateField(*line, field, span)) return 1;
  line->erase(span.begin, span.end - span.begin);
  return 0;
}

int EnsureColAddField(Entry& e, int n, const char* text) { return AddFieldText(e, n, text); }

int EnsureCol(Entry& e, std::string_view label, const char* text) {
  if (int column = ReadColnoND(e, label)) return column;
  const std::string_view fill(text);
  EntryMap(e, AppendField, &fill);
  int column = e.length() > 0 ? CountField(e, 1) : 0;
  // The label as far as a C string reaches, as the declaration was once
  // formatted with "%s".
  InsertEntryExt(e, ColLine(column, CText(label)));
  return column;
}

int RmvCol(Entry& e, std::string_view label) {
  int column = RmvColno(e, label);
  if (column == 0) return 0;
  for (int n = 1; n <= e.length(); ++n) RmvField(e, n, column);
  return column;
}

int InSeq(const Entry& e, int n) { return n >= 1 && n <= e.length() ? 1 : 0; }

}  // namespace col
