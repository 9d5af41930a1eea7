#include "tindra.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <climits>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "bed.h"
#include "feature_choice.h"
#include "file.h"
#include "names.h"
#include "scan.h"
#include "output.h"
#include "ranges.h"
#include "selection.h"
#include "tool.h"
#include "version.h"

namespace tindra {

using namespace col;

namespace {

// A position field read as an integer: an optional sign and digits. Text
// that does not start with a number (the gap mark ".") and numbers beyond an
// int read as 0. Plain digits, the usual case, are read here directly.
inline int ReadPosition(std::string_view field) {
  int value;
  return ReadDecimal(field, INT_MAX, value) ? value : ScanInt(field).value;
}

// A position field of a line, as ReadPosition; plain digits, 1 to 8 of
// them, whose last 8 bytes lie in the line are read in one word.
inline int ReadPositionIn(std::string_view line, std::string_view field) {
  std::size_t end = static_cast<std::size_t>(field.data() - line.data()) + field.size();
  int value;
  bool word = !field.empty() && field.size() <= 8 && end >= 8;
  return word && ReadDigitWord(line.data() + end, field.size(), value) ? value : ReadPosition(field);
}

// ---------------------------------------------------------------------------
// Command line

struct Colour {
  bool on = false;
  double rgb[3] = {1.0, 0.0, 0.0};
};

struct Settings {
  std::optional<RangeIndex> ranges;      // absent: every position (without --bed)
  std::optional<Selection> selection;    // absent: every entry
  const char* bed_path = nullptr;        // --bed=FILE
  bool bed_strand = false;               // --bed-strand: a region's strand restricts it
  std::optional<std::string> features;   // --feature=NAME[,NAME...]
  BedFile bed;                           // its regions, once read
  Colour background;
  Colour foreground;
  const char* filename = nullptr;
  InfoOption info = InfoOption::kNone;  // --help or --version
  // For the messages about the command line: the texts of the last -r and
  // -s, the first colour with a component outside 0..1 as typed, and what
  // was refused.
  std::string_view range_list, seq_list;
  std::string odd_colour;
  std::string refused;
};

bool InUnitRange(double v) { return v >= 0 && v <= 1; }

// Three numbers "%lf,%lf,%lf" that use up the whole text.
bool ReadColour(std::string_view text, Colour& colour) {
  std::string copy(text);
  double r, g, b;
  int used = -1;
  if (std::sscanf(copy.c_str(), "%lf,%lf,%lf%n", &r, &g, &b, &used) != 3) return false;
  if (used != static_cast<int>(copy.size())) return false;
  colour.on = true;
  colour.rgb[0] = r;
  colour.rgb[1] = g;
  colour.rgb[2] = b;
  return true;
}

// A colour option: false, with the refusal, when it is not three numbers.
bool ApplyColour(Settings& s, std::string_view piece, std::string_view name, Colour& colour) {
  if (!ReadColour(piece.substr(name.size()), colour)) {
    s.refused = Concat({"'", AsTyped(piece), "' takes three numbers from 0 to 1, as in ", AsTyped(name), "1,0.5,0"});
    return false;
  }
  bool odd = !InUnitRange(colour.rgb[0]) || !InUnitRange(colour.rgb[1]) || !InUnitRange(colour.rgb[2]);
  if (odd && s.odd_colour.empty()) s.odd_colour = AsTyped(piece);
  return true;
}

// Applies one option piece; false, with the refusal, for an unknown option or
// a bad colour. The tests run from top to bottom and the first that fits
// applies.
bool ApplyOption(Settings& s, std::string_view piece) {
  auto rest = [&](std::string_view name) { return piece.substr(name.size()); };
  if (piece.starts_with("r")) {
    s.range_list = rest("r");
    s.ranges = RangeIndex::FromList(s.range_list);
  } else if (piece.starts_with("-range=")) {
    s.range_list = rest("-range=");
    s.ranges = RangeIndex::FromList(s.range_list);
  } else if (piece.starts_with("s")) {
    s.seq_list = rest("s");
    s.selection = Selection(s.seq_list);
  } else if (piece.starts_with("-seq=")) {
    s.seq_list = rest("-seq=");
    s.selection = Selection(s.seq_list);
  } else if (piece.starts_with("-feature=")) {
    s.features = std::string(rest("-feature="));
  } else if (piece.starts_with("-bed=")) {
    s.bed_path = piece.data() + 5;  // the rest of the argument word
  } else if (piece == "-bed-strand") {
    s.bed_strand = true;
  } else if (piece == "c" || piece == "-color") {
    s.background.on = true;
  } else if (piece == "f" || piece == "-fgcolor") {
    s.foreground.on = true;
  } else if (piece.starts_with("C")) {
    return ApplyColour(s, piece, "C", s.background);
  } else if (piece.starts_with("-color=")) {
    return ApplyColour(s, piece, "-color=", s.background);
  } else if (piece.starts_with("F")) {
    return ApplyColour(s, piece, "F", s.foreground);
  } else if (piece.starts_with("-fgcolor=")) {
    return ApplyColour(s, piece, "-fgcolor=", s.foreground);
  } else if (piece == "-bed") {
    s.refused = "'--bed' takes a file, as in --bed=regions.bed";
    return false;
  } else {
    s.refused = Concat({"unknown option '", AsTyped(piece), "'"});
    return false;
  }
  return true;
}

// False after a bad command line (the caller prints the usage text). True at
// "--help" or "--version" (s.info), which end the scan.
bool ReadCommandLine(int argc, char** argv, Settings& s) {
  Args args = InitArgument(argc, argv);
  while (auto piece = GetArgument(args)) {
    s.info = ReadInfoOption(*piece);
    if (s.info != InfoOption::kNone) return true;
    if (!ApplyOption(s, *piece)) return false;
  }
  s.filename = GetFilename(args);
  if (const char* second = s.filename ? GetFilename(args) : nullptr) {
    s.refused = Concat({"a second file '", second, "': tindra reads one file"});
    return false;
  }
  if (!s.background.on && !s.foreground.on) s.background.on = true;
  return true;
}

// ---------------------------------------------------------------------------
// Colouring

// One colour column: its label, the text a new column is filled with, and
// which component of which colour it takes.
struct ColourColumn {
  const char* label;
  const char* fill;
  bool background;
  int component;  // 0 r, 1 g, 2 b
};

std::string FormatComponent(double v) {
  int n = std::snprintf(nullptr, 0, "%5.3f", v);
  std::string text(n, '\0');
  std::snprintf(text.data(), text.size() + 1, "%5.3f", v);
  return text;
}

std::vector<ColourColumn> ColourColumns(const Settings& s) {
  static const char* const kBackground[] = {"color_r", "color_g", "color_b"};
  static const char* const kForeground[] = {"color2_r", "color2_g", "color2_b"};
  std::vector<ColourColumn> columns;
  for (int k = 0; k < 3 && s.background.on; ++k) columns.push_back({kBackground[k], "1.000", true, k});
  for (int k = 0; k < 3 && s.foreground.on; ++k) columns.push_back({kForeground[k], "0.000", false, k});
  return columns;
}

// The values chosen lines get, per paint and column, formatted once per run.
// Paint 0 is the colours of the options; paint k the background of the BED
// colour k with the foreground of the options.
std::vector<std::vector<std::string>> Paints(const Settings& s, const std::vector<ColourColumn>& columns) {
  std::vector<std::vector<std::string>> paints(1 + s.bed.colours.size());
  for (std::size_t p = 0; p < paints.size(); ++p) {
    for (const ColourColumn& column : columns) {
      double v = column.background ? s.background.rgb[column.component] : s.foreground.rgb[column.component];
      if (p > 0 && column.background) v = s.bed.colours[p - 1].rgb[column.component] / 255.0;
      paints[p].push_back(FormatComponent(v));
    }
  }
  return paints;
}

// The output of one entry. It is held until the entry has been read to its
// end marker, so that an entry cut short by the end of input is not written.
// An entry whose output outgrows the holding room is streamed from there on:
// memory stays bounded however long the entry is.
class EntryOutput {
 public:
  explicit EntryOutput(Output& out) : out_(out) { held_.reserve(kHoldLimit); }

