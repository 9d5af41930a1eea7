// The GenBank reader: turns the lines of a GenBank flat file into records
// (name, length, accession, version), their finished features (key, parsed
// location, feature-table lines, qualifiers) and their sequence letters, and
// hands them to the consumers. It streams: one record at a time, and a
// record's sequence passes by in runs of letters.
//
// Only the fixed-column layout is used: a section keyword in column 1, a
// feature key in column 6, locations and qualifiers in column 22, sequence
// letters from column 11 of the lines after ORIGIN.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "file.h"
#include "location.h"

namespace morvel {

// The accession stops growing once it holds more than kMaxAccession
// characters; it only names the entries.
constexpr std::size_t kMaxAccession = 9899;

// One record, as far as it has been read.
struct Record {
  std::string name;
  int length = 0;
  // ACCESSION words and continuation lines joined with "_"; kept from record
  // to record until the next ACCESSION line.
  std::string accession;
  std::string version;  // first word of the VERSION line; empty without one
  bool protein = false;  // the LOCUS line gives the length in "aa"
};

// A qualifier line "/name=value" of a feature: the name, and the value as
// written (quotes kept, white space at its end dropped; empty without "=").
struct Qualifier {
  std::string_view name;
  std::string_view value;
};

// One feature of the feature table. The views point into the feature itself
// and hold until the reader moves on to the next feature.
struct Feature {
  std::string key;
  LocPtr loc;        // null when the location does not parse or was not read
  std::string text;  // the feature line and its location continuation lines
  std::string qualifier_text;                  // the lines after them, as read
  std::vector<std::string_view> qualifier_lines;  // each of those lines, newline kept
  std::vector<Qualifier> qualifiers;           // those that begin with "/", in order
  // Closed once already: the feature table ended after it and began again,
  // and these are further lines of the same feature (its location is gone).
  bool reopened = false;
};

// The codon start in force after a CDS feature: its last "/codon_start="
// value that reads as a number ("%d"), else `in_force`. The writer and the
// position report keep it across the CDS features of a record.
int CodonStartAfter(const Feature& cds, int in_force);

// Receives what the reader finds. Every call is per record, per feature or
// per run of sequence letters, never per letter.
class RecordConsumer {
 public:
  virtual ~RecordConsumer() = default;
  // A LOCUS line has started a record: its name and length are read.
  virtual void RecordStart(const Record& /*record*/) {}
  // A line of the record outside its feature table and sequence (the LOCUS,
  // ACCESSION and VERSION lines among them), newline kept.
  virtual void HeaderLine(std::string_view /*line*/) {}
  // A feature closed by the next feature line or the end of the table.
  virtual void FeatureEnd(const Feature& /*feature*/) {}
  // Sequence letters without white space; the first is at position `pos`.
  virtual void Letters(long long /*pos*/, std::string_view /*letters*/) {}
  // The end line "//". `open` is a feature the end line cut off (or null):
  // it is not closed, so nothing paints it.
  virtual void RecordEnd(const Record& /*record*/, const Feature* /*open*/) {}
};

class GenBankReader {
 public:
  explicit GenBankReader(std::vector<RecordConsumer*> consumers) : consumers_(std::move(consumers)) {}

  // Reads one input line (newline included). False after a format error,
  // once "Error in format\n" has been written to standard error.
  bool scan_line(std::string_view line);

  // Ends the input; false (after "Error in format\n") when it ends inside a
  // record, or when text other than white space followed the last record
  // without a LOCUS line after it.
  bool ScanEnd();

  // After a format error: the 1-based input line where reading stopped, and
  // why, in plain words.
  long long ErrorLine() const { return error_line_; }
  const std::string& Reason() const { return reason_; }

  const Record& GetRecord() const { return record_; }
  const Feature& GetFeature() const { return feature_; }  // the open (or last) feature
  const std::string& GetLoctext() const { return loctext_; }

 private:
  bool StartRecord(std::string_view line);
  void EndRecord();
  void GatherAccession(std::string_view line);
  void ContinueLocation(std::string_view line);
  void OpenFeature(std::string_view line);
  void FeatureTableLine(std::string_view line);
  void ReadSequence(std::string_view line);
  void FinishQualifiers();
  void close_feature();
  bool Fail(long long line, std::string reason);

  std::vector<RecordConsumer*> consumers_;
  Record record_;
  Feature feature_;
  std::vector<std::size_t> line_starts_;  // of the open feature's qualifier lines
  bool seeking_ = true;   // looking for the next LOCUS line
  bool skipped_ = false;  // lines were skipped while seeking
  bool inaccession_ = false;
  bool infeatures_ = false;
  bool inlocation_ = false;  // the open feature's location continues
  bool insequence_ = false;
  std::string loctext_;      // the open feature's location text, without blanks
  long long seqpos_ = 1;     // position of the next sequence letter
  long long line_ = 0;       // lines read so far
  long long skipped_line_ = 0;  // the first line skipped since the last record
  bool bare_locus_ = false;     // that line is "LOCUS" alone
  bool any_record_ = false;
  long long error_line_ = 0;
  std::string reason_;
};

// Hands every line of `in` to the reader and ends the input: 0 at its end,
// 1 after a format error or a failed read (which the program reports). A
// format error is followed by the line "morvel: FILE, line N: REASON", with
// `filename` as given (null for standard input).
int ReadGenBank(col::Input& in, GenBankReader& reader, const char* filename = nullptr);

// Reads the name, length and kind of a LOCUS line: false, with the reason,
// when it has no name and length, fewer than four words after "LOCUS", a
// length that is not a number (a name run into the length leaves "bp" in
// its place) or one that does not fit in an int. A negative length is 0.
bool ReadLocusLine(std::string_view line, Record& record, std::string& reason);

// The name of a format that morvel does not read ("FASTA", "EMBL", ...) when
// the first line of the input begins like one; null otherwise.
const char* ForeignFormat(std::string_view first_line);

}  // namespace morvel
