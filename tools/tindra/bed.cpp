#include "bed.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <limits>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

bool IsBedSeparator(char c) { return c == ' ' || c == '\t'; }

#if defined(__SSE2__)
// Bit i set when character i of the 16 at p is a tab or a blank.
inline std::uint64_t SeparatorMask16(const char* p) {
  __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  __m128i separator = _mm_or_si128(_mm_cmpeq_epi8(c, _mm_set1_epi8(' ')), _mm_cmpeq_epi8(c, _mm_set1_epi8('\t')));
  return static_cast<std::uint16_t>(_mm_movemask_epi8(separator));
}
#endif

// Bit i set when character at + i of the text is a separator, for the `len`
// (1 to 64) characters from `at`; the bits from `len` up are set too. The
// block must end the text or be 64 characters long. Texts of 16 characters
// or more are loaded 16 at a time straight from the text, the last 16 of a
// block overlapping the ones before them.
inline std::uint64_t SeparatorMask(std::string_view text, std::size_t at, std::size_t len) {
  std::uint64_t mask = len < 64 ? ~std::uint64_t{0} << len : 0;
#if defined(__SSE2__)
  if (text.size() >= 16) {
    const char* p = text.data() + at;
    std::size_t i = 0;
    for (; i + 16 <= len; i += 16) mask |= SeparatorMask16(p + i) << i;
    if (i < len) mask |= SeparatorMask16(p + len - 16) >> (i + 16 - len) << i;
    return mask;
  }
#endif
  for (std::size_t i = 0; i < len; ++i) mask |= std::uint64_t{IsBedSeparator(text[at + i])} << i;
  return mask;
}

// A field of a line: plain data, so that an array of them costs nothing to
// set up.
struct Field {
  const char* data;
  std::size_t size;

  std::string_view view() const { return {data, size}; }
};

// The fields separated by tabs or blanks, at most `max` of them: their count.
// The fields are found at the edges of the separator masks, not character by
// character: a line shorter than 64 characters, the usual case, pairs the
// k-th start with the k-th end of its one mask.
int SplitFields(std::string_view text, Field* fields, int max) {
  int n = 0;
  if (text.size() < 64) {
    std::uint64_t separators = SeparatorMask(text, 0, text.size());  // set from the end on
    std::uint64_t starts = ~separators & ((separators << 1) | 1);
    std::uint64_t ends = separators & ~((separators << 1) | 1);
    for (; starts && n < max; starts &= starts - 1, ends &= ends - 1) {
      int begin = std::countr_zero(starts);
      fields[n++] = {text.data() + begin, static_cast<std::size_t>(std::countr_zero(ends) - begin)};
    }
    return n;
  }
  std::size_t start = 0;
  std::uint64_t previous = 1;  // a separator before the text
  for (std::size_t base = 0; base < text.size(); base += 64) {
    std::size_t len = std::min<std::size_t>(64, text.size() - base);
    std::uint64_t separators = SeparatorMask(text, base, len);
    // An edge where a character differs in kind from the one before it.
    std::uint64_t edges = separators ^ ((separators << 1) | previous);
    previous = separators >> 63;
    for (; edges; edges &= edges - 1) {
      std::size_t at = base + static_cast<std::size_t>(std::countr_zero(edges));
      if (!(separators >> (at - base) & 1)) {
        start = at;  // a field begins
      } else {
        fields[n++] = {text.data() + start, at - start};
        if (n == max) return n;
      }
    }
  }
  if (!previous) fields[n++] = {text.data() + start, text.size() - start};  // runs to the end
  return n;
}

// Digits only, at most `max`.
bool ReadUnsigned(std::string_view text, long long max, long long& value) {
  if (text.empty()) return false;
  value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
    if (value > max) return false;
  }
  return true;
}

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
  Field found[9];
  int n = SplitFields(text, found, 9);
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
    return ReadUnsigned(digits, std::numeric_limits<int>::max(), value);
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
