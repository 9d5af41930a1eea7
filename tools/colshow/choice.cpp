#include "choice.h"

#include <climits>

#include "scan.h"

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

namespace {

// A position that ParseInt saturated: only the limits themselves are
// positions, larger numbers read as 0. The digits are read up to one past
// the limit, where larger numbers stop. Kept out of line, so that the
// common case (one call per body line under -r) saves no more registers.
[[gnu::noinline]] int SaturatedPosition(std::string_view field, int value) {
  std::string_view digits = field;
  if (!digits.empty() && (digits[0] == '+' || digits[0] == '-')) digits.remove_prefix(1);
  long long limit = value == INT_MAX ? 2147483647LL : 2147483648LL;
  std::size_t used;
  return ReadLeadingDigits(digits, limit + 1, used) == limit ? value : 0;
}

}  // namespace

int Choice::ReadPosition(std::string_view field) {
  int value = ParseInt(field);
  return value != INT_MAX && value != INT_MIN ? value : SaturatedPosition(field, value);
}

}  // namespace colshow
