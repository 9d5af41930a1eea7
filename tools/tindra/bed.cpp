#include "bed.h"

#include <cstdint>
#include <limits>
#include <string>
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
  auto bad = [&](std::string reason) {
    line.reason = std::move(reason);
    return BedLineKind::kBad;
  };
  auto not_number = [&](const char* what, int k) {
    return bad(std::string(what) + " '" + std::string(field(k)) + "' is not a number from 0 to 2147483647");
  };
  if (n < 3) return bad("fewer than 3 fields (chrom, start, end)");
  long long start, end;
  if (!number(1, start)) return not_number("the start", 1);
  if (!number(2, end)) return not_number("the end", 2);
  if (start > end) {
    return bad("the start " + std::to_string(start) + " is greater than the end " + std::to_string(end));
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

long long ReadBed(Input& in, BedFile& bed, std::string* reason) {
  // The chrom names and their region lists in bed.regions, by name.
  using Chrom = std::pair<const std::string, std::vector<BedRegion>>;
  OpenTable<std::string_view, Chrom*> chroms;
  auto add_chrom = [&](std::string_view name) {
    Chrom& added = *bed.regions.try_emplace(std::string(name)).first;
    bed.chroms.push_back(&added.first);
    return std::pair<std::string_view, Chrom*>(added.first, &added);
  };
  OpenTable<int, int> colour_ids;  // by ColourKey: 1 + the colour's place in bed.colours
  std::string text;
  std::string_view chrom;                     // of the last region
  std::vector<BedRegion>* regions = nullptr;  // its list
  BedLine line;
  std::uint64_t order = 0;
  for (long long number = 1; GetLine(in, text); ++number) {
    BedLineKind kind = ParseBedLine(text, line);
    if (kind == BedLineKind::kBad) {
      if (reason) *reason = std::move(line.reason);
      return number;
    }
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
    line.region.order = static_cast<unsigned>(order++);
    regions->push_back(line.region);
  }
  return 0;
}

}  // namespace tindra
