// One entry as colshow draws it, gathered while its body streams past: the
// residue letters as text, every column as runs of values, the background
// and foreground colours as runs, and the names of the columns.
//
// Runs text (what the page embeds and decodes back): runs separated by
// single blanks, each a head "<count><kind>" and its values, each value a
// field (fields hold no white space, so a blank never occurs in one):
//   "<n>c V"             n times the value V
//   "<n>i A D"           the integers A, A+D, A+2D, ... (D is 1 or -1)
//   "<n>p<k> V1 .. Vk"   the k values again and again (k is 2 or 3)
//   "<n>r"               the residue letters at those lines
//   "<n>m"               lines that lack the field
// For example "2c N", "600i 1 1", "9p3 1 2 3".
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "col.h"
#include "feature_lane.h"
#include "scan.h"

namespace colshow {

// The runs of one column, built one field at a time.
class ColumnRuns {
 public:
  void Add(std::string_view field);
  // The field is the line's residue letter (kept in the residue text).
  void AddResidue();
  // The open run is one value repeated: lines that repeat it may be
  // counted later, all at once, with Continue.
  bool IsConstant() const { return kind_ == 'c'; }
  bool IsResidues() const { return kind_ == 'r'; }
  // The value the open run expects next ("" for residues and missing fields):
  // a count goes on by Step() (1 or -1), a period with Period()[Phase()].
  std::string_view Next() const;
  int Step() const { return kind_ == 'i' ? static_cast<int>(step_) : 0; }
  const std::vector<std::string>& Period() const { return values_; }
  int Phase() const { return phase_; }
  // Adds n lines that continue the open run as it expects.
  void Continue(long long n);
  void AddMissing(long long n = 1);
  // Closes the open run; the text is complete.
  void Finish();
  const std::string& Text() const { return text_; }

 private:
  bool Extend(std::string_view field);
  void Close();
  void Open(std::string_view field);

  std::string text_;
  char kind_ = 0;  // 0 (nothing open), 'c', 'i', 'p', 'r' or 'm'
  long long count_ = 0;
  std::vector<std::string> values_;  // of a 'c' or 'p' run
  int phase_ = 0;                    // the value of a 'p' run that comes next
  long long start_ = 0, step_ = 0;   // of an 'i' run
  std::string next_;                 // the text the 'i' run expects next
};

// Reads a runs text back: calls fn(count, kind, values) for each run in
// order, `values` holding its fields ("A D" of an 'i' run). Stops at a head
// it cannot read.
template <typename Fn>
void ForEachRun(std::string_view text, Fn fn);

// The first character of each line's field (' ' where the line lacks it,
// the residue letter of an 'r' run), from a column's runs text and the
// residues; `count` characters.
std::string FirstCharacters(std::string_view runs, std::string_view residues, long long count);

// An 0xRRGGBB colour; kNoColour where the entry has no colour columns.
using Rgb = std::uint32_t;
constexpr Rgb kWhite = 0xffffff;
constexpr Rgb kBlack = 0x000000;

struct ColourRun {
  Rgb rgb;
  long long count;
};

// A colour component field: 0..1, values outside clamped, as 0..255. NaN and
// text that is no number give `fallback`.
int ColourByte(std::string_view field, int fallback);

// The tracks drawn under the residues, by the letter a field starts with.
enum Track { kIntronExon, kCodonPos, kStrand, kTracks };
extern const char* const kTrackLabels[kTracks];

class EntryView {
 public:
  // Prepares for the body of `e` (its entry text read). `detail` keeps per
  // line what the figure needs: positions and track letters.
  // With `predict`, lines that continue every run are added in one pass
  // (AddPredicted); not with `detail`.
  void Start(const col::Entry& e, bool detail, bool predict = false);
  // Takes a body line and finds its fields, for the caller's -r test first.
  // The caller keeps the line unchanged until the next line has been taken
  // (reading lines alternately into two strings does).
  void TakeLine(std::string_view line);
  std::size_t FieldCount() const { return spans_.size(); }
  // Field k (1-based) of the line taken; "" when the line lacks it.
  std::string_view Field(std::size_t k) const {
    return k >= 1 && k <= spans_.size() ? line_.substr(spans_[k - 1].start, spans_[k - 1].size) : std::string_view();
  }
  // Adds the line taken, with its line number.
  void AddLine(long long lineno);
  // Adds the line, instead of TakeLine and AddLine, when it is the one the
  // lines before foresee; false (nothing done) when it is not. The caller
  // keeps it unchanged until the next line has been taken.
  bool AddPredicted(std::string_view line);
  // Closes every run.
  void Finish();

