#include "choice.h"

#include <climits>

using namespace col;

namespace colshow {

void Choice::SetRanges(std::string_view text) {
  ranges_ = RangeIndex::FromList(text);
  cursor_ = RangeCursor(*ranges_);
}

bool Choice::ChoosesEntry(const Entry& e, int entryno) const {
  return !entries_ || SelectsEntry(*entries_, e, entryno);
}

bool Choice::ChoosesPosition(int position) const { return !ranges_ || cursor_.Contains(position); }

int Choice::PositionColumn(const Entry& e) {
  int column = ReadColno(e, "alignpos");
  return column != 0 ? column : ReadColno(e, "seqpos");
}

int Choice::ReadPosition(std::string_view field) {
  int value = ParseInt(field);
  if (value != INT_MAX && value != INT_MIN) return value;
  // ParseInt saturates; only the limits themselves are positions.
  std::string_view digits = field;
  if (!digits.empty() && (digits[0] == '+' || digits[0] == '-')) digits.remove_prefix(1);
  while (digits.size() > 1 && digits[0] == '0') digits.remove_prefix(1);
  std::size_t n = 0;
  while (n < digits.size() && digits[n] >= '0' && digits[n] <= '9') ++n;
  std::string_view limit = value == INT_MAX ? "2147483647" : "2147483648";
  return digits.substr(0, n) == limit ? value : 0;
}

}  // namespace colshow
