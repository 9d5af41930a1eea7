// Position ranges and entry selections as the tools take them on the command
// line, and the index that answers "which range holds this position".
//
// A list is items separated by "," or newline. An item is " %d - %d" (a range
// lo to hi, white space allowed before each number and around the dash),
// " %d" (lo = hi), or else a name: the item's exact text, blanks included.
// Characters after the numbers up to the separator are ignored. A range with
// lo above hi covers nothing, and so does an item with a number beyond an
// int. A name that begins with digits ("1ABC") reads as its number.
//
// Position lists ("-r") use only the numeric items; entry selections ("-s")
// use both: numbers choose entries by their number, names by their ENTRY name
// (SelectsEntry and inseqrange in lib/col/selection.h).
//
// The lists are parsed once into an index, so a test costs a binary search
// (or, through a RangeCursor, nearly nothing for ascending positions) instead
// of a walk over every item.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace col {

// One item of a list.
struct RangeItem {
  bool numeric = false;  // " %d - %d" or " %d" matched
  bool fits = false;     // a numeric item whose numbers are ints
  int lo = 0;
  int hi = 0;
  std::string_view name;  // a non-numeric item: its text

  bool Covers(int v) const { return numeric && fits && lo <= v && v <= hi; }
};

// The item that the text of one item (no separator in it) makes.
RangeItem ScanRangeItem(std::string_view item);

// The items of a list, in order. Names point into `text`. A separator at the
// very end starts no further item; ",," holds an empty item.
std::vector<RangeItem> ParseRangeItems(std::string_view text);

// A span of positions lo..hi (lo <= hi) that carries a value (0 or more).
struct RangeSpan {
  int lo = 0;
  int hi = 0;
  int value = 0;
};

// Sorted, disjoint spans; neighbours that touch and carry the same value are
// joined. Find answers by binary search.
class RangeIndex {
 public:
  RangeIndex() = default;

  // The union of the numeric items of a list, all with value 0: Contains(v)
  // answers exactly as a walk over the items with RangeItem::Covers.
  static RangeIndex FromList(std::string_view text);
  static RangeIndex FromItems(const std::vector<RangeItem>& items);
  // The union of spans, all given the value 0. Spans with lo above hi are
  // left out.
  static RangeIndex Union(std::vector<RangeSpan> spans);
  // Spans laid over each other in order: where they overlap, the later span's
  // value holds. Spans with lo above hi are left out. At most 2^32 spans;
  // O(n log n), or about linear when they come sorted by lo.
  static RangeIndex Layered(const std::vector<RangeSpan>& spans);

  // The value of the span that holds v, or -1.
  int Find(int v) const;
  bool Contains(int v) const { return Find(v) >= 0; }

  bool empty() const { return spans_.empty(); }
  const std::vector<RangeSpan>& spans() const { return spans_; }

 private:
  friend class RangeCursor;
  std::vector<RangeSpan> spans_;
};

// Looks positions up in an index, remembering where the last one was found:
// positions that ascend (or stay near each other) cost a step or two, others
// a binary search. The index must outlive the cursor and stay unchanged.
class RangeCursor {
 public:
  RangeCursor() = default;
  explicit RangeCursor(const RangeIndex& index) : index_(&index) {}

  // The same answer as RangeIndex::Find; -1 for a cursor over no index.
  int Find(int v) {
    if (!index_ || index_->spans_.empty()) return -1;
    const std::vector<RangeSpan>& s = index_->spans_;
    if (v >= s[at_].lo) {
      if (v <= s[at_].hi) return s[at_].value;
      if (at_ + 1 == s.size() || v < s[at_ + 1].lo) return -1;  // in the gap after the span
    } else if (at_ == 0 || v > s[at_ - 1].hi) {
      return -1;  // in the gap before the span
    }
    return Move(v);
  }
  bool Contains(int v) { return Find(v) >= 0; }

 private:
  int Move(int v);

  const RangeIndex* index_ = nullptr;
  std::size_t at_ = 0;  // the span last looked at
};

// An entry selection: entry numbers and names.
class Selection {
 public:
  Selection() = default;
  explicit Selection(std::string_view text);

  // True when some item covers the entry number or names `name` exactly.
  // An entry without a name (nullopt) is covered by no name item.
  bool Selects(int entryno, std::optional<std::string_view> name) const;
  bool HasNames() const { return !names_.empty(); }

 private:
  RangeIndex numbers_;
  std::vector<std::string> names_;  // sorted
};

// 1 when some item of the list covers the position, else 0.
int inrange(int position, std::string_view ranges);

}  // namespace col
