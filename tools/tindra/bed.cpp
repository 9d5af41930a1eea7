#include "bed.h"

#include <cstdint>
#include <limits>
#include <utility>

#include "open_table.h"
#include "scan.h"

namespace tindra {

using namespace col;

namespace {

// itemRgb "r,g,b" with each part 0..255.
bool ReadRgb(std::string_view text, BedColour& colour) {
  std::string_view parts[4];
  if (CutAt(text, ',', parts, 4) != 3) return false;
  int rgb[3];
  for (int k = 0; k < 3; ++k) {
    if (!ReadDecimal(parts[k], 255, rgb[k])) return false;
  }
  for (int k = 0; k < 3; ++k) colour.rgb[k] = rgb[k];
  return true;
}

int ColourKey(const BedColour& c) { return (c.rgb[0] << 16) | (c.rgb[1] << 8) | c.rgb[2]; }

}  // namespace

BedLineKind ParseBedLine(std::string_view text, BedLine& line) {
  text = WithoutLineEnd(text);
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

}  // namespace tindra
