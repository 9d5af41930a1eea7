// Which entries and which body lines colshow shows: -s and -r, with tindra's
// syntax and meaning. This is the one place that asks tindra's entry and
// position tests; everything else in colshow goes through a Selection.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "col.h"

using namespace col;

class Selection {
 public:
  // Absent texts choose everything.
  void SetEntries(std::string_view text) { entries_ = std::string(text); }
  void SetRanges(std::string_view text) { ranges_ = std::string(text); }
  bool HasRanges() const { return ranges_.has_value(); }

  // Entry number `entryno` (from 1, every entry counts) is shown.
  bool ChoosesEntry(const Entry& e, int entryno) const;
  // A body line with this position is shown.
  bool ChoosesPosition(int position) const;

  // The position -r tests a line by: the alignpos column, else the seqpos
  // column (as ReadColno finds them, defaults included), else the line number.
  static int PositionColumn(const Entry& e);
  // A position field read as tindra reads it: an optional sign and digits;
  // text that does not start with a number (the gap mark ".") and numbers
  // beyond an int read as 0.
  static int ReadPosition(std::string_view field);

 private:
  std::optional<std::string> entries_;
  std::optional<std::string> ranges_;
};
