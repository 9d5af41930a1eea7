#include "number.h"

#include <climits>

namespace col {

namespace {

bool IsScanSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

ScannedInt ScanInt(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsScanSpace(text[i])) ++i;
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

}  // namespace col
