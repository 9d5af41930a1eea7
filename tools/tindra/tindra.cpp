#include "tindra.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "file.h"
#include "output.h"
#include "tool.h"

namespace {

// ---------------------------------------------------------------------------
// Range and selection items

bool IsScanSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

struct Number {
  bool found = false;  // digits were there
  bool fits = false;   // and they make an int
  int value = 0;
};

// Reads "%d" at `i` as scanf would: white space, an optional sign, digits.
// `i` moves past the number when one is found. Numbers beyond an int are
// found but do not fit; they are never wrapped around.
Number ScanInt(std::string_view text, std::size_t& i) {
  std::size_t j = i;
  while (j < text.size() && IsScanSpace(text[j])) ++j;
  bool negative = false;
  if (j < text.size() && (text[j] == '+' || text[j] == '-')) negative = text[j++] == '-';
  std::size_t digits = j;
  long long v = 0;
  for (; j < text.size() && IsDigit(text[j]); ++j) {
    if (v <= INT_MAX + 1LL) v = v * 10 + (text[j] - '0');  // stops growing once too large
  }
  if (j == digits) return {};
  i = j;
  if (negative) v = -v;
  if (v < INT_MIN || v > INT_MAX) return {true, false, 0};
  return {true, true, static_cast<int>(v)};
}

// One item of a range or selection text: " %d - %d" gives lo and hi,
// " %d" gives lo = hi; anything else is a name. Characters after the numbers
// are ignored.
struct Item {
  bool numeric = false;
  bool fits = false;  // a numeric item with a number beyond an int covers nothing
  int lo = 0;
  int hi = 0;
  std::string_view name;

  bool Covers(int v) const { return numeric && fits && lo <= v && v <= hi; }
};

Item ScanItem(std::string_view text) {
  Item item;
  std::size_t i = 0;
  Number lo = ScanInt(text, i);
  if (!lo.found) {
    item.name = text;
    return item;
  }
  item.numeric = true;
  item.fits = lo.fits;
  item.lo = item.hi = lo.value;
  while (i < text.size() && IsScanSpace(text[i])) ++i;
  if (i < text.size() && text[i] == '-') {
    ++i;
    Number hi = ScanInt(text, i);
    if (hi.found) {
      item.fits = lo.fits && hi.fits;
      item.hi = hi.value;
    }
  }
  return item;
}

// The items of a text, separated by "," or newline.
std::vector<Item> ParseItems(std::string_view text) {
  std::vector<Item> items;
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t end = text.find_first_of(",\n", i);
    if (end == std::string_view::npos) end = text.size();
    items.push_back(ScanItem(text.substr(i, end - i)));
    i = end < text.size() ? end + 1 : end;
  }
  return items;
}

bool Covers(const std::vector<Item>& items, int v) {
  for (const Item& item : items) {
    if (item.Covers(v)) return true;
  }
  return false;
}

bool Selects(const std::vector<Item>& items, const Entry& e, int entryno) {
  std::string name;
  bool named = ReadText(e, "ENTRY", 1000, name) == 0;
  for (const Item& item : items) {
    if (item.numeric ? item.Covers(entryno) : named && item.name == name) return true;
  }
  return false;
}

// A position field read as an integer: an optional sign and digits. Text
// that does not start with a number (the gap mark ".") and numbers beyond an
// int read as 0.
int ReadPosition(std::string_view field) {
  std::size_t i = 0;
  Number n = ScanInt(field, i);
  return n.fits ? n.value : 0;
}

// ---------------------------------------------------------------------------
// Command line

struct Colour {
  bool on = false;
  double rgb[3] = {1.0, 0.0, 0.0};
};

