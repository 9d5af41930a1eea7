// Helpers shared by the sources of the col module.
#include "internal/col_detail.h"

#include <cstdio>

namespace col {

namespace detail {

Formatted::Formatted(const char* format, va_list ap) {
  va_list again;
  va_copy(again, ap);
  int n = std::vsnprintf(small_, sizeof small_, format, ap);
  if (n < 0) {
    view_ = {};
  } else if (static_cast<std::size_t>(n) < sizeof small_) {
    view_ = std::string_view(small_, n);
  } else {
    big_.resize(n);
    std::vsnprintf(big_.data(), big_.size() + 1, format, again);
    view_ = big_;
  }
  va_end(again);
}

std::string& NewSlot(std::vector<std::string>& lines, std::vector<std::string>& spare) {
  if (spare.empty()) {
    lines.emplace_back();
  } else {
    lines.push_back(std::move(spare.back()));
    spare.pop_back();
  }
  return lines.back();
}

void DropSlot(std::vector<std::string>& lines, std::vector<std::string>& spare) {
  spare.push_back(std::move(lines.back()));
  lines.pop_back();
}

bool ReadSlot(Input& in, std::vector<std::string>& lines, std::vector<std::string>& spare) {
  if (GetLine(in, NewSlot(lines, spare))) return true;
  DropSlot(lines, spare);
  return false;
}

void Keep(std::string&& line, std::vector<std::string>& spare) {
  // Room for twice the line (what growing a string by appending leaves) and
  // the reader's first buffer.
  constexpr std::size_t kSlack = 1024;
  if (line.capacity() > 2 * line.size() + kSlack) return;
  spare.push_back(std::move(line));
}

void Release(std::vector<std::string>& lines, std::vector<std::string>& spare) {
  for (std::string& line : lines) Keep(std::move(line), spare);
  lines.clear();
}

std::string SpareCopy(std::string_view text, std::vector<std::string>& spare) {
  if (spare.empty()) return std::string(text);
  std::string line = std::move(spare.back());
  spare.pop_back();
  line.assign(text);
  return line;
}

void InsertLine(std::vector<std::string>& lines, std::size_t pos, std::string line) {
  if (pos > lines.size()) pos = lines.size();
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(pos), std::move(line));
}

}  // namespace detail

}  // namespace col
