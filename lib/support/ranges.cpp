#include "ranges.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstdint>
#include <queue>
#include <utility>

#include "scan.h"

namespace col {

namespace {

// Appends a span, joining it to the last one when they touch and agree.
void Append(std::vector<RangeSpan>& spans, RangeSpan span) {
  if (!spans.empty()) {
    RangeSpan& last = spans.back();
    if (last.value == span.value && static_cast<long long>(last.hi) + 1 >= span.lo) {
      last.hi = std::max(last.hi, span.hi);
      return;
    }
  }
  spans.push_back(span);
}

// Sorts keys by their bits from `low` up to `low` + 33 (stable, a pass per
// 12 bits or less), which orders them wholly when the bits below `low` are
// already in order or do not matter. Only the bits in which the keys differ
// take passes: positions on one sequence rarely need more than two. Sorted
// input (BED files usually are) costs one look.
void SortKeys(std::vector<std::uint64_t>& keys, int low) {
  if (std::is_sorted(keys.begin(), keys.end())) return;
  std::uint64_t differ = 0;
  for (std::uint64_t k : keys) differ |= (k ^ keys[0]) >> low;
  int bits = std::min(33, static_cast<int>(std::bit_width(differ)));
  if (bits == 0) return;
  int passes = (bits + 11) / 12;
  int digit = (bits + passes - 1) / passes;
  std::vector<std::uint64_t> other(keys.size());
  std::vector<std::size_t> count(std::size_t{1} << digit);
  std::uint64_t mask = (std::uint64_t{1} << digit) - 1;
  for (int shift = low; shift < low + bits; shift += digit) {
    std::fill(count.begin(), count.end(), 0);
    for (std::uint64_t k : keys) ++count[(k >> shift) & mask];
    std::size_t sum = 0;
    for (std::size_t& c : count) sum += std::exchange(c, sum);
    for (std::uint64_t k : keys) other[count[(k >> shift) & mask]++] = k;
    keys.swap(other);
  }
}

}  // namespace

RangeItem ScanRangeItem(std::string_view text) {
  RangeItem item;
  ScannedInt lo = ScanInt(text);
  if (!lo.found) {
    item.name = text;
    return item;
  }
  item.numeric = true;
  item.fits = lo.fits;
  item.lo = item.hi = lo.value;
  std::size_t i = lo.used;
  while (i < text.size() && IsSpace(text[i])) ++i;
  if (i < text.size() && text[i] == '-') {
    ScannedInt hi = ScanInt(text.substr(i + 1));
    if (hi.found) {
      item.fits = lo.fits && hi.fits;
      item.hi = hi.value;
    }
  }
  return item;
}

std::vector<RangeItem> ParseRangeItems(std::string_view text) {
  std::vector<RangeItem> items;
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t end = text.find_first_of(",\n", i);
    if (end == std::string_view::npos) end = text.size();
    items.push_back(ScanRangeItem(text.substr(i, end - i)));
    i = end < text.size() ? end + 1 : end;
  }
  return items;
}

RangeIndex RangeIndex::FromList(std::string_view text) { return FromItems(ParseRangeItems(text)); }

RangeIndex RangeIndex::FromItems(const std::vector<RangeItem>& items) {
  std::vector<RangeSpan> spans;
  for (const RangeItem& item : items) {
    if (item.numeric && item.fits) spans.push_back({item.lo, item.hi, 0});
  }
  return Union(std::move(spans));
}

RangeIndex RangeIndex::Union(std::vector<RangeSpan> spans) {
  std::erase_if(spans, [](const RangeSpan& s) { return s.lo > s.hi; });
  std::sort(spans.begin(), spans.end(), [](const RangeSpan& a, const RangeSpan& b) { return a.lo < b.lo; });
  RangeIndex index;
  for (RangeSpan s : spans) Append(index.spans_, {s.lo, s.hi, 0});
  return index;
}