  // Inline: it runs for every line, and pieces of lines, of the output.
  [[gnu::always_inline]] void Add(std::string_view text) {
    if (streaming_) {
      out_.Write(text);
    } else if (held_.size() + text.size() <= kHoldLimit) {
      held_.append(text);
    } else {
      StartStreaming(text);
    }
  }
  void Add(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) Add(line);
  }
  // The entry is complete: write what is held.
  void Finish() {
    out_.Write(held_);
    Discard();
  }
  // The entry failed: drop what is held.
  void Discard() {
    held_.clear();
    streaming_ = false;
  }

 private:
  // Small, so that holding costs little fresh memory; entries cut short
  // in the input are nearly always short ones.
  static constexpr std::size_t kHoldLimit = std::size_t{1} << 20;

  void StartStreaming(std::string_view text) {
    out_.Write(held_);
    held_.clear();
    streaming_ = true;
    out_.Write(text);
  }

  Output& out_;
  std::string held_;
  bool streaming_ = false;
};

// A line number as a position; an entry streams through line by line, so
// it may have more lines than an int counts.
int LineNumber(long long n) { return static_cast<int>(std::min<long long>(n, INT_MAX)); }

// Field numbers of 0 or less address field 1.
int FieldIndex(int column) { return column < 1 ? 1 : column; }

// A line that ends in CR LF is edited without its CR, so that new fields go
// before it; the CR is put back afterwards.
bool DropCr(std::string& line) {
  std::size_t n = line.size();
  if (n < 2 || line[n - 1] != '\n' || line[n - 2] != '\r') return false;
  line.erase(n - 2, 1);
  return true;
}

void RestoreCr(std::string& line, bool cr) {
  if (cr && !line.empty() && line.back() == '\n') line.insert(line.size() - 1, 1, '\r');
}

// Appends text as new last fields, as AddField does, without counting the
// line's fields afterwards.
void AppendFields(std::string& line, std::string_view fields) {
  if (!line.empty() && line.back() == '\n') line.pop_back();
  line += ' ';
  line += fields;
  line += '\n';
}

// A colour field found in a line: its span (the white space before it and
// its characters).
struct FieldSpan {
  std::size_t begin = 0;
  std::size_t end = 0;
  bool found = false;
};

// The positions of an entry that BED regions choose, by paint: the regions of
// every chrom that names the entry (lib/support/names.h), the later region on
// top where they overlap; with --bed-strand only those of the entry's strand
// and of no strand. Each index is built once, when first needed. The chroms
// that name some entry, chosen or not, are remembered for the warning about
// those that name none.
class BedChoice {
 public:
  BedChoice(const BedFile& bed, bool by_strand);

