#include "genbank.h"

#include <algorithm>
#include <climits>
#include <cstdio>

#include "scan.h"
#include "tool.h"

namespace morvel {

namespace {

bool StartsBlank(std::string_view line) { return !line.empty() && line[0] == ' '; }

// "//" followed by nothing but white space up to the newline or the end of
// the input ends a record.
bool IsEndLine(std::string_view line) { return col::StartsWith(line, "//") && col::IsBlank(line.substr(2)); }

// The character at index i of the fixed-column layout; a line that ends
// before it has a blank there, so a short line never holds a feature key or
// a qualifier slash.
char Column(std::string_view line, std::size_t i) {
  std::string_view text = col::WithoutLineEnd(line);
  return i < text.size() ? text[i] : ' ';
}

// A feature key in column 6, or a line that ends the feature table.
bool IsFeatureLine(std::string_view line) { return !StartsBlank(line) || Column(line, 5) != ' '; }

// "/name=value" of a qualifier line; false for a line that does not begin
// (after white space) with "/".
bool ReadQualifier(std::string_view line, Qualifier& q) {
  std::size_t at = 0;
  while (at < line.size() && col::IsSpace(line[at])) ++at;
  if (at == line.size() || line[at] != '/') return false;
  std::string_view text = line.substr(at + 1);
  while (!text.empty() && col::IsSpace(text.back())) text.remove_suffix(1);
  std::size_t eq = text.find('=');
  q.name = text.substr(0, eq);
  q.value = eq == std::string_view::npos ? std::string_view() : text.substr(eq + 1);
  return true;
}

}  // namespace

int CodonStartAfter(const Feature& cds, int in_force) {
  for (const Qualifier& q : cds.qualifiers) {
    std::size_t used = 0;
    if (q.name == "codon_start") col::ReadInt(q.value, in_force, used);
  }
  return in_force;
}

namespace {

bool AllDigits(std::string_view word) {
  return !word.empty() && std::all_of(word.begin(), word.end(), [](char c) { return col::IsDigit(c); });
}

// Why a LOCUS line whose second word is no number has no length: a first
// word of digits is a length without a name before it; a first word ending
// in digits before "bp" or "aa" is a name that runs into its length, as a
// name of more than 16 characters does when written without a blank.
std::string LengthlessReason(std::string_view first, std::string_view second) {
  std::string text;
  if (AllDigits(first)) {
    text.append("a LOCUS line without a name (its first word, '").append(first).append("', is a length)");
    return text;
  }
  text.append("a LOCUS line without a readable length ('").append(second).append("' where the length should be");
  bool unit = col::StrCmp(second, "bp") == 0 || col::StrCmp(second, "aa") == 0;
  if (unit && col::IsDigit(first.back())) text.append("; the name '").append(first).append("' runs into it");
  return text + ")";
}

}  // namespace

bool ReadLocusLine(std::string_view line, Record& record, std::string& reason) {
  std::size_t at = 5;  // behind "LOCUS"
  std::string_view words[4];
  int count = 0;
  for (auto& word : words) {
    word = col::NextWord(line, at);
    if (!word.empty()) ++count;
  }
  if (count < 2) {
    reason = "a LOCUS line without a name and a length";
    return false;
  }
  std::string_view digits = words[1];
  bool negative = digits[0] == '-';
  if (digits[0] == '+' || negative) digits.remove_prefix(1);
  std::size_t used = 0;
  long long value = col::ReadLeadingDigits(digits, INT_MAX + 1LL, used);
  if (used == 0) {
    reason = LengthlessReason(words[0], words[1]);
    return false;
  }
  if (count < 4) {
    reason = "a LOCUS line with fewer than four words (name, length, unit, molecule type)";
    return false;
  }
  if (negative) {  // a negative length is 0 whatever its size
    value = 0;
  } else if (value > INT_MAX) {
    reason = "a LOCUS line with a length beyond 2147483647";
    return false;
  }
  record.name = words[0];
  record.length = static_cast<int>(value);
  record.protein = col::StrCmp(words[2], "aa") == 0;
  return true;
}

const char* ForeignFormat(std::string_view first_line) {
  if (col::StartsWith(first_line, ">")) return "FASTA";
  if (col::StartsWith(first_line, "ID   ")) return "EMBL";
  if (col::StartsWith(first_line, std::string_view("\xFD" "7zXZ\0", 6))) return "xz-compressed data";
  if (col::StartsWith(first_line, "\x28\xB5\x2F\xFD")) return "zstd-compressed data";
  if (col::StartsWith(first_line, "BZh") && first_line.size() > 3 && first_line[3] >= '1' && first_line[3] <= '9')
    return "bzip2-compressed data";
  return nullptr;
}

bool GenBankReader::Fail(long long line, std::string reason) {
  std::fputs("Error in format\n", stderr);
  error_line_ = line;
  reason_ = std::move(reason);
  return false;
}

// Record start at a LOCUS line: name, length and a fresh reader state.
bool GenBankReader::StartRecord(std::string_view line) {
  std::string reason;
  if (!ReadLocusLine(line, record_, reason)) return Fail(line_, std::move(reason));
  any_record_ = true;
  record_.version.clear();
  infeatures_ = inlocation_ = insequence_ = false;
  feature_.key.clear();
  FreeLoc(feature_.loc);
  seeking_ = skipped_ = false;
  for (RecordConsumer* c : consumers_) c->RecordStart(record_);
  return true;
}

// Views of the open feature's qualifier lines, and their names and values.
void GenBankReader::FinishQualifiers() {
  Feature& f = feature_;
  f.qualifier_lines.clear();
  f.qualifiers.clear();
  std::string_view text = f.qualifier_text;
  for (std::size_t i = 0; i < line_starts_.size(); ++i) {
    std::size_t end = i + 1 < line_starts_.size() ? line_starts_[i + 1] : text.size();
    std::string_view line = text.substr(line_starts_[i], end - line_starts_[i]);
    f.qualifier_lines.push_back(line);
    Qualifier q;
    if (ReadQualifier(line, q)) f.qualifiers.push_back(q);
  }
}

// The end line. A feature still open is handed over as cut off, unpainted.
void GenBankReader::EndRecord() {
  const Feature* open = nullptr;
  if (!feature_.key.empty()) {
    FinishQualifiers();
    open = &feature_;
  }
  for (RecordConsumer* c : consumers_) c->RecordEnd(record_, open);
  FreeLoc(feature_.loc);
  seeking_ = true;
  skipped_ = false;
}

// ACCESSION lines and their continuation lines, joined with "_" for blanks.
void GenBankReader::GatherAccession(std::string_view line) {
  std::string& accession = record_.accession;
  bool first = col::StartsWith(line, "ACCESSION ");
  if (first) {
    inaccession_ = true;
    accession.clear();
  }
  if (!inaccession_) return;
  if (!first && !StartsBlank(line)) {
    inaccession_ = false;
    return;
  }
  if (accession.size() > kMaxAccession) return;
  if (StartsBlank(line)) accession += '_';
  std::string_view text = col::WithoutLineEnd(line);
  for (std::size_t i = 12; i < text.size(); ++i) accession += text[i] == ' ' ? '_' : text[i];
}

// A line while the open feature's location text goes on: either it continues
// the location or the location ends here and is parsed.
void GenBankReader::ContinueLocation(std::string_view line) {
  if (Column(line, 21) == '/' || IsFeatureLine(line)) {
    feature_.loc = ReadLoc(loctext_);
    inlocation_ = false;
    return;
  }
  std::size_t at = 0;
  loctext_ += col::NextWord(line, at);
  feature_.text += line;
}

// A feature line opens a feature: its key and the first word of its location.
// A feature line without a location word gets an empty location text, which
// parses to nothing.
void GenBankReader::OpenFeature(std::string_view line) {
  Feature& f = feature_;
  std::size_t at = 0;
  f.key = col::NextWord(line, at);
  loctext_ = col::NextWord(line, at);
  f.text = line;
  FreeLoc(f.loc);
  f.qualifier_text.clear();
  line_starts_.clear();
  f.reopened = false;
  inlocation_ = true;
}

// The feature is handed over, then forgets its location and lines. Its key
// stays: should the table begin again, further lines still belong to it.
void GenBankReader::close_feature() {
  FinishQualifiers();
  for (RecordConsumer* c : consumers_) c->FeatureEnd(feature_);
  FreeLoc(feature_.loc);
  feature_.qualifier_text.clear();
  line_starts_.clear();
  feature_.reopened = true;
}

void GenBankReader::FeatureTableLine(std::string_view line) {
  bool feature_line = IsFeatureLine(line);
  if (feature_line && !feature_.key.empty()) close_feature();
  if (!StartsBlank(line)) {
    infeatures_ = false;
  } else if (feature_line) {
    OpenFeature(line);
  } else if (!feature_.key.empty()) {
    line_starts_.push_back(feature_.qualifier_text.size());
    feature_.qualifier_text += line;
  }
}

// Sequence letters from index 10 on, handed over in runs without white space.
void GenBankReader::ReadSequence(std::string_view line) {
  std::string_view text = col::WithoutLineEnd(line);
  std::size_t i = 10;
  while (i < text.size()) {
    if (col::IsSpace(text[i])) {
      ++i;
      continue;
    }
    std::size_t start = i;
    while (i < text.size() && !col::IsSpace(text[i])) ++i;
    std::string_view letters = text.substr(start, i - start);
    for (RecordConsumer* c : consumers_) c->Letters(seqpos_, letters);
    seqpos_ += static_cast<long long>(letters.size());
  }
}

bool GenBankReader::scan_line(std::string_view line) {
  ++line_;
  if (seeking_) {
    if (line_ == 1) {
      if (const char* format = ForeignFormat(line)) {
        std::string reason = "the input looks like ";
        reason += format;
        reason += ", which morvel does not read (it reads GenBank flat files)";
        return Fail(1, std::move(reason));
      }
    }
    if (!col::StartsWith(line, "LOCUS ")) {
      // White-space-only lines between and after records are no text.
      if (!skipped_ && !col::IsBlank(line)) {
        skipped_ = true;
        skipped_line_ = line_;
        // "LOCUS" and nothing else on the line: not a record start.
        bare_locus_ = col::StartsWith(line, "LOCUS") && col::IsBlank(line.substr(5));
      }
      return true;
    }
    if (!StartRecord(line)) return false;
  }
  if (IsEndLine(line)) {
    EndRecord();
    return true;
  }
  if (!infeatures_ && !insequence_) {
    if (col::StartsWith(line, "VERSION ")) {
      std::size_t at = 7;
      record_.version = col::NextWord(line, at);
    }
    for (RecordConsumer* c : consumers_) c->HeaderLine(line);
  }
  GatherAccession(line);
  if (inlocation_) ContinueLocation(line);
  if (infeatures_ && !inlocation_) {
    FeatureTableLine(line);
  } else if (insequence_) {
    ReadSequence(line);
  }
  if (col::StartsWith(line, "FEATURES ")) infeatures_ = true;
  if (col::StartsWith(line, "ORIGIN")) {
    seqpos_ = 1;
    insequence_ = true;
  }
  return true;
}

bool GenBankReader::ScanEnd() {
  // A record the input cuts off is not written: its entries and reports
  // would be incomplete.
  if (!seeking_) return Fail(line_, "the input ends inside record " + record_.name + " (no \"//\" line)");
  if (skipped_ && bare_locus_) return Fail(skipped_line_, "a LOCUS line without a name and a length");
  if (skipped_ && any_record_) return Fail(skipped_line_, "text after the last record");
  if (skipped_) return Fail(line_, "no LOCUS line before the end of the input");
  return true;
}

int ReadGenBank(col::Input& in, GenBankReader& reader, const char* filename) {
  std::string line;
  bool ok = true;
  while (ok && col::GetLine(in, line)) ok = reader.scan_line(line);
  if (ok && in.Failed()) return 1;
  if (ok && reader.ScanEnd()) return 0;
  col::ReportWhere("morvel", filename, reader.ErrorLine(), reader.Reason().c_str());
  return 1;
}

}  // namespace morvel
