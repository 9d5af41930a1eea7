// Entry-text queries and edits: column declarations and keyed lines.
#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdio>

#include "col.h"
#include "internal/col_detail.h"

namespace col {

using namespace detail;

namespace {

constexpr std::size_t npos = std::string_view::npos;

// A decimal integer as "%d" reads it from `pos` on; false when there is none
// or it does not fit in an int.
bool ScanNumber(std::string_view s, std::size_t& pos, int& value) {
  std::size_t used;
  if (pos > s.size() || !ReadInt(s.substr(pos), value, used)) return false;
  pos += used;
  return true;
}

// The next word after optional white space ("%s"); false when there is none.
bool ScanWord(std::string_view s, std::size_t& pos, std::string_view& word) {
  return NextField(s, pos, word);
}

// "; COL %d": the declared number; `pos` is left after it.
bool ScanColNumber(std::string_view s, std::size_t& pos, int& number) {
  pos = AfterSemicolon(s);
  if (pos == npos || s.substr(pos, 3) != "COL") return false;
  pos += 3;
  return ScanNumber(s, pos, number);
}

// "; COL %d %s": a full column declaration.
struct Declaration {
  int number = 0;
  std::string_view label;
};

bool ScanDeclaration(std::string_view line, Declaration& d) {
  std::string_view s = CText(line);
  std::size_t pos;
  return ScanColNumber(s, pos, d.number) && ScanWord(s, pos, d.label);
}

// Where the value of a keyed line starts: after ";", its white space and the
// key (a case-blind prefix of the line's key word), or npos when the line
// does not match. `key_end` is set to the end of the key.
std::size_t FindValue(std::string_view s, std::string_view key, std::size_t& key_end) {
  std::size_t pos = AfterSemicolon(s);
  if (pos == npos || StrnCmp(s.substr(pos), key, key.size()) != 0) return npos;
  key_end = std::min(pos + key.size(), s.size());
  return SkipWhite(s, key_end);
}

// The first entry-text line matching `key` as a keyed line, or -1.
int FindKeyed(const Entry& e, std::string_view key, std::size_t& key_end, std::size_t& value) {
  for (std::size_t i = 0; i < e.text.size(); ++i) {
    value = FindValue(CText(e.text[i]), key, key_end);
    if (value != npos) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace

void AppendTextKey(std::string& out, std::string_view key) {
  std::size_t start = out.size();
  out += "; ";
  out += key;
  std::size_t used = out.size() - start;
  out.append(used < kTextValueColumn ? kTextValueColumn - used : 1, ' ');
}

void AppendTextLine(std::string& out, std::string_view key, std::string_view value) {
  AppendTextKey(out, key);
  out += value;
  out += '\n';
}

void AppendColLine(std::string& out, int number, std::string_view label, int width) {
  constexpr std::string_view kCol = "; COL ";
  std::size_t field = static_cast<std::size_t>(std::clamp(width, 1, 13));
  char digits[16];
  std::size_t size = static_cast<std::size_t>(std::to_chars(digits, digits + sizeof digits, number).ptr - digits);
  out += kCol;
  out.append(digits, size);
  if (size < field) out.append(field - size, ' ');
  out.append(kTextValueColumn - kCol.size() - field, ' ');
  out += label;
  out += '\n';
}

std::string TextLine(std::string_view key, std::string_view value) {
  std::string line;
  AppendTextLine(line, key, value);
  return line;
}

std::string ColLine(int number, std::string_view label, int width) {
  std::string line;
  AppendColLine(line, number, label, width);
  return line;
}

int ReadColnoND(const Entry& e, std::string_view label) {
  Declaration d;
  for (const std::string& line : e.text)
    if (ScanDeclaration(line, d) && StrCmp(d.label, label) == 0) return d.number;
  return 0;
}

int ReadColno(const Entry& e, std::string_view label) {
  Declaration d;
  bool declared = false;
  for (const std::string& line : e.text) {
    if (!ScanDeclaration(line, d)) continue;
    if (StrCmp(d.label, label) == 0) return d.number;
    declared = true;
  }
  if (declared) return 0;
  static constexpr struct {
    std::string_view label;
    int column;
  } kDefaults[] = {{"label", 1},    {"nucleotide", 2}, {"aminoacid", 2},
                   {"alignpos", 3}, {"seqpos", 4},     {"align_bp", 5}};
  for (const auto& d : kDefaults)
    if (StrCmp(d.label, label) == 0) return d.column;
  return 0;
}

int ReadCollabel(const Entry& e, int colno, std::string& label) {
  Declaration d;
  for (const std::string& line : e.text) {
    if (ScanDeclaration(line, d) && d.number == colno) {
      label.assign(d.label);
      return 0;
    }
  }
  return 1;
}

int ChgCollabel(Entry& e, int colno, std::string_view label) {
  for (std::string& line : e.text) {
    std::size_t pos;
    int number;
    if (ScanColNumber(CText(line), pos, number) && number == colno) {
      line = ColLine(colno, label);
      return 0;
    }
  }
  return 1;
}

int RmvColno(Entry& e, std::string_view label) {
  Declaration d;
  std::size_t i = 0;
  while (i < e.text.size() && !(ScanDeclaration(e.text[i], d) && StrCmp(d.label, label) == 0)) ++i;
  if (i == e.text.size()) return 0;
  int removed = d.number;
  e.text[i].clear();
  for (std::string& line : e.text) {
    if (ScanDeclaration(line, d) && d.number > removed)
      line = ColLine(d.number - 1, d.label, kColRenumberWidth);
  }
  return removed;
}

int ReadText(const Entry& e, std::string_view key, std::size_t capacity, std::string& value) {
  std::size_t key_end, start;
  int i = FindKeyed(e, key, key_end, start);
  if (i < 0) return 1;
  std::string_view s = CText(e.text[i]);
  std::size_t stop = std::min(s.find('\n', start), s.size());
  std::size_t room = capacity > 0 ? capacity - 1 : 0;
  value.assign(s.substr(start, std::min(stop - start, room)));
  return 0;
}

int ReadVar(const Entry& e, std::string_view key, std::string& value) {
  for (const std::string& line : e.text) {
    std::string_view s = CText(line);
    std::size_t pos = AfterSemicolon(s);
    std::string_view word, next;
    if (pos != npos && ScanWord(s, pos, word) && ScanWord(s, pos, next) && StrCmp(word, key) == 0) {
      value.assign(next);
      return 0;
    }
  }
  return 1;
}

int ReadType(const Entry& e, std::string_view type) {
  std::string value;
  return ReadText(e, "TYPE", npos, value) == 0 && StrCmp(value, type) == 0 ? 1 : 0;
}

int ChgEntryText(Entry& e, std::string_view key, std::string_view value) {
  std::size_t key_end, start;
  int i = FindKeyed(e, key, key_end, start);
  if (i < 0) return 1;
  std::string& line = e.text[i];
  std::string_view s = CText(line);
  // A key with nothing after it: the value goes on the key's line, before
  // the line end ("\n" or "\r\n"), separated from the key by one blank.
  std::size_t content_end = WithoutLineEnd(s).size();
  std::string fresh(s.substr(0, std::min(start, content_end)));
  if (start >= content_end && fresh.size() == key_end) fresh += ' ';
  fresh += value;
  fresh += '\n';
  line = std::move(fresh);
  return 0;
}

}  // namespace col
