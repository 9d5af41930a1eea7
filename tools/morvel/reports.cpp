#include "reports.h"

#include <algorithm>

#include "dna.h"
#include "painters.h"
#include "protein.h"

namespace morvel {

namespace {

bool IsCertain(int code) { return code == 1 || code == -1; }

void PutInt(std::string& text, long long v) {
  char digits[24];
  text.append(digits, col::FormatInt(digits, v, 0));
}

}  // namespace

void info_feature(PositionReport& report, const Feature& feature, std::string& text) {
  const Loc* loc = feature.loc.get();
  const int infopos = report.infopos;
  int s = InLoc(loc, infopos);
  if (!IsCertain(s) || feature.key == "source") return;
  if (feature.key == "CDS" && !report.protein) {
    // A position beyond the sequence has no codon position.
    int codon = infopos >= 1 && infopos <= report.length ? CodonAt(loc, report.length, report.codonstart, infopos) : 0;
    text += "CDS ";
    PutInt(text, codon);
    // Only codon positions 1 to 3 select a codon around the position.
    report.infocodon = codon >= 1 && codon <= 3 ? (s == 1 ? codon : -codon) : 0;
  } else {
    text += feature.key;
  }
  text += s == 1 ? " (+), " : " (-), ";
}

void info_seq(PositionReport& report, std::string& text) {
  char* w = report.window;
  const char mutation = report.mutation;
  const int codon = report.infocodon;
  text += "seq ";
  text.append(w, 5);
  if (codon != 0) {
    auto comp = [](char c) { return static_cast<char>(DNAcomplement(c)); };
    // The codon's bases in reading order: on the plus strand from window
    // 3 - p on, on the minus strand the complements from window p + 1 down.
    auto translate = [&] {
      if (codon > 0) return Nuc2Amino(w[3 - codon], w[4 - codon], w[5 - codon]);
      int p = -codon;
      return Nuc2Amino(comp(w[p + 1]), comp(w[p]), comp(w[p - 1]));
    };
    text += " (";
    text += translate();
    if (mutation) {
      char old = w[2];
      w[2] = codon > 0 ? mutation : comp(mutation);
      text += " -> ";
      text += translate();
      text += ") (";
      text += old;
      text += " -> ";
      text += w[2];
    }
    text += ')';
  }
  text += '\n';
}

void longinfo_line(RangeReport& report, const Feature& feature, std::string_view line, std::string& text) {
  if (!report.inreport) return;
  if (report.textpending) {
    text += feature.text;
    report.textpending = false;
  }
  text += line;
}

void LonginfoFeature(RangeReport& report, const Feature& feature, std::string& text) {
  if (!feature.reopened) {
    int r = InLocRange(feature.loc.get(), report.longfrom, report.longto);
    report.inreport = IsCertain(r) && feature.key != "source";
    report.textpending = true;
  }
  for (std::string_view line : feature.qualifier_lines) longinfo_line(report, feature, line, text);
}

Reports::Reports(const Options& opt, col::Output& out) : opt_(opt), out_(out) {}

void Reports::RecordStart(const Record& record) {
  position_.infopos = opt_.infopos;
  position_.mutation = opt_.mutation;
  range_.longfrom = opt_.longfrom;
  range_.longto = opt_.longto;
  position_.length = record.length;
  std::fill(std::begin(position_.window), std::end(position_.window), '-');
  position_.infocodon = 0;
  position_.codonstart = 1;
  position_.protein = record.protein;
  text_.clear();
  ++records_;
  longest_ = std::max(longest_, record.length);
}

std::string Reports::PositionWarning() const {
  if (!opt_.info || records_ == 0 || opt_.infopos <= longest_) return {};
  std::string text = "morvel: Warning: position ";
  PutInt(text, opt_.infopos);
  text += records_ > 1 ? " lies beyond every record (the longest has length " : " lies beyond the record (its length is ";
  PutInt(text, longest_);
  return text + ")\n";
}

// The range report's lines of a feature came before it closed, so they go
// before its position report item.
void Reports::FeatureEnd(const Feature& feature) {
  if (opt_.longinfo) LonginfoFeature(range_, feature, text_);
  if (feature.key == "CDS") position_.codonstart = CodonStartAfter(feature, position_.codonstart);
  if (opt_.info) info_feature(position_, feature, text_);
}

void Reports::Letters(long long pos, std::string_view letters) {
  if (!opt_.info) return;
  long long infopos = position_.infopos;
  long long first = std::max(pos, infopos - 2);
  long long last = std::min(pos + static_cast<long long>(letters.size()) - 1, infopos + 2);
  for (long long p = first; p <= last; ++p) position_.window[p - infopos + 2] = letters[p - pos];
}

// A feature the end line cut off is not closed: only the lines the range
// report had shown of it so far stay.
void Reports::RecordEnd(const Record& /*record*/, const Feature* open) {
  if (opt_.longinfo && open) LonginfoFeature(range_, *open, text_);
  if (opt_.info) info_seq(position_, text_);
  out_.Write(text_);
  text_.clear();
}

}  // namespace morvel
