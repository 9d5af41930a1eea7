#include "scan.h"

#include <algorithm>
#include <climits>

namespace col {

bool IsBlank(std::string_view text) { return std::all_of(text.begin(), text.end(), IsSpace); }

std::string_view WithoutLineEnd(std::string_view line) {
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

std::string_view TrimSpace(std::string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  return text;
}

ScannedInt ScanInt(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  std::size_t digits = i;
  long long v = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    if (v <= INT_MAX + 1LL) v = v * 10 + (text[i] - '0');  // stops growing once too large
  }
  if (i == digits) return {};
  if (negative) v = -v;
  if (v < INT_MIN || v > INT_MAX) return {true, false, 0, i};
  return {true, true, static_cast<int>(v), i};
}

bool ReadInt(std::string_view text, int& value, std::size_t& used) {
  ScannedInt n = ScanInt(text);
  if (!n.fits) return false;
  value = n.value;
  used = n.used;
  return true;
}

bool ReadDecimal(std::string_view text, long long max, long long& value) {
  if (text.empty()) return false;
  long long v = 0;
  for (char c : text) {
    int d = c - '0';
    if (!IsDigit(c) || d > max || v > (max - d) / 10) return false;  // v * 10 + d > max, without overflow
    v = v * 10 + d;
  }
  value = v;
  return true;
}

bool ReadDecimal(std::string_view text, int max, int& value) {
  long long v;
  if (!ReadDecimal(text, static_cast<long long>(max), v)) return false;
  value = static_cast<int>(v);
  return true;
}

long long ReadLeadingDigits(std::string_view text, long long max, std::size_t& used) {
  long long v = 0;
  std::size_t i = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    int d = text[i] - '0';
    v = d > max || v > (max - d) / 10 ? max : v * 10 + d;
  }
  used = i;
  return v;
}

bool ReadDigitsScalar(const char* end, std::size_t count, int& value) {
  int v = 0;
  for (const char* p = end - count; p < end; ++p) {
    if (!IsDigit(*p)) return false;
    v = v * 10 + (*p - '0');
  }
  value = v;
  return true;
}

std::string_view NextWord(std::string_view text, std::size_t& at) {
  while (at < text.size() && IsSpace(text[at])) ++at;
  std::size_t start = at;
  while (at < text.size() && !IsSpace(text[at])) ++at;
  return text.substr(start, at - start);
}

namespace {

bool IsSeparator(char c, Separators sep) { return sep == Separators::kSpace ? IsSpace(c) : c == ' ' || c == '\t'; }

}  // namespace

std::uint64_t SeparatorMaskScalar(std::string_view text, std::size_t at, std::size_t len, Separators sep) {
  std::uint64_t mask = len < 64 ? ~std::uint64_t{0} << len : 0;
  for (std::size_t i = 0; i < len; ++i) mask |= std::uint64_t{IsSeparator(text[at + i], sep)} << i;
  return mask;
}

int SplitFieldsScalar(std::string_view text, Separators sep, Span* fields, int max) {
  int n = 0;
  std::size_t i = 0;
  while (n < max) {
    while (i < text.size() && IsSeparator(text[i], sep)) ++i;
    if (i == text.size()) break;
    std::size_t start = i;
    while (i < text.size() && !IsSeparator(text[i], sep)) ++i;
    fields[n++] = {text.data() + start, i - start};
  }
  return n;
}

int CutAt(std::string_view text, char separator, std::string_view* parts, int max) {
  int n = 0;
  while (n + 1 < max) {
    std::size_t cut = text.find(separator);
    if (cut == std::string_view::npos) break;
    parts[n++] = text.substr(0, cut);
    text.remove_prefix(cut + 1);
  }
  if (max > 0) parts[n++] = text;
  return n;
}

std::string_view FieldAt(std::string_view text, int k) {
  std::size_t at = 0;
  std::string_view word;
  for (int j = 0; j < k; ++j) {
    word = NextWord(text, at);
    if (word.empty()) return {};
  }
  return word;
}

int CountFieldsFindScalar(std::string_view text, int k, std::string_view& field) {
  int count = CountFields(text);
  if (k >= 1 && k <= count) field = FieldAt(text, k);
  return count;
}

}  // namespace col
