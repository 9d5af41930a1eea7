// Which entries and which body lines colshow shows: -s and -r, with tindra's
// syntax and meaning, answered by the shared range and selection index.
// Everything else in colshow goes through a Choice.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "col.h"
#include "ranges.h"
#include "selection.h"

namespace colshow {

class Choice {
 public:
  Choice() = default;
  Choice(const Choice&) = delete;  // the cursor points into the index
  Choice& operator=(const Choice&) = delete;

  // Absent texts choose everything.
  void SetEntries(std::string_view text) { entries_.emplace(text); }
  void SetRanges(std::string_view text);
  bool HasRanges() const { return ranges_.has_value(); }

  // Entry number `entryno` (from 1, every entry counts) is shown.
  bool ChoosesEntry(const col::Entry& e, int entryno) const;
  // A body line with this position is shown.
  bool ChoosesPosition(int position) const;

  // The position -r tests a line by: the alignpos column, else the seqpos
  // column (as ReadColno finds them, defaults included), else the line number.
  static int PositionColumn(const col::Entry& e);
  // A position field read as tindra reads it: an optional sign and digits;
  // text that does not start with a number (the gap mark ".") and numbers
  // beyond an int read as 0.
  static int ReadPosition(std::string_view field);

 private:
  std::optional<col::Selection> entries_;
  std::optional<col::RangeIndex> ranges_;
  mutable col::RangeCursor cursor_;  // positions mostly ascend along an entry
};

}  // namespace colshow
