#include "bed.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// The fields separated by tabs or blanks, at most `max` of them: their count.
// The text is taken 64 characters at a time as a mask of its separators, and
// the fields are found at the mask's edges, not character by character.
int SplitFields(std::string_view text, std::string_view* fields, int max) {
  int n = 0;
  std::size_t start = 0;
  std::uint64_t previous = 1;  // a separator before the text
  for (std::size_t base = 0; base < text.size(); base += 64) {
    std::size_t len = std::min<std::size_t>(64, text.size() - base);
    alignas(16) char buf[64];
    std::memset(buf, ' ', sizeof buf);
    std::memcpy(buf, text.data() + base, len);
    std::uint64_t separators = 0;
#if defined(__SSE2__)
    for (int i = 0; i < 4; ++i) {
      __m128i c = _mm_load_si128(reinterpret_cast<const __m128i*>(buf + 16 * i));
      __m128i blank = _mm_or_si128(_mm_cmpeq_epi8(c, _mm_set1_epi8(' ')), _mm_cmpeq_epi8(c, _mm_set1_epi8('\t')));
      separators |= std::uint64_t{static_cast<std::uint16_t>(_mm_movemask_epi8(blank))} << (16 * i);
    }
#else
    for (int i = 0; i < 64; ++i) separators |= std::uint64_t{buf[i] == ' ' || buf[i] == '\t'} << i;
#endif
    // An edge where a character differs in kind from the one before it.
    std::uint64_t edges = separators ^ ((separators << 1) | previous);
    previous = separators >> 63;
    for (; edges; edges &= edges - 1) {
      std::size_t at = base + std::countr_zero(edges);
      if (!(separators >> (at - base) & 1)) {
        start = at;  // a field begins
      } else if (at <= text.size()) {
        fields[n++] = std::string_view(text.data() + start, at - start);
        if (n == max) return n;
      }
    }
  }
  if (!previous) fields[n++] = text.substr(start);  // a field that runs to the end
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
  for (int k = 0; k < 3; ++k) {
    std::size_t comma = k < 2 ? text.find(',') : text.size();
    if (comma == std::string_view::npos) return false;
    long long v;
    if (!ReadUnsigned(text.substr(0, comma), 255, v)) return false;
    colour.rgb[k] = static_cast<int>(v);
    text.remove_prefix(k < 2 ? comma + 1 : comma);
  }
  return true;
}

int ColourKey(const BedColour& c) { return (c.rgb[0] << 16) | (c.rgb[1] << 8) | c.rgb[2]; }

}  // namespace

BedLineKind ParseBedLine(std::string_view text, BedLine& line) {
  if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
  if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
  std::string_view fields[9];
  int n = SplitFields(text, fields, 9);
  if (n == 0 || fields[0][0] == '#' || fields[0] == "track" || fields[0] == "browser") {
    return BedLineKind::kSkipped;
  }
  constexpr long long kMax = std::numeric_limits<int>::max();
  long long start, end;
  if (n < 3 || !ReadUnsigned(fields[1], kMax, start) || !ReadUnsigned(fields[2], kMax, end) || start > end) {
    return BedLineKind::kBad;
  }
  line.chrom = fields[0];
  line.region = BedRegion{};
  if (start < end) {  // an empty region (start = end) covers nothing
    line.region.lo = static_cast<int>(start + 1);
    line.region.hi = static_cast<int>(end);
  } else {
    line.region.lo = 1;
    line.region.hi = 0;
  }
  if (n > 5 && (fields[5] == "+" || fields[5] == "-")) line.region.strand = fields[5][0];
  line.has_colour = n > 8 && fields[8] != "0" && ReadRgb(fields[8], line.colour);
  return BedLineKind::kRegion;
}

long long ReadBed(Input& in, BedFile& bed) {
  std::unordered_map<int, int> colour_ids;
  std::string text;
  std::string chrom;                         // of the last region
  std::vector<BedRegion>* regions = nullptr;  // its list
  BedLine line;
  for (long long number = 1; GetLine(in, text); ++number) {
    BedLineKind kind = ParseBedLine(text, line);
    if (kind == BedLineKind::kBad) return number;
    if (kind == BedLineKind::kSkipped) continue;
    if (!regions || line.chrom != chrom) {
      chrom.assign(line.chrom);
      regions = &bed.regions[chrom];
    }
    if (line.has_colour) {
      auto [it, added] = colour_ids.try_emplace(ColourKey(line.colour), static_cast<int>(bed.colours.size()) + 1);
      if (added) bed.colours.push_back(line.colour);
      line.region.colour = it->second;
    }
    regions->push_back(line.region);
  }
  return 0;
}
