#include "feature_table.h"

#include <algorithm>
#include <array>

#include "scan.h"

namespace morvel {

namespace {

// The uncertain "(a.b)" part that ends right before `start` (or begins
// right after `end`) on the same strand widens the range to its outer number.
// Open parts ("<a.." and "..>b") stay outside: their ends are the numbers.
void Widen(const Loc& loc, const Range& r, long long& start, long long& end) {
  for (const Range& u : loc.uncertain) {
    if (u.comp != r.comp || u.start == kOpenStart || u.end == kOpenEnd) continue;
    if (u.end == start - 1 && u.start <= u.end) start = u.start;
    if (u.start == end + 1 && u.start <= u.end) end = u.end;
  }
}

void AddRange(std::vector<col::FeatureRange>& ranges, long long first, long long last) {
  first = std::max(first, 1LL);
  if (first <= last) ranges.push_back({first, last});
}

// White space at both ends of a line left out.
std::string_view Trimmed(std::string_view text) {
  std::size_t a = 0;
  while (a < text.size() && col::IsSpace(text[a])) ++a;
  std::size_t b = text.size();
  while (b > a && col::IsSpace(text[b - 1])) --b;
  return text.substr(a, b - a);
}

// A qualifier value as written to its text: surrounding quotes removed and
// a doubled quote read as one.
std::string Unquoted(std::string_view value) {
  if (!value.empty() && value.front() == '"') {
    value.remove_prefix(1);
    if (!value.empty() && value.back() == '"') value.remove_suffix(1);
  }
  std::string text;
  for (std::size_t i = 0; i < value.size(); ++i) {
    text += value[i];
    if (value[i] == '"' && i + 1 < value.size() && value[i + 1] == '"') ++i;
  }
  return text;
}

}  // namespace

void FeatureRanges(const Loc& loc, int length, bool circular, std::vector<col::FeatureRange>& ranges,
                   char& strand) {
  ranges.clear();
  bool plus = false;
  bool minus = false;
  for (const Range& r : loc.certain) {
    long long start = r.start == kOpenStart ? r.end : r.start;
    long long end = r.end == kOpenEnd ? r.start : r.end;
    Widen(loc, r, start, end);
    std::size_t before = ranges.size();
    if (start <= end) {
      AddRange(ranges, start, end);
    } else if (circular && start <= length) {
      // Across the origin: reading runs up to the end and on from 1, or on
      // the complement strand down to 1 and on from the end.
      if (r.comp == 0) {
        AddRange(ranges, start, length);
        AddRange(ranges, 1, end);
      } else {
        AddRange(ranges, 1, end);
        AddRange(ranges, start, length);
      }
    }
    if (ranges.size() > before) (r.comp ? minus : plus) = true;
  }
  strand = plus && minus ? '.' : plus ? '+' : minus ? '-' : '.';
}

std::string FeatureName(const Feature& feature) {
  static constexpr std::array<std::string_view, 4> kNames = {"gene", "locus_tag", "label", "product"};
  std::array<std::string, kNames.size()> values;
  std::array<bool, kNames.size()> seen{};
  std::size_t current = kNames.size();  // the qualifier being gathered, if it names
  bool open_quote = false;              // a quoted value goes on to the next line
  for (std::string_view line : feature.qualifier_lines) {
    std::string_view text = Trimmed(line);
    if (!open_quote && !text.empty() && text[0] == '/') {
      std::size_t eq = text.find('=');
      std::string_view name = text.substr(1, eq == std::string_view::npos ? eq : eq - 1);
      std::string_view value = eq == std::string_view::npos ? std::string_view() : text.substr(eq + 1);
      current = std::find(kNames.begin(), kNames.end(), name) - kNames.begin();
      if (current < kNames.size() && seen[current]) current = kNames.size();  // the first one counts
      if (current < kNames.size()) {
        seen[current] = true;
        values[current] = value;
      }
      text = value;
    } else if (current < kNames.size()) {
      values[current] += ' ';
      values[current] += text;
    }
    open_quote ^= std::count(text.begin(), text.end(), '"') % 2 == 1;
  }
  for (const std::string& value : values) {
    std::string name = Unquoted(value);
    if (!name.empty()) return name;
  }
  return ".";
}

int TranslTable(const Feature& cds) {
  for (const Qualifier& q : cds.qualifiers) {
    if (q.name != "transl_table") continue;
    int table = 0;
    std::size_t used = 0;
    if (col::ReadInt(q.value, table, used) && used == q.value.size() && table >= 1 && table <= 999) return table;
    return 1;
  }
  return 1;
}

int CodonFrame(int codon_start) {
  long long shifted = (static_cast<long long>(codon_start) - 1) % 3;
  return static_cast<int>(shifted < 0 ? shifted + 3 : shifted) + 1;
}

void FeatureTable::RecordStart(const Record& record) {
  length_ = record.length;
  circular_ = false;
  locus_seen_ = false;
  codonstart_ = 1;
  lines_.clear();
  table_.clear();
  ranges_.clear();
  blocks_.clear();
}

// The LOCUS line is the record's first line: its topology word tells whether
// a range may run across the origin.
void FeatureTable::HeaderLine(std::string_view line) {
  if (locus_seen_) return;
  locus_seen_ = true;
  std::size_t at = 5;
  for (std::string_view word = col::NextWord(line, at); !word.empty(); word = col::NextWord(line, at)) {
    if (word == "circular") circular_ = true;
  }
}

void FeatureTable::FeatureEnd(const Feature& feature) {
  bool cds = feature.key == "CDS";
  if (cds) codonstart_ = CodonStartAfter(feature, codonstart_);
  if (feature.key == "source" || !feature.loc) return;
  col::FeatureLine& line = scratch_;
  FeatureRanges(*feature.loc, length_, circular_, line.ranges, line.strand);
  if (line.ranges.empty()) return;
  line.key = feature.key;
  line.name = FeatureName(feature);
  line.codon_start = cds ? CodonFrame(codonstart_) : 0;
  line.transl_table = cds ? TranslTable(feature) : 0;

  Line entry{lines_.size(), 0, ranges_.size(), 0};
  col::AppendFeatureLine(lines_, line);
  ranges_.insert(ranges_.end(), line.ranges.begin(), line.ranges.end());
  entry.text_end = lines_.size();
  entry.ranges_end = ranges_.size();
  Span span{line.ranges[0].first, line.ranges[0].last};
  for (const col::FeatureRange& r : line.ranges) {
    span.lo = std::min(span.lo, r.first);
    span.hi = std::max(span.hi, r.last);
  }
  if (table_.size() % kBlock == 0) blocks_.push_back(span);
  Span& block = blocks_.back();
  block.lo = std::min(block.lo, span.lo);
  block.hi = std::max(block.hi, span.hi);
  table_.push_back(entry);
}

bool FeatureTable::Overlaps(const Line& line, long long lo, long long hi) const {
  for (std::size_t i = line.ranges_begin; i < line.ranges_end; ++i) {
    if (ranges_[i].first <= hi && ranges_[i].last >= lo) return true;
  }
  return false;
}

void FeatureTable::AppendOverlapping(std::string& out, long long lo, long long hi) const {
  for (std::size_t b = 0; b < blocks_.size(); ++b) {
    if (blocks_[b].lo > hi || blocks_[b].hi < lo) continue;
    std::size_t end = std::min(table_.size(), (b + 1) * kBlock);
    for (std::size_t i = b * kBlock; i < end; ++i) {
      const Line& line = table_[i];
      if (Overlaps(line, lo, hi)) out.append(lines_, line.text_begin, line.text_end - line.text_begin);
    }
  }
}

}  // namespace morvel
