#include "tindra.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <climits>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "bed.h"
#include "feature_choice.h"
#include "file.h"
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
  std::optional<std::string> features;   // --feature=NAME[,NAME...]
  BedFile bed;                           // its regions, once read
  Colour background;
  Colour foreground;
  const char* filename = nullptr;
  InfoOption info = InfoOption::kNone;  // --help or --version
};

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

// Applies one option piece; false for an unknown option or a bad colour.
// The tests run from top to bottom and the first that fits applies.
bool ApplyOption(Settings& s, std::string_view piece) {
  auto rest = [&](std::string_view name) { return piece.substr(name.size()); };
  if (piece.starts_with("r")) {
    s.ranges = RangeIndex::FromList(rest("r"));
  } else if (piece.starts_with("-range=")) {
    s.ranges = RangeIndex::FromList(rest("-range="));
  } else if (piece.starts_with("s")) {
    s.selection = Selection(rest("s"));
  } else if (piece.starts_with("-seq=")) {
    s.selection = Selection(rest("-seq="));
  } else if (piece.starts_with("-feature=")) {
    s.features = std::string(rest("-feature="));
  } else if (piece.starts_with("-bed=")) {
    s.bed_path = piece.data() + 5;  // the rest of the argument word
  } else if (piece == "c" || piece == "-color") {
    s.background.on = true;
  } else if (piece == "f" || piece == "-fgcolor") {
    s.foreground.on = true;
  } else if (piece.starts_with("C")) {
    return ReadColour(rest("C"), s.background);
  } else if (piece.starts_with("-color=")) {
    return ReadColour(rest("-color="), s.background);
  } else if (piece.starts_with("F")) {
    return ReadColour(rest("F"), s.foreground);
  } else if (piece.starts_with("-fgcolor=")) {
    return ReadColour(rest("-fgcolor="), s.foreground);
  } else {
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
  if (s.filename && GetFilename(args)) return false;
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
// the entry's chrom and strand, the later region on top where they overlap.
// Each chrom's index for each strand is built once, when first needed.
class BedChoice {
 public:
  explicit BedChoice(const BedFile& bed) : bed_(bed) {}

  // Prepares the index for entry e; false when no region applies to it.
  bool Prepare(const Entry& e) {
    std::optional<std::string> name = EntryName(e);
    auto it = name ? bed_.regions.find(*name) : bed_.regions.end();
    if (it == bed_.regions.end()) return false;
    std::string strand;
    bool minus = ReadVar(e, "STRAND", strand) == 0 && strand == "Minus";
    std::optional<RangeIndex>& index = indexes_[&it->second][minus ? 1 : 0];
    if (!index) {
      std::vector<RangeSpan> spans;
      for (const BedRegion& r : it->second) {
        if (r.strand == '.' || r.strand == (minus ? '-' : '+')) spans.push_back({r.lo, r.hi, r.colour});
      }
      index = RangeIndex::Layered(spans);
    }
    cursor_ = RangeCursor(*index);
    return !index->empty();
  }
  // The paint of a position, or -1.
  int Find(int position) { return cursor_.Find(position); }

 private:
  const BedFile& bed_;
  // By chrom (its region list): the plus and the minus strand index.
  std::unordered_map<const std::vector<BedRegion>*, std::array<std::optional<RangeIndex>, 2>> indexes_;
  RangeCursor cursor_;
};

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
      bed_(s.bed),
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
  if (rc != 1) colourer.WarnMissingFeatures();
  return rc == 1 ? 1 : 0;
}

// Reads the --bed file completely; false after its message.
bool LoadBed(Settings& s) {
  if (!s.bed_path) return true;
  Input in;
  if (!OpenInput(in, "tindra", s.bed_path)) return false;
  long long bad = ReadBed(in, s.bed);
  if (bad != 0 && !in.Failed()) std::fprintf(stderr, "tindra: Error in BED file, line %lld\n", bad);
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

int Program(int argc, char** argv) {
  Settings s;
  if (!ReadCommandLine(argc, argv, s)) {
    usage();
    return 1;
  }
  if (s.info != InfoOption::kNone) {
    PrintInfo(s.info, "tindra", kHelp);
    return 0;
  }
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