  // Finds the chroms that name entry e; true when there are any.
  bool Match(const Entry& e);
  // Prepares the index for the entry last matched; false when no region
  // applies to it.
  bool Prepare(const Entry& e);
  // The paint of a position, or -1.
  int Find(int position) { return cursor_.Find(position); }
  // "tindra: Warning: N of M BED regions name no entry (first: NAME)".
  void WarnUnnamed() const;

 private:
  const BedFile& bed_;
  bool by_strand_;
  NameIndex names_;         // the chroms by their place in bed_.chroms
  std::vector<bool> named_;  // by place: names some entry
  // The entry last matched: its names and the places of its chroms.
  std::string entry_name_;
  std::string accession_;
  std::vector<std::uint32_t> matched_;
  // By matched chroms: the index over all strands, the plus and the minus one.
  std::map<std::vector<std::uint32_t>, std::array<std::optional<RangeIndex>, 3>> indexes_;
  RangeCursor cursor_;
};

BedChoice::BedChoice(const BedFile& bed, bool by_strand)
    : bed_(bed), by_strand_(by_strand), named_(bed.chroms.size(), false) {
  for (std::size_t k = 0; k < bed.chroms.size(); ++k) names_.Add(*bed.chroms[k], static_cast<std::uint32_t>(k));
}

bool BedChoice::Match(const Entry& e) {
  std::optional<std::string> name = EntryName(e);
  entry_name_ = name ? *name : std::string();
  accession_.clear();
  ReadVar(e, "ACCESSION", accession_);
  names_.Find(entry_name_, accession_, matched_);
  for (std::uint32_t place : matched_) named_[place] = true;
  return !matched_.empty();
}

bool BedChoice::Prepare(const Entry& e) {
  if (matched_.empty()) return false;
  int slot = 0;
  if (by_strand_) {
    std::string strand;
    slot = ReadVar(e, "STRAND", strand) == 0 && strand == "Minus" ? 2 : 1;
  }
  std::optional<RangeIndex>& index = indexes_[matched_][slot];
  if (!index) {
    // The regions of several chroms are laid in file order.
    std::vector<const BedRegion*> regions;
    for (std::uint32_t place : matched_) {
      for (const BedRegion& r : bed_.regions.find(*bed_.chroms[place])->second) {
        if (slot == 0 || r.strand == '.' || r.strand == (slot == 2 ? '-' : '+')) regions.push_back(&r);
      }
    }
    if (matched_.size() > 1) {
      std::stable_sort(regions.begin(), regions.end(),
                       [](const BedRegion* a, const BedRegion* b) { return a->order < b->order; });
    }
    std::vector<RangeSpan> spans;
    spans.reserve(regions.size());
    for (const BedRegion* r : regions) spans.push_back({r->lo, r->hi, r->colour});
    index = RangeIndex::Layered(spans);
  }
  cursor_ = RangeCursor(*index);
  return !index->empty();
}

void BedChoice::WarnUnnamed() const {
  long long total = 0, unnamed = 0;
  const std::string* first = nullptr;
  for (std::size_t k = 0; k < bed_.chroms.size(); ++k) {
    long long n = static_cast<long long>(bed_.regions.find(*bed_.chroms[k])->second.size());
    total += n;
    if (named_[k] || n == 0) continue;
    unnamed += n;
    if (!first) first = bed_.chroms[k];
  }
  if (unnamed == 0) return;
  std::fprintf(stderr, "tindra: Warning: %lld of %lld BED regions name no entry (first: %s)\n", unnamed, total,
               first->c_str());
}

// Colours entries as they stream through. Line 1 of a chosen entry is read
// into the entry itself, so that EnsureCol numbers the new columns by it; the
// other body lines pass one at a time through a one-line scratch entry.
class Colourer {
 public:
  explicit Colourer(const Settings& s);

