// The feature lane of an entry: its FEATURE lines placed on the shown body
// lines, stacked so that overlapping features take separate rows, and the
// translation of every CDS, one amino acid under the middle base of each
// codon. Entries without CDS lines get their translation from the codonpos
// and strand columns instead, by the standard code.
//
// Everything here counts shown lines from 0: a feature range in record
// positions becomes the spans of lines whose position lies in it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "feature_lines.h"
#include "output.h"

namespace colshow {

// Lines first to last, both shown, first <= last.
struct LineSpan {
  long long first = 0;
  long long last = 0;
};

// Which shown line holds a record position, from the runs text of the
// position column (view.h).
class PositionIndex {
 public:
  // With `runs` empty, line k holds position k + 1.
  void Build(std::string_view runs, long long count);
  // The line of position p; -1 when no shown line has it.
  long long LineOf(long long p) const;
  // The lines whose positions lie in [a, b], as spans in line order.
  std::vector<LineSpan> LinesIn(long long a, long long b) const;
  // The lowest and the highest position shown (High() < Low() when none).
  long long Low() const { return low_; }
  long long High() const { return high_; }

 private:
  // Line `line + k` holds `value + k * step`, for k below count.
  struct Segment {
    long long line, value, step, count;
    long long Low() const { return step < 0 ? value + (count - 1) * step : value; }
    long long High() const { return step > 0 ? value + (count - 1) * step : value; }
  };
  void Add(Segment s);
  std::vector<Segment> segments_;  // by Low()
  std::vector<long long> reach_;   // the highest High() up to each segment
  mutable std::size_t last_ = 0;   // the segment the last look-up found
  long long low_ = 0, high_ = -1;
};

struct Codon {
  long long line;  // of the middle base
  char amino;
};

// How the lane colours a feature, by its key.
enum FeatureClass { kCdsClass, kGeneClass, kMrnaClass, kRnaClass, kRegulatoryClass, kOtherClass, kClasses };
FeatureClass ClassOf(std::string_view key);

// Spans of a feature further apart than this many lines are not joined by a
// line: the feature holds its row only over its spans there (a gene split
// across the origin, a trans-spliced CDS).
constexpr long long kJoinLimit = 10000;

// Features that find no free row among this many (of CDS, or of the other
// keys) share the last: a file of thousands of features over one region
// keeps a page that draws.
constexpr std::size_t kMaxLaneRows = 32;

struct LaneFeature {
  col::FeatureLine line;
  FeatureClass kind = kOtherClass;
  int row = 0;                    // the lane row, from 0 at the top
  int direction = 0;              // 1: read toward later lines, -1: earlier, 0: both
  long long end_line = -1;        // the line where it ends in reading order; -1: not shown
  std::vector<LineSpan> spans;    // in line order
  std::vector<LineSpan> blocks;   // the spans joined across gaps of at most kJoinLimit
  std::vector<Codon> codons;      // of a CDS, in reading order
};

// The lane of one entry.
struct FeatureLane {
  std::vector<LaneFeature> features;  // by first line
  int rows = 0;
  std::vector<bool> translated;       // per row: it holds a translated CDS
  // Without CDS lines: the codons found by the codonpos and strand columns,
  // plus strand first.
  std::vector<Codon> track_codons[2];
  bool HasTrackCodons() const { return !track_codons[0].empty() || !track_codons[1].empty(); }
};

// The bases of a CDS in reading order, translated with its own code: its
// reading frame from codon_start, minus strand complemented and read from
// the higher position down; codons with a base on no shown line are left
// out. A complete start codon of the code reads "M". `minus_entry`: the
// entry holds the complemented strand (its STRAND line says Minus).
std::vector<Codon> TranslateFeature(const col::FeatureLine& cds, const PositionIndex& index,
                                    std::string_view residues, bool minus_entry);

// The codons that the codonpos and strand fields (their first characters,
// one per shown line) mark on strand `strand` ('+' or '-'), by table 1: the
// lines of that strand with codon positions 1, 2, 3 in reading direction.
std::vector<Codon> TranslateTracks(std::string_view codonpos, std::string_view strand, std::string_view residues,
                                   bool minus_entry, char strand_letter);

// Places the features on the lines and stacks them; a feature on no shown
// line is left out.
FeatureLane BuildLane(const std::vector<col::FeatureLine>& lines, const PositionIndex& index,
                      std::string_view residues, bool minus_entry);

// The codons as the page carries them: groups "LINE STEP LETTERS" separated
// by blanks, the letters at LINE, LINE + STEP, ... ("0 3 MK*").
void AppendCodonText(std::string& out, const std::vector<Codon>& codons);

// A feature's ranges as its FEATURE line gives them: "A-B,C-D".
void PutRanges(col::Output& out, const std::vector<col::FeatureRange>& ranges);

}  // namespace colshow