struct Settings {
  std::optional<std::vector<Item>> ranges;     // absent: every position
  std::optional<std::vector<Item>> selection;  // absent: every entry
  Colour background;
  Colour foreground;
  const char* filename = nullptr;
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
bool apply_option(Settings& s, std::string_view piece) {
  auto rest = [&](std::string_view name) { return piece.substr(name.size()); };
  if (piece.starts_with("r")) {
    s.ranges = ParseItems(rest("r"));
  } else if (piece.starts_with("-range=")) {
    s.ranges = ParseItems(rest("-range="));
  } else if (piece.starts_with("s")) {
    s.selection = ParseItems(rest("s"));
  } else if (piece.starts_with("-seq=")) {
    s.selection = ParseItems(rest("-seq="));
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

// False after a bad command line (the caller prints the usage text).
bool read_command_line(int argc, char** argv, Settings& s) {
  Args args = InitArgument(argc, argv);
  while (auto piece = GetArgument(args)) {
    if (!apply_option(s, *piece)) return false;
  }
  s.filename = GetFilename(args);
  if (s.filename && GetFilename(args)) return false;
  if (!s.background.on && !s.foreground.on) s.background.on = true;
  return true;
}

// ---------------------------------------------------------------------------
// Colouring

// One colour column: its label, the text a new column is filled with, and
// the value chosen lines get, formatted once per run.
struct ColourColumn {
  const char* label;
  const char* fill;
  std::string value;
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
  for (int k = 0; k < 3 && s.background.on; ++k) {
    columns.push_back({kBackground[k], "1.000", FormatComponent(s.background.rgb[k])});
  }
  for (int k = 0; k < 3 && s.foreground.on; ++k) {
    columns.push_back({kForeground[k], "0.000", FormatComponent(s.foreground.rgb[k])});
  }
  return columns;
}

// The output of one entry. It is held until the entry has been read to its
// end marker, so that an entry cut short by the end of input is not written.
// An entry whose output outgrows the holding room is streamed from there on:
// memory stays bounded however long the entry is.
class EntryOutput {
 public:
  explicit EntryOutput(Output& out) : out_(out) { held_.reserve(kHoldLimit); }

  void Add(std::string_view text) {
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

// A body ends at the first line whose first 12 characters are these.
constexpr std::string_view kEndMarker = "; **********";

bool IsEndMarker(std::string_view line) { return line.substr(0, kEndMarker.size()) == kEndMarker; }

// 1 for the six white-space characters, else 0; branch-free so that the
// field count below runs over whole vectors of characters.
inline unsigned char WhiteBit(unsigned char c) {
  return (c == ' ') | (static_cast<unsigned char>(c - '\t') < 5);
}

// The number of fields of a text: the non-white characters that follow a
// white one or start the text. Counted in blocks small enough for byte-wide
// sums, which vectorise best.
int CountFields(std::string_view text) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text.data());
  std::size_t n = text.size();
  if (n == 0) return 0;
  std::size_t count = WhiteBit(p[0]) ^ 1;
  for (std::size_t i = 1; i < n;) {
    std::size_t stop = std::min(n, i + 255);
    unsigned char block = 0;
    for (; i < stop; ++i) block += WhiteBit(p[i - 1]) & (WhiteBit(p[i]) ^ 1);
    count += block;
  }
  return count > INT_MAX ? INT_MAX : static_cast<int>(count);
}

// Field k (1 or more) of a text that has at least k fields.
std::string_view FieldAt(std::string_view text, int k) {
  std::size_t pos = 0;
  std::string_view field;
  while (k-- > 0) NextField(text, pos, field);
  return field;
}

// A line number as a position; an entry streams through line by line, so
// it may have more lines than an int counts.
int LineNumber(long long n) { return static_cast<int>(std::min<long long>(n, INT_MAX)); }

// Field numbers of 0 or less address field 1.
int FieldIndex(int column) { return column < 1 ? 1 : column; }

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

// Colours entries as they stream through. Line 1 of a chosen entry is read
// into the entry itself, so that EnsureCol numbers the new columns by it; the
// other body lines pass one at a time through a one-line scratch entry.
class Colourer {
 public:
  explicit Colourer(const Settings& s) : settings_(s), columns_(ColourColumns(s)), spans_(columns_.size()) {
    scratch_.line.resize(1);
  }

  // Reads the next entry into `out`, coloured when it is chosen: 0 entry
  // read, -1 end of input, 1 error.
  int ReadEntry(Input& in, Entry& e, int entryno, EntryOutput& out);

 private:
  int CopyEntry(Input& in, Entry& e, EntryOutput& out);
  int ColourEntry(Input& in, Entry& e, EntryOutput& out);
  void EnsureColumns(Entry& e);
  int Position(Entry& e, int n, int lineno);
  void ColourLine(Entry& e, int n, int lineno);
  void ColourNewLine(int lineno, EntryOutput& out);
  bool ColourPlainLine(std::string_view line, int lineno, EntryOutput& out);

  const Settings& settings_;
  std::vector<ColourColumn> columns_;
  Entry scratch_ = MakeEntry();
  // Per entry: the position column and the colour columns' numbers.
  int position_column_ = 0;
  std::vector<int> numbers_;
  // Per entry: the text that appends the newly created columns to the lines
  // after line 1. When every colour column is new, such a line with as many
  // fields as line 1 had is written as it is and one of two endings.
  std::string new_fields_;
  bool all_new_ = false;
  int base_fields_ = 0;
  std::string plain_ending_;
  std::string chosen_ending_;
  // Per line: the colour fields.
  std::vector<FieldSpan> spans_;
};

int Colourer::ReadEntry(Input& in, Entry& e, int entryno, EntryOutput& out) {
  int rc = ReadEntryText(in, e);
  if (rc != 0) return rc;
  bool chosen = !settings_.selection || Selects(*settings_.selection, e, entryno);
  rc = chosen ? ColourEntry(in, e, out) : CopyEntry(in, e, out);
  if (rc == 0) {
    out.Finish();
  } else {
    out.Discard();
  }
  return rc;
}

// The input ended inside a body: the entry reader, asked for more, reports
// the entry cut short and answers 1.
int EntryCutShort(Input& in, Entry& e) { return ReadEntryLines(in, e, 1); }

int Colourer::CopyEntry(Input& in, Entry& e, EntryOutput& out) {
  out.Add(e.text);
  std::string& line = scratch_.line[0];
  while (GetLine(in, line)) {
    out.Add(line);
    if (IsEndMarker(line)) return 0;
  }
  return EntryCutShort(in, e);
}

int Colourer::ColourEntry(Input& in, Entry& e, EntryOutput& out) {
  // The position column is looked up before any colour column exists.
  position_column_ = ReadColno(e, "alignpos");
  if (position_column_ == 0) position_column_ = ReadColno(e, "seqpos");
  int rc = ReadEntryLines(in, e, 1);
  if (rc == 1) return 1;
  EnsureColumns(e);
  out.Add(e.text);
  if (rc == -1) {  // no body lines
    out.Add(e.end);
    return 0;
  }
  ColourLine(e, 1, 1);
  out.Add(e.line[0]);
  for (long long n = 2; GetLine(in, scratch_.line[0]); ++n) {
    if (IsEndMarker(scratch_.line[0])) {
      out.Add(scratch_.line[0]);
      return 0;
    }
    ColourNewLine(LineNumber(n), out);
  }
  return EntryCutShort(in, e);
}

void Colourer::EnsureColumns(Entry& e) {
  base_fields_ = e.length() > 0 ? CountField(e, 1) : 0;
  numbers_.clear();
  new_fields_.clear();
  plain_ending_.clear();
  chosen_ending_.clear();
  all_new_ = true;
  for (const ColourColumn& column : columns_) {
    bool created = ReadColnoND(e, column.label) == 0;
    numbers_.push_back(EnsureCol(e, column.label, column.fill));
    all_new_ = all_new_ && created;
    if (created) {
      if (!new_fields_.empty()) new_fields_ += ' ';
      new_fields_ += column.fill;
    }
    // A new field " 1.000" changed by ChgField: the value right-aligned in
    // five characters, or in as many as it needs.
    plain_ending_ += ' ';
    plain_ending_ += column.fill;
    chosen_ending_ += ' ';
    std::size_t width = std::string_view(column.fill).size();
    if (column.value.size() < width) chosen_ending_.append(width - column.value.size(), ' ');
    chosen_ending_ += column.value;
  }
  plain_ending_ += '\n';
  chosen_ending_ += '\n';
}

// The position of line n of e, which is line `lineno` of the body. A line
// without its position field is reported and has position 0.
int Colourer::Position(Entry& e, int n, int lineno) {
  if (position_column_ == 0) return lineno;
  std::string_view field;
  return GetField(field, e, n, position_column_) == 0 ? ReadPosition(field) : 0;
}

// Colours line n of e when it is chosen. Values that fit their
// fields are written in place, as ChgField would; whatever needs more (a
// missing field, a value wider than its field) is left to ChgField.
void Colourer::ColourLine(Entry& e, int n, int lineno) {
  int position = Position(e, n, lineno);
  if (settings_.ranges && !Covers(*settings_.ranges, position)) return;

  std::string& line = e.line[n - 1];
  int last = 0;
  for (std::size_t c = 0; c < spans_.size(); ++c) {
    spans_[c].found = false;
    last = std::max(last, FieldIndex(numbers_[c]));
  }
  std::size_t pos = 0;
  std::string_view field;
  for (int k = 1; k <= last; ++k) {
    std::size_t begin = pos;
    if (!NextField(line, pos, field)) break;
    for (std::size_t c = 0; c < spans_.size(); ++c) {
      if (FieldIndex(numbers_[c]) == k) spans_[c] = {begin, pos, true};
    }
  }

  bool shifted = false;  // a widened field moved the fields after it
  for (std::size_t c = 0; c < columns_.size(); ++c) {
    const std::string& value = columns_[c].value;
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
  if (!new_fields_.empty()) AppendFields(line, new_fields_);
  ColourLine(scratch_, 1, lineno);
  out.Add(line);
}

// The common case, without editing the line: every colour column is new and
// the line has as many fields as line 1 had, so the colour fields are the
// ones that would be appended, and the position field is one of its own.
// False, with nothing written, when that does not hold.
bool Colourer::ColourPlainLine(std::string_view line, int lineno, EntryOutput& out) {
  if (line.empty() || line.back() != '\n') return false;
  std::string_view text = line.substr(0, line.size() - 1);
  if (CountFields(text) != base_fields_) return false;
  int position = lineno;
  if (position_column_ != 0) {
    int k = FieldIndex(position_column_);
    if (k > base_fields_) return false;
    if (settings_.ranges) position = ReadPosition(FieldAt(text, k));
  }
  bool chosen = !settings_.ranges || Covers(*settings_.ranges, position);
  out.Add(text);
  out.Add(chosen ? chosen_ending_ : plain_ending_);
  return true;
}

int colour_file(const Settings& s, int argc, char** argv, Input& in, Output& out) {
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
  return rc == 1 ? 1 : 0;
}

int run(int argc, char** argv) {
  Settings s;
  if (!read_command_line(argc, argv, s)) {
    usage();
    return 1;
  }
  Input in;
  if (!OpenInput(in, "tindra", s.filename)) return 1;
  return FinishInput(in, "tindra", colour_file(s, argc, argv, in, StdOut()));
}

}  // namespace

int tindra_run(int argc, char** argv, Input& in, Output& out) {
  Settings s;
  if (!read_command_line(argc, argv, s)) return 1;
  return colour_file(s, argc, argv, in, out);
}

int inrange(int position, std::string_view ranges) { return Covers(ParseItems(ranges), position) ? 1 : 0; }

int inseqrange(const Entry& e, int entryno, std::string_view selection) {
  return Selects(ParseItems(selection), e, entryno) ? 1 : 0;
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

int tindra_main(int argc, char** argv) { return RunTool("tindra", run, argc, argv); }
