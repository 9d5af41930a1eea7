// The FEATURE lines of a record (morvel --features): one entry-text line per
// feature of the feature table except "source", in table order, as
// lib/col/feature_lines.h defines them. Each line is formatted once, when its
// feature closes; every entry of the record then takes its lines from here.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "feature_lines.h"
#include "genbank.h"
#include "location.h"

namespace morvel {

// The ranges of a location as a FEATURE line gives them, in reading order:
// its certain ranges, each widened by the "(a.b)" part next to it, an open
// end ("<a", ">a") as its number, starts below 1 raised to 1. A range that
// runs past the origin (start after end) is split in two in a circular
// record of `length` positions and left out in a linear one. `strand` is
// "+", "-" or "." (mixed); empty ranges leave it ".".
void FeatureRanges(const Loc& loc, int length, bool circular, std::vector<col::FeatureRange>& ranges,
                   char& strand);

// The NAME of a feature: the first non-empty /gene, else /locus_tag, else
// /label, else /product value, quotes removed ("" read as "), continuation
// lines joined with one blank; "." when it has none of them.
std::string FeatureName(const Feature& feature);

// The genetic code of a CDS: its /transl_table= value, 1 without one (or
// with one that is not a number from 1 to 999).
int TranslTable(const Feature& cds);

// The reading frame, 1 to 3, that a codon start puts codon position 1 in:
// the painters number from any value, cycling, so 4 reads as 1 and 0 as 3.
int CodonFrame(int codon_start);

class FeatureTable : public RecordConsumer {
 public:
  void RecordStart(const Record& record) override;
  void HeaderLine(std::string_view line) override;
  void FeatureEnd(const Feature& feature) override;

  // Every line of the record, in table order.
  std::string_view AllLines() const { return lines_; }
  // Appends to `out` the lines of the features with a range that overlaps
  // lo..hi, in table order.
  void AppendOverlapping(std::string& out, long long lo, long long hi) const;

 private:
  // One written line: its text in lines_, its ranges in ranges_ and the span
  // they cover.
  struct Line {
    std::size_t text_begin;
    std::size_t text_end;
    std::size_t ranges_begin;
    std::size_t ranges_end;
  };
  // Lines in blocks of kBlock, each with the span its lines cover, so that
  // the entries of --annotate pass over the blocks far from their region.
  static constexpr std::size_t kBlock = 32;
  struct Span {
    long long lo;
    long long hi;
  };

  bool Overlaps(const Line& line, long long lo, long long hi) const;

  int length_ = 0;
  bool circular_ = false;
  bool locus_seen_ = false;  // the record's LOCUS line has been looked at
  int codonstart_ = 1;       // in force, as the painters keep it
  std::string lines_;
  std::vector<Line> table_;
  std::vector<col::FeatureRange> ranges_;
  std::vector<Span> blocks_;
  col::FeatureLine scratch_;
};

}  // namespace morvel