  // Entry-text values shown in the title ("" when the line is missing).
  std::string name, accession, length, strand, type;
  bool has_name = false;
  // Column labels, column k at index k - 1.
  std::vector<std::string> labels;
  int residue_col = 0, seqpos_col = 0, alignpos_col = 0;  // 1-based, 0: none
  int track_col[kTracks] = {};
  bool coloured = false, fg_coloured = false;

  std::string residues;            // one character per shown line
  std::vector<ColumnRuns> columns;  // column k at index k - 1
  std::vector<ColourRun> background, foreground;
  long long count = 0;              // shown lines

  // With `detail`: the position text (seqpos, else the line number), the
  // alignment position (0 when there is none) and the first character of
  // each track's field ('.' when missing), per shown line.
  std::vector<std::string> positions;
  std::vector<long long> alignpos;
  std::string tracks[kTracks];

  // The entry's FEATURE lines, whether it holds the minus strand (its STRAND
  // line says Minus), and the lane and translations made of them at Finish.
  std::vector<col::FeatureLine> feature_lines;
  bool minus = false;
  FeatureLane lane;


 private:
  struct Colour {
    int cols[3] = {};
    std::string last[3];  // the fields `rgb` was made of, to skip parsing
    std::uint64_t fields = 0;  // bits of its columns, to see whether they changed
    bool known = false;
    Rgb rgb = 0;
    Rgb fallback = 0;
    std::vector<ColourRun>* runs = nullptr;
  };
  void SetUpColour(Colour& c, const char* const labels[3], Rgb fallback, std::vector<ColourRun>& runs);
  void AddColour(Colour& c);
  void AddColumns(std::size_t n);
  void Split(std::string_view line);
  void Sync(std::size_t k);
  void AddField(std::size_t k);
  bool SameLayout(std::string_view line);
  bool IsColourColumn(std::size_t k) const;
  void Predict();
  void BuildFeatures();

  // The line taken and its fields. Consecutive body lines mostly differ in
  // a few bytes (the residue, the last digit of the position): when they
  // keep the previous line's layout, only the fields whose bytes changed
  // are `dirty_` and looked at.
  struct Span {
    std::uint32_t start, size;
  };
  std::string_view line_;
  std::vector<Span> spans_;
  std::string_view previous_;  // the line before, when its layout is kept
  std::vector<std::uint8_t> field_at_;  // byte offset -> field index
  std::uint64_t dirty_ = ~std::uint64_t{0};
  // The changes since the last line added: lines that -r skips are taken
  // but not added, and their changes count for the next line added.
  std::uint64_t unadded_ = ~std::uint64_t{0};
  // Columns whose open run is one value (IsConstant) and that are not dirty
  // are not looked at: synced_[k] tells up to which line column k is
  // complete, and the lines after it repeat its value.
  std::uint64_t constant_ = 0;
  std::vector<long long> synced_;

  // The next line as the open runs foresee it, but for the residue at
  // residue_at_, and the fields that change from line to line in it: a
  // count (step 1 or -1) or a period (step 0, its value at `phase`).
  struct Step {
    std::uint32_t start, size;
    std::size_t column;
    int step;
    std::size_t phase;
  };
  bool predict_ = false;
  std::string predicted_;
  std::size_t residue_at_ = 0;
  std::vector<Step> steps_;

  const col::Entry* entry_ = nullptr;  // for the labels of columns found late
  bool detail_ = false;
  Colour bg_, fg_;
};

// The names by which the page and the figure call entries, each its own:
// the ENTRY value ("entry N" without one), with " (minus)" for a minus
// entry and " #k" for the k-th entry of a name already given.
class EntryNames {
 public:
  std::string Next(const EntryView& v, int entryno);

 private:
  std::map<std::string, int> seen_;  // the last k given to a name
  std::set<std::string> used_;
};

bool ReadRunHead(std::string_view word, long long& count, char& kind, long long& period);

template <typename Fn>
void ForEachRun(std::string_view text, Fn fn) {
  std::vector<std::string_view> values;
  std::size_t at = 0;
  for (std::string_view word = col::NextWord(text, at); !word.empty(); word = col::NextWord(text, at)) {
    long long count = 0, period = 0;
    char kind = 0;
    if (!ReadRunHead(word, count, kind, period)) return;
    long long n = kind == 'c' ? 1 : kind == 'i' ? 2 : kind == 'p' ? period : 0;
    values.clear();
    for (long long k = 0; k < n; ++k) values.push_back(col::NextWord(text, at));
    fn(count, kind, values);
  }
}

}  // namespace colshow