  // The warnings of --feature, after the last entry.
  void WarnMissingFeatures() const {
    if (features_) features_->WarnMissing(stderr);
  }

  // Reads the next entry into `out`, coloured when it is chosen: 0 entry
  // read, -1 end of input, 1 error.
  int ReadEntry(Input& in, Entry& e, int entryno, EntryOutput& out);
  // At the end of a run that read every entry: the warnings about the BED
  // file.
  void Finish() const {
    if (settings_.bed_path) bed_.WarnUnnamed();
  }

 private:
  int CopyEntry(Input& in, Entry& e, EntryOutput& out);
  int ColourEntry(Input& in, Entry& e, EntryOutput& out);
  // Once per entry: kept out of ColourEntry, whose line loop is tighter
  // without it.
  [[gnu::noinline]] void EnsureColumns(Entry& e);
  void PrepareFeatures(const Entry& e);
  int Position(Entry& e, int n, int lineno);
  [[gnu::always_inline]] inline int PaintAt(int position);  // once per line
  const std::string& ChosenEnding(int paint);
  void ColourLine(Entry& e, int n, int lineno);
  void ColourLineFieldByField(Entry& e, int n, int lineno);
  void PaintSpans(Entry& e, int n, int paint);
  void ColourNewLine(int lineno, EntryOutput& out);
  bool ColourPlainLine(std::string_view line, int lineno, EntryOutput& out);

