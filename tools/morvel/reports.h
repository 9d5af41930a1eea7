// The two reports of morvel: the position report (the features, residues
// and codon at one position) and the range report (the feature-table lines
// of the features that overlap a range). Their text is held per record and
// written at the record's end line, so that a record the input cuts off
// reports nothing.
#pragma once

#include <string>
#include <string_view>

#include "genbank.h"
#include "options.h"
#include "output.h"

namespace morvel {

// The position report of one record.
struct PositionReport {
  int infopos = 0;
  char mutation = 0;  // base substituted at infopos; 0 for none
  int length = 0;     // the record's
  char window[5] = {'-', '-', '-', '-', '-'};  // residues at infopos - 2 .. infopos + 2
  int infocodon = 0;   // signed codon position at infopos in the last covering CDS
  int codonstart = 1;  // in force for CDS features, kept across those of a record
  bool protein = false;  // a protein record: no codon, a CDS named like any feature
};

// The range report of one record's open feature.
struct RangeReport {
  int longfrom = 0;
  int longto = 0;
  bool inreport = false;     // the feature overlaps the range
  bool textpending = false;  // its feature-table text is not yet written
};

// Position report item of the feature just closed.
void info_feature(PositionReport& report, const Feature& feature, std::string& text);

// Position report: the residues around the position and the amino acid of
// its codon, ending the report line of the record.
void info_seq(PositionReport& report, std::string& text);

// Range report: one qualifier line of the feature.
void longinfo_line(RangeReport& report, const Feature& feature, std::string_view line, std::string& text);

// Range report: whether the feature overlaps the range (unless it was
// decided when the feature first closed), then its qualifier lines.
void LonginfoFeature(RangeReport& report, const Feature& feature, std::string& text);

// Both reports as asked for by the options, in the order the input gives
// their parts.
class Reports : public RecordConsumer {
 public:
  Reports(const Options& opt, col::Output& out);

  void RecordStart(const Record& record) override;
  void FeatureEnd(const Feature& feature) override;
  void Letters(long long pos, std::string_view letters) override;
  void RecordEnd(const Record& record, const Feature* open) override;

  const PositionReport& Position() const { return position_; }

  // After the run: the warning line for a report position beyond every
  // record read (naming the longest length), or empty.
  std::string PositionWarning() const;

 private:
  const Options& opt_;
  col::Output& out_;
  PositionReport position_;
  RangeReport range_;
  std::string text_;  // the record's report text
  long long records_ = 0;
  int longest_ = 0;  // the largest record length
};

}  // namespace morvel
