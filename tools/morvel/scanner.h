// The GenBank record scanner: finds records, follows the feature table, reads
// the sequence and hands each finished record to the writer.
#pragma once

#include <string>
#include <string_view>
#include <unordered_set>

#include "location.h"
#include "options.h"
#include "output.h"
#include "painters.h"

using namespace col;

struct Annotator;  // morvel --variants (variants.h)

// One record: its name, length and accession, and the per-position tracks
// (position p is element p - 1), made once at the LOCUS line in storage that
// later records reuse. Tracks that the run's output never reads are empty:
// the reports read none.
struct Locus {
  std::string name;
  int length = 0;
  std::string accession;  // kept from record to record until the next ACCESSION line
  std::string residue;    // sequence letter per position, "-" where none was read
  std::string region;     // "E", "I", "G", "M", "3", "5" or "."
  std::string strand;     // "+", "-" or "."
  CodonTrack codonpos;    // codon position inside CDS features, 0 elsewhere
  std::string plusmark;   // "O" in selected plus-strand regions (only with annotate)
  std::string minusmark;  // "O" in selected minus-strand regions (only with annotate)
  char window[5] = {'-', '-', '-', '-', '-'};  // residues at infopos - 2 .. infopos + 2
  int infocodon = 0;  // signed codon position at infopos in the last covering CDS
  std::string report;  // the record's report text, written at its end line
};

// The scanner's state from one line to the next.
struct Scanner {
  bool seeking = true;   // looking for the next LOCUS line
  bool skipped = false;  // lines were skipped while seeking
  bool inaccession = false;
  bool infeatures = false;
  bool inlocation = false;   // the open feature's location continues
  bool insequence = false;
  std::string key;        // key of the open feature; empty: none opened in this record
  std::string loctext;    // its location text, gathered without blanks
  std::string feattext;   // its feature line and location continuation lines
  bool textpending = false;  // feattext not yet written by the range report
  bool inreport = false;  // the range report shows the open feature
  LocPtr loc;
  int codonstart = 1;     // kept across the CDS features of one record
  long long seqpos = 1;   // position of the next sequence letter
};

// One conversion run: the settings, the output, the scanner and the record.
struct Conversion {
  Conversion(const Options& options, Output& output) : opt(options), out(output) {}
  const Options& opt;
  Output& out;
  Scanner scan;
  Locus locus;
  Annotator* variants = nullptr;  // --variants: receives features and residues
  std::unordered_set<std::string> selected;  // opt.keys as a set, made at the first record
  bool selected_made = false;
};

// The accession stops growing once it holds more than kMaxAccession
// characters; it only names the entries.
constexpr std::size_t kMaxAccession = 9899;

// Runs the scanner over one input line (newline included). False after a
// format error, once "Error in format\n" has been written to standard error.
bool scan_line(Conversion& run, const std::string& line);

// Ends the input; false (after "Error in format\n") when it ends inside a
// record, or when text other than white space followed the last record
// without a LOCUS line after it.
bool scan_end(Conversion& run);

// Paints and reports the open feature and releases its location.
void close_feature(Conversion& run);

// Reads the name and length of a LOCUS line: false when it has fewer than four
// words after "LOCUS" or its length does not fit in an int. A length that does
// not start with a number, or is negative, is 0.
bool read_locus_line(std::string_view line, std::string& name, int& length);