// A sweep along the positions with the spans sorted by start: the open spans
// sit in a heap by their order, so the one given last is on top. From each
// position the top span's value holds up to its end or up to the next start,
// whichever comes first; spans that ended below the top are dropped when
// they reach it.
RangeIndex RangeIndex::Layered(const std::vector<RangeSpan>& spans) {
  // The spans by start, as plain integers: the start shifted to be unsigned,
  // above the span's number. They are then gathered in that order, so that
  // the sweep reads them one after the other.
  std::vector<std::uint64_t> starts;
  starts.reserve(spans.size());
  for (std::size_t k = 0; k < spans.size(); ++k) {
    if (spans[k].lo > spans[k].hi) continue;
    auto start = static_cast<std::uint64_t>(spans[k].lo - static_cast<long long>(INT_MIN));
    starts.push_back(start << 32 | k);
  }
  SortKeys(starts, 32);
  std::vector<RangeSpan> sorted(starts.size());
  for (std::size_t s = 0; s < starts.size(); ++s) sorted[s] = spans[starts[s] & 0xFFFFFFFFu];

  // The open spans: their number above their place in `sorted`.
  std::priority_queue<std::uint64_t> open;
  auto top = [&]() -> const RangeSpan& { return sorted[open.top() & 0xFFFFFFFFu]; };
  RangeIndex index;
  std::size_t next = 0;
  long long at = INT_MIN;  // the first position not yet laid out
  while (next < sorted.size() || !open.empty()) {
    if (open.empty()) at = std::max<long long>(at, sorted[next].lo);
    for (; next < sorted.size() && sorted[next].lo <= at; ++next) open.push((starts[next] & 0xFFFFFFFFu) << 32 | next);
    while (!open.empty() && top().hi < at) open.pop();
    if (open.empty()) continue;
    long long last = top().hi;
    if (next < sorted.size()) last = std::min<long long>(last, sorted[next].lo - 1LL);
    Append(index.spans_, {static_cast<int>(at), static_cast<int>(last), top().value});
    at = last + 1;
  }
  return index;
}

int RangeIndex::Find(int v) const {
  auto after = std::upper_bound(spans_.begin(), spans_.end(), v,
                                [](int x, const RangeSpan& s) { return x < s.lo; });
  if (after == spans_.begin()) return -1;
  const RangeSpan& s = *(after - 1);
  return v <= s.hi ? s.value : -1;
}

// Beyond the neighbourhood of the last span: the next span (the usual step
// for ascending positions), else a binary search.
int RangeCursor::Move(int v) {
  const std::vector<RangeSpan>& s = index_->spans_;
  std::size_t next = at_ + 1;
  if (next < s.size() && v >= s[next].lo && (next + 1 == s.size() || v < s[next + 1].lo)) {
    at_ = next;
    return v <= s[next].hi ? s[next].value : -1;
  }
  auto after = std::upper_bound(s.begin(), s.end(), v, [](int x, const RangeSpan& span) { return x < span.lo; });
  if (after == s.begin()) {
    at_ = 0;
    return -1;
  }
  at_ = static_cast<std::size_t>(after - s.begin()) - 1;
  return v <= s[at_].hi ? s[at_].value : -1;
}

Selection::Selection(std::string_view text) {
  std::vector<RangeItem> items = ParseRangeItems(text);
  numbers_ = RangeIndex::FromItems(items);
  for (const RangeItem& item : items) {
    if (!item.numeric) names_.emplace_back(item.name);
  }
  std::sort(names_.begin(), names_.end());
  names_.erase(std::unique(names_.begin(), names_.end()), names_.end());
}

bool Selection::Selects(int entryno, std::optional<std::string_view> name) const {
  if (numbers_.Contains(entryno)) return true;
  return name && std::binary_search(names_.begin(), names_.end(), *name, std::less<>());
}

int inrange(int position, std::string_view ranges) {
  for (const RangeItem& item : ParseRangeItems(ranges)) {
    if (item.Covers(position)) return 1;
  }
  return 0;
}

}  // namespace col
