#include "bed.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <limits>
#include <utility>

namespace {

// itemRgb "r,g,b" with each part 0..255.
bool ReadRgb(std::string_view text, BedColour& colour) {
  const char* p = text.data();
  const char* end = p + text.size();
  for (int k = 0; k < 3; ++k) {
    if (k > 0 && (p == end || *p++ != ',')) return false;
    int v = 0;
    const char* digits = p;
    for (; p < end && *p >= '0' && *p <= '9'; ++p) {
      v = v * 10 + (*p - '0');
      if (v > 255) return false;
    }
    if (p == digits) return false;
    colour.rgb[k] = v;
  }
  return p == end;
}

int ColourKey(const BedColour& c) { return (c.rgb[0] << 16) | (c.rgb[1] << 8) | c.rgb[2]; }

// A map of the keys met so far to values, by open addressing in a table of
// a power of two slots: a look-up per BED line costs no division, unlike
// std::unordered_map's.
template <class Key, class Value>
class OpenTable {
 public:
  // The value of `key`, whose hash is `hash`. For a new key make(key) gives
  // the key to keep (a view that lasts as long as the table) and its value.
  template <class Make>
  Value Get(const Key& key, std::uint64_t hash, Make make) {
    for (std::size_t i = Home(hash);; i = (i + 1) & (slots_.size() - 1)) {
      Slot& slot = slots_[i];
      if (!slot.used) {
        auto [kept, made] = make(key);
        slot = {true, hash, kept, made};
        Value value = slot.value;
        if (2 * ++count_ > slots_.size()) Grow();
        return value;
      }
      if (slot.hash == hash && slot.key == key) return slot.value;
    }
  }

 private:
  struct Slot {
    bool used = false;
    std::uint64_t hash = 0;
    Key key{};
    Value value{};
  };

  std::size_t Home(std::uint64_t hash) const { return (hash * 0x9E3779B97F4A7C15u) >> shift_; }

  void Grow() {
    std::vector<Slot> old(slots_.size() * 2);
    old.swap(slots_);
    --shift_;
    for (const Slot& slot : old) {
      if (!slot.used) continue;
      std::size_t i = Home(slot.hash);
      while (slots_[i].used) i = (i + 1) & (slots_.size() - 1);
      slots_[i] = slot;
    }
  }

  std::vector<Slot> slots_ = std::vector<Slot>(16);
  int shift_ = 60;  // 64 less the bits of the table's size
  std::size_t count_ = 0;
};

}  // namespace

BedLineKind ParseBedLine(std::string_view text, BedLine& line) {
  if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
  if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
  Span found[9];
  int n = SplitFields(text, Separators::kBlankTab, found, 9);
  auto field = [&](int k) { return found[k].view(); };
  if (n == 0 || field(0)[0] == '#' || field(0) == "track" || field(0) == "browser") {
    return BedLineKind::kSkipped;
  }
  // A start or end of up to 8 digits is read in one word (the chrom is
  // before it in the line); a longer one digit by digit, up to 2^31 - 1.
  auto number = [&](int k, long long& value) {
    std::string_view digits = field(k);
    const char* end = digits.data() + digits.size();
    int word;
    if (!digits.empty() && digits.size() <= 8 && end - text.data() >= 8) {
      if (!ReadDigitWord(end, digits.size(), word)) return false;
      value = word;
      return true;
    }
    return ReadDecimal(digits, static_cast<long long>(std::numeric_limits<int>::max()), value);
  };
  long long start, end;
  if (n < 3 || !number(1, start) || !number(2, end) || start > end) {
    return BedLineKind::kBad;
  }
  line.chrom = field(0);
  line.region = BedRegion{};
  if (start < end) {  // an empty region (start = end) covers nothing
    line.region.lo = static_cast<int>(start + 1);
    line.region.hi = static_cast<int>(end);
  } else {
    line.region.lo = 1;
    line.region.hi = 0;
  }
  if (n > 5 && (field(5) == "+" || field(5) == "-")) line.region.strand = field(5)[0];
  line.has_colour = n > 8 && field(8) != "0" && ReadRgb(field(8), line.colour);
  return BedLineKind::kRegion;
}

long long ReadBed(Input& in, BedFile& bed) {
  // The chrom names and their region lists in bed.regions, by name.
  using Chrom = std::pair<const std::string, std::vector<BedRegion>>;
  OpenTable<std::string_view, Chrom*> chroms;
  auto add_chrom = [&](std::string_view name) {
    Chrom& added = *bed.regions.try_emplace(std::string(name)).first;
    return std::pair<std::string_view, Chrom*>(added.first, &added);
  };
  OpenTable<int, int> colour_ids;  // by ColourKey: 1 + the colour's place in bed.colours
  std::string text;
  std::string_view chrom;                     // of the last region
  std::vector<BedRegion>* regions = nullptr;  // its list
  BedLine line;
  for (long long number = 1; GetLine(in, text); ++number) {
    BedLineKind kind = ParseBedLine(text, line);
    if (kind == BedLineKind::kBad) return number;
    if (kind == BedLineKind::kSkipped) continue;
    if (!regions || line.chrom != chrom) {
      Chrom* found = chroms.Get(line.chrom, std::hash<std::string_view>{}(line.chrom), add_chrom);
      chrom = found->first;
      regions = &found->second;
    }
    if (line.has_colour) {
      int key = ColourKey(line.colour);
      line.region.colour = colour_ids.Get(key, static_cast<std::uint64_t>(key), [&](int) {
        bed.colours.push_back(line.colour);
        return std::pair<int, int>(key, static_cast<int>(bed.colours.size()));
      });
    }
    regions->push_back(line.region);
  }
  return 0;
}
