// Helpers shared by the sources of the col module; not part of its interface.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "../col.h"
#include "scan.h"

namespace col {

namespace detail {

// The position of the first character at or after i that is not white
// space (IsSpace), or the end.
inline std::size_t SkipWhite(std::string_view s, std::size_t i) {
  while (i < s.size() && IsSpace(s[i])) ++i;
  return i;
}

// The text of a line as far as a C string reaches (up to a NUL byte): the
// extent that the keyed-line scans look at.
inline std::string_view CText(std::string_view s) { return s.substr(0, s.find('\0')); }

// The position after a leading ";" and the white space that follows it, or
// npos when the line does not begin with ";".
inline std::size_t AfterSemicolon(std::string_view s) {
  if (s.empty() || s[0] != ';') return std::string_view::npos;
  return SkipWhite(s, 1);
}

// True when the line begins with ";", optional white space and `word`
// (letter case counts).
inline bool BeginsWithKeyword(std::string_view s, std::string_view word) {
  std::size_t p = AfterSemicolon(s);
  return p != std::string_view::npos && StartsWith(s, word, p);
}

// Text formatted in printf conventions, of any length: on the stack when it
// is short, so that formatting a field does not allocate.
class Formatted {
 public:
  Formatted(const char* format, va_list ap);
  Formatted(const Formatted&) = delete;
  Formatted& operator=(const Formatted&) = delete;
  std::string_view view() const { return view_; }

 private:
  char small_[128];
  std::string big_;
  std::string_view view_;
};

// Line reading that reuses strings kept in `spare` instead of allocating.
// Every string a record holds comes from its spare list when the list has
// one, and goes back to it when the record lets the line go, so the number
// of strings in circulation is the most the record ever held at once, not
// the number of lines read or added over a run.
//
// Reads the next line into a new last element of `lines`; false at end of
// input, with nothing added.
bool ReadSlot(Input& in, std::vector<std::string>& lines, std::vector<std::string>& spare);
// A new last element of `lines`, made from a spare string when there is one.
std::string& NewSlot(std::vector<std::string>& lines, std::vector<std::string>& spare);
// Takes the last element of `lines` back to `spare` whatever its size.
void DropSlot(std::vector<std::string>& lines, std::vector<std::string>& spare);
// Gives `line` back to `spare`. A string whose storage is far larger than the
// line it holds is freed instead, so that the kept storage stays in
// proportion to the lines given back: one long line does not leave a large
// buffer behind for every later short line to carry.
void Keep(std::string&& line, std::vector<std::string>& spare);
// Gives all strings of `lines` back to `spare`, leaving `lines` empty.
void Release(std::vector<std::string>& lines, std::vector<std::string>& spare);
// A string holding `text`, made from a spare one when there is one.
std::string SpareCopy(std::string_view text, std::vector<std::string>& spare);

// Inserts `line` at `pos` (clamped to the end).
void InsertLine(std::vector<std::string>& lines, std::size_t pos, std::string line);

// Inserts `text` as AddEntryExt does, unformatted.
void InsertEntryExt(Entry& e, std::string_view text);

// Body line n, or null when n is outside 1 .. length.
inline std::string* LineAt(Entry& e, int n) {
  return n >= 1 && n <= e.length() ? &e.line[n - 1] : nullptr;
}
inline const std::string* LineAt(const Entry& e, int n) {
  return n >= 1 && n <= e.length() ? &e.line[n - 1] : nullptr;
}

}  // namespace detail

}  // namespace col