  const Settings& settings_;
  std::vector<ColourColumn> columns_;
  std::vector<std::vector<std::string>> paints_;
  Entry scratch_ = MakeEntry();
  // Which positions are chosen: all of them, or those of the -r list and of
  // the BED regions of the entry.
  bool every_position_;
  RangeCursor ranges_;
  BedChoice bed_;
  bool bed_applies_ = false;
  std::optional<FeatureChoice> features_;  // --feature
  RangeCursor feature_positions_;          // of the entry
  bool features_apply_ = false;
  // Per entry: the position column and the colour columns' numbers.
  int position_column_ = 0;
  std::vector<int> numbers_;
  // The field index of the last colour column, and of the last field a
  // line is read to (the position's included); up to kFewFields fields are
  // found in one pass.
  static constexpr int kFewFields = 16;
  int last_field_ = 0;
  int most_fields_ = 0;
  // Per entry: the text that appends the newly created columns to the lines
  // after line 1. When every colour column is new, such a line with as many
  // fields as line 1 had is written as it is and one of the endings below.
  std::string new_fields_;
  bool all_new_ = false;
  int base_fields_ = 0;
  // The new colour fields of a line left alone and, per paint (made when
  // first needed), of a chosen line; without the line end.
  std::string plain_ending_;
  std::vector<std::string> chosen_endings_;
  // Per line: the colour fields.
  std::vector<FieldSpan> spans_;
};

Colourer::Colourer(const Settings& s)
    : settings_(s),
      columns_(ColourColumns(s)),
      paints_(Paints(s, columns_)),
      every_position_(!s.ranges && !s.bed_path && !s.features),
      bed_(s.bed, s.bed_strand),
      chosen_endings_(paints_.size()),
      spans_(columns_.size()) {
  scratch_.line.resize(1);
  if (s.ranges) ranges_ = RangeCursor(*s.ranges);
  if (s.features) features_.emplace(*s.features);
  for (const ColourColumn& column : columns_) {
    plain_ending_ += ' ';
    plain_ending_ += column.fill;
  }
}

int Colourer::ReadEntry(Input& in, Entry& e, int entryno, EntryOutput& out) {
  int rc = ReadEntryText(in, e);
  if (rc != 0) return rc;
  if (settings_.bed_path) bed_.Match(e);
  bool chosen = !settings_.selection || SelectsEntry(*settings_.selection, e, entryno);
  rc = chosen ? ColourEntry(in, e, out) : CopyEntry(in, e, out);
  if (rc == 0) {
    out.Finish();
  } else {
    out.Discard();
  }
  return rc;
}

int Colourer::CopyEntry(Input& in, Entry& e, EntryOutput& out) {
  out.Add(e.text);
  std::string& line = scratch_.line[0];
  int rc;
  while ((rc = ReadBodyLine(in, line)) == 0) out.Add(line);
  if (rc == 1) return 1;
  out.Add(line);  // the end marker line
  return 0;
}

int Colourer::ColourEntry(Input& in, Entry& e, EntryOutput& out) {
  // The position column is looked up before any colour column exists.
  position_column_ = ReadColno(e, "alignpos");
  if (position_column_ == 0) position_column_ = ReadColno(e, "seqpos");
  bed_applies_ = settings_.bed_path && bed_.Prepare(e);
  PrepareFeatures(e);
  int rc = ReadEntryLines(in, e, 1);
  if (rc == 1) return 1;
  bool cr = rc == 0 && DropCr(e.line[0]);
  EnsureColumns(e);
  out.Add(e.text);
  if (rc == -1) {  // no body lines
    out.Add(e.end);
    return 0;
  }
  ColourLine(e, 1, 1);
  RestoreCr(e.line[0], cr);
  out.Add(e.line[0]);
  long long n = 1;
  rc = ForEachBodyLine(in, scratch_.line[0], [&](std::string&) { ColourNewLine(LineNumber(++n), out); });
  if (rc == 1) return 1;
  out.Add(scratch_.line[0]);  // the end marker line
  return 0;
}

void Colourer::PrepareFeatures(const Entry& e) {
  features_apply_ = false;
  if (!features_) return;
  const RangeIndex& positions = features_->Prepare(e.text);
  feature_positions_ = RangeCursor(positions);
  features_apply_ = !positions.empty();
}

void Colourer::EnsureColumns(Entry& e) {
  base_fields_ = e.length() > 0 ? CountField(e, 1) : 0;
  numbers_.clear();
  new_fields_.clear();
  all_new_ = true;
  for (const ColourColumn& column : columns_) {
    bool created = ReadColnoND(e, column.label) == 0;
    numbers_.push_back(EnsureCol(e, column.label, column.fill));
    all_new_ = all_new_ && created;
    if (created) {
      if (!new_fields_.empty()) new_fields_ += ' ';
      new_fields_ += column.fill;
    }
  }
  last_field_ = 0;
  for (int number : numbers_) last_field_ = std::max(last_field_, FieldIndex(number));
  most_fields_ = std::max(last_field_, position_column_ != 0 ? FieldIndex(position_column_) : 0);
}

// The position of line n of e, which is line `lineno` of the body. A line
// without its position field is reported and has position 0.
int Colourer::Position(Entry& e, int n, int lineno) {
  if (position_column_ == 0) return lineno;
  std::string_view field;
  return GetField(field, e, n, position_column_) == 0 ? ReadPositionIn(LineAddress(e, n), field) : 0;
}

// The paint of a position, or -1 when it is not chosen. A position in the
// -r list takes the options' colours, before any BED region.
int Colourer::PaintAt(int position) {
  if (every_position_ || (settings_.ranges && ranges_.Contains(position))) return 0;
  if (features_apply_ && feature_positions_.Contains(position)) return 0;
  return bed_applies_ ? bed_.Find(position) : -1;
}

// A new field " 1.000" changed by ChgField: the value right-aligned in five
// characters, or in as many as it needs.
const std::string& Colourer::ChosenEnding(int paint) {
  std::string& ending = chosen_endings_[paint];
  if (ending.empty()) {
    for (std::size_t c = 0; c < columns_.size(); ++c) {
      const std::string& value = paints_[paint][c];
      std::size_t width = std::string_view(columns_[c].fill).size();
      ending += ' ';
      if (value.size() < width) ending.append(width - value.size(), ' ');
      ending += value;
    }
  }
  return ending;
}

// Colours line n of e when it is chosen. Values that fit their
// fields are written in place, as ChgField would; whatever needs more (a
// missing field, a value wider than its field) is left to ChgField.
void Colourer::ColourLine(Entry& e, int n, int lineno) {
  if (most_fields_ > kFewFields) {
    ColourLineFieldByField(e, n, lineno);
    return;
  }
  // Where positions choose, most lines are passed over: their position
  // alone is read first. Every chosen line has its few fields found in one
  // pass over its white-space mask.
  int paint = every_position_ ? 0 : PaintAt(Position(e, n, lineno));
  if (paint < 0) return;
  const std::string& line = e.line[n - 1];
  Span fields[kFewFields];
  int found = SplitFields(line, Separators::kSpace, fields, most_fields_);
  auto end_of = [&](int k) { return static_cast<std::size_t>(fields[k - 1].data + fields[k - 1].size - line.data()); };
  for (std::size_t c = 0; c < spans_.size(); ++c) {
    int k = FieldIndex(numbers_[c]);
    spans_[c] = k <= found ? FieldSpan{k > 1 ? end_of(k - 1) : 0, end_of(k), true} : FieldSpan{};
  }
  PaintSpans(e, n, paint);
}

// ColourLine for lines whose colour or position fields lie far to the right.
void Colourer::ColourLineFieldByField(Entry& e, int n, int lineno) {
  int paint = PaintAt(Position(e, n, lineno));
  if (paint < 0) return;

  std::string& line = e.line[n - 1];
  for (FieldSpan& span : spans_) span.found = false;
  std::size_t pos = 0;
  std::string_view field;
  for (int k = 1; k <= last_field_; ++k) {
    std::size_t begin = pos;
    if (!NextField(line, pos, field)) break;
    for (std::size_t c = 0; c < spans_.size(); ++c) {
      if (FieldIndex(numbers_[c]) == k) spans_[c] = {begin, pos, true};
    }
  }
  PaintSpans(e, n, paint);
}

// Writes the paint's values into the colour fields found in spans_.
void Colourer::PaintSpans(Entry& e, int n, int paint) {
  std::string& line = e.line[n - 1];
  bool shifted = false;  // a widened field moved the fields after it
  for (std::size_t c = 0; c < columns_.size(); ++c) {
    const std::string& value = paints_[paint][c];
    const FieldSpan& span = spans_[c];
    std::size_t room = span.end - span.begin;
    if (!shifted && span.found && value.size() < room) {
      char* at = line.data() + span.begin;
      std::memset(at, ' ', room - value.size());
      std::memcpy(at + room - value.size(), value.data(), value.size());
    } else {
      ChgFieldText(e, n, numbers_[c], value);
      shifted = shifted || (span.found && value.size() >= room);
    }
  }
}

// Colours and writes the streamed line, which lacks the new columns.
void Colourer::ColourNewLine(int lineno, EntryOutput& out) {
  std::string& line = scratch_.line[0];
  if (all_new_ && ColourPlainLine(line, lineno, out)) return;
  bool cr = DropCr(line);
  if (!new_fields_.empty()) AppendFields(line, new_fields_);
  ColourLine(scratch_, 1, lineno);
  RestoreCr(line, cr);
  out.Add(line);
}

// The common case, without editing the line: every colour column is new and
// the line has as many fields as line 1 had, so the colour fields are the
// ones that would be appended, and the position field is one of its own.
// False, with nothing written, when that does not hold.
bool Colourer::ColourPlainLine(std::string_view line, int lineno, EntryOutput& out) {
  if (line.empty() || line.back() != '\n') return false;
  std::string_view text = line.substr(0, line.size() - 1);
  bool cr = !text.empty() && text.back() == '\r';
  if (cr) text.remove_suffix(1);
  int position = lineno;
  if (position_column_ != 0 && (settings_.ranges || bed_applies_ || features_apply_)) {  // positions choose
    int k = FieldIndex(position_column_);
    if (k > base_fields_) return false;
    std::string_view field;
    if (CountFieldsFind(text, k, field) != base_fields_) return false;
    position = ReadPositionIn(text, field);
  } else {
    if (CountFields(text) != base_fields_) return false;
    if (position_column_ != 0 && FieldIndex(position_column_) > base_fields_) return false;
  }
  int paint = PaintAt(position);
  out.Add(text);
  out.Add(paint < 0 ? plain_ending_ : ChosenEnding(paint));
  out.Add(cr ? std::string_view("\r\n") : std::string_view("\n"));
  return true;
}

int ColourFile(const Settings& s, int argc, char** argv, Input& in, Output& out) {
  Header header = MakeHeader();
  if (ReadHeader(in, header) != 0) return 1;
  AddHeaderInfo(header, argc, argv);
  PrintHeader(out, header);

  Colourer colourer(s);
  Entry e = MakeEntry();
  EntryOutput entry_out(out);
  int entryno = 1;
  int rc;
  while ((rc = colourer.ReadEntry(in, e, entryno, entry_out)) == 0) {
    if (entryno < INT_MAX) ++entryno;
  }
  if (rc == 1) return 1;
  colourer.Finish();
  colourer.WarnMissingFeatures();
  return 0;
}

// Reads the --bed file completely; false after its message.
bool LoadBed(Settings& s) {
  if (!s.bed_path) return true;
  Input in;
  if (!OpenInput(in, "tindra", s.bed_path)) return false;
  std::string reason;
  long long bad = ReadBed(in, s.bed, &reason);
  if (bad != 0 && !in.Failed()) {
    std::fprintf(stderr, "tindra: Error in BED file, line %lld\n", bad);
    ReportWhere("tindra", s.bed_path, bad, reason.c_str());
  }
  return FinishInput(in, "tindra", bad != 0 ? 1 : 0) == 0;
}

constexpr std::string_view kHelp =
    "Usage: tindra [OPTION]... [FILE]\n"
    "Colour chosen positions of the entries of a col file (FILE, or standard\n"
    "input) and write the file to standard output.\n"
    "\n"
    "  -r<list>, --range=<list>     colour the positions in the list, such as\n"
    "                               10-20,35 (alignpos, else seqpos, else line)\n"
    "  -s<list>, --seq=<list>       colour only the entries with these numbers\n"
    "                               or ENTRY names, such as 2-3,demo\n"
    "  --bed=<file>                 colour the regions of a BED file in the\n"
    "                               entries its chrom names (itemRgb colours)\n"
    "  --bed-strand                 a BED region with strand + or - colours only\n"
    "                               plus or minus entries (; STRAND Minus)\n"
    "  --feature=<name>[,<name>...] colour the features with these names (or\n"
    "                               KEY:NAME) in the entries' FEATURE lines\n"
    "  -c, --color                  set the background colour (the default)\n"
    "  -C<r>,<g>,<b>, --color=<r>,<g>,<b>\n"
    "                               background colour, from 0 to 1 (1,0,0)\n"
    "  -f, --fgcolor                set the foreground colour\n"
    "  -F<r>,<g>,<b>, --fgcolor=<r>,<g>,<b>\n"
    "                               foreground colour, from 0 to 1 (1,0,0)\n"
    "  --help                       print this help and exit\n"
    "  --version                    print the version and exit\n"
    "\n"
    "Example:\n"
    "  morvel --gene rec.gb | tindra -r100-200 -C0,0.5,1 > rec.col\n"
    "\n"
    "Read more in tindra(1) and col(5).\n";

// The warnings about likely mistakes on an accepted command line.
void WarnAboutOptions(const Settings& s) {
  WarnReversedRange("tindra", {s.range_list, s.seq_list});
  if (!s.odd_colour.empty()) {
    std::fprintf(stderr,
                 "tindra: Warning: the colour %s has a component outside 0..1 (components run from 0 to 1, "
                 "as in -C1,0.5,0)\n",
                 s.odd_colour.c_str());
  }
}

int Program(int argc, char** argv) {
  Settings s;
  if (!ReadCommandLine(argc, argv, s)) {
    if (!s.refused.empty()) ReportUsage("tindra", s.refused.c_str());
    usage();
    return 1;
  }
  if (s.info != InfoOption::kNone) {
    PrintInfo(s.info, "tindra", kHelp);
    return 0;
  }
  WarnAboutOptions(s);
  if (!LoadBed(s)) return 1;
  Input in;
  if (!OpenInput(in, "tindra", s.filename)) return 1;
  return FinishInput(in, "tindra", ColourFile(s, argc, argv, in, StdOut()));
}

}  // namespace

int Run(int argc, char** argv, Input& in, Output& out) {
  Settings s;
  if (!ReadCommandLine(argc, argv, s)) return 1;
  if (s.info != InfoOption::kNone) return 0;
  if (!LoadBed(s)) return 1;
  return ColourFile(s, argc, argv, in, out);
}

void usage() {
  std::fputs(
      "usage: tindra\n"
      "            [-r<range> | -range=<range>] [-s<seqrange> |\n"
      "            -seq=<seqrange>] [-c | --color |\n"
      "            -C<color_r>,<color_g>,<color_b> |\n"
      "            --color=<color_r>,<color_g>,<color_b>] [-f | --fgcolor |\n"
      "            -F<color_r>,<color_g>,<color_b> |\n"
      "            --fgcolor=<color_r>,<color_g>,<color_b>] [<file>]\n",
      stderr);
}

int Main(int argc, char** argv) { return RunTool("tindra", Program, argc, argv); }

}  // namespace tindra
