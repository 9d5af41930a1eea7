// BED files: regions of named sequences as genome tools write them
// (bedtools, bcftools query, samtools, genome browsers).
//
// A region line is "chrom start end [name score strand thickStart thickEnd
// itemRgb ...]", fields separated by tabs or blanks. Positions are 0-based
// and half-open: the region covers start + 1 to end. Lines that begin with
// the words "track" or "browser", lines whose first character after blanks
// is "#", and lines of white space only are not regions.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "file.h"

namespace tindra {

// One region of a BED file.
struct BedRegion {
  int lo = 0;        // first position covered (start + 1)
  int hi = 0;        // last position covered (end); lo > hi: none
  int colour = 0;    // 0: the options' colour; k: BedFile::colours[k - 1]
  char strand = '.';  // '+', '-' or '.' (both)
  unsigned order = 0;  // its place among the regions of the file
};

struct BedColour {
  int rgb[3] = {0, 0, 0};  // 0..255 each
};

// Hashes a chrom name given as std::string or std::string_view alike, so
// that looking a name up makes no string.
struct ChromHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view name) const { return std::hash<std::string_view>{}(name); }
};

// A whole BED file in memory.
struct BedFile {
  // By chrom, in file order.
  std::unordered_map<std::string, std::vector<BedRegion>, ChromHash, std::equal_to<>> regions;
  std::vector<BedColour> colours;  // the distinct itemRgb values
  // The chrom names (keys of `regions`) in the order they first appear.
  std::vector<const std::string*> chroms;
};

// What one line of a BED file is.
enum class BedLineKind { kRegion, kSkipped, kBad };

struct BedLine {
  std::string_view chrom;
  BedRegion region;
  bool has_colour = false;  // itemRgb "r,g,b", not "0"
  BedColour colour;
  std::string reason;  // why a bad line is not BED, in plain words
};

// Reads one line (its line end, "\n" or "\r\n", may be there).
BedLineKind ParseBedLine(std::string_view text, BedLine& line);

// Reads a BED file to its end into `bed`: 0, or the number of the first line
// that is not BED (then `bed` holds the regions before it, and `reason`, when
// given, says why the line is not BED).
long long ReadBed(col::Input& in, BedFile& bed, std::string* reason = nullptr);

}  // namespace tindra
