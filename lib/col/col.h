// The col module: the column file format and its in-memory model.
//
// A col file is a header (free lines ending with the separator line
// "; ==========..."), then entries. An entry is its entry text (keyed lines
// such as "; TYPE", "; COL n label", "; ENTRY", ending with "; ----------"),
// its body (one line per residue, white-space separated fields, field k being
// column k) and its end marker line "; **********".
//
// Every line is held verbatim, newline included (the last line of a file may
// lack it), and printed back unchanged unless an operation edits that line.
// An emptied line (RmvLine, RmvColno) keeps its place and prints as nothing.
//
// Numbering: body lines and columns (fields) count from 1; column number 0
// means "no such column". Results: 0 success, 1 failure, -1 clean end of input
// or reached end marker; ReadType alone answers 1 for a match.
//
// Messages of the library go to standard error without prefix: "Error in
// header\n", "Error in entry text\n", "Error in entry\n" and
// "Column does not exist %d\n". The library never ends the program. When
// the input itself failed (Input::Failed: an unreadable file, a corrupt
// compressed stream) the readers still answer 1 but leave the message to the
// program, which names the failed read.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "file.h"
#include "output.h"
#include "scan.h"

namespace col {

#define COL_PRINTF(fmt_index, first_arg) __attribute__((format(printf, fmt_index, first_arg)))

// ---------------------------------------------------------------------------
// Marker lines
//
// The header separator, the entry-text separator and the end marker are
// recognised by their first 12 characters; they hold no letters, so case
// does not matter. The writers write the whole lines below.

inline constexpr std::string_view kHeaderSeparator = "; ==========";
inline constexpr std::string_view kTextSeparator = "; ----------";
inline constexpr std::string_view kEndMarker = "; **********";

inline constexpr std::string_view kHeaderSeparatorLine =
    "; ========================================================================\n";
inline constexpr std::string_view kTextSeparatorLine = "; ----------\n";
inline constexpr std::string_view kEndMarkerLine = "; **********\n";

inline bool IsMarker(std::string_view line, std::string_view marker) {
  return line.size() >= marker.size() && line.substr(0, marker.size()) == marker;
}

// ---------------------------------------------------------------------------
// Entry-text line forms
//
// The writers lay out keyed entry-text lines in one form: ";", a blank, the
// key, blanks up to the value column (at least one), the value and a
// newline: "; TYPE              DNA\n", "; ENTRY             name\n",
// "; LENGTH            1234\n". A column declaration is "; COL ", the
// number left-aligned in a field of kColNumberWidth characters, the blanks
// that bring a number that fits to the value column, and the label:
// "; COL 3             seqpos\n"; RmvColno writes its renumbered lines with
// a field of kColRenumberWidth. A number wider than its field moves the
// label right; it is never cut.
//
// The Append forms add to a string without formatting through printf and,
// once the string has room, without allocating.

inline constexpr std::size_t kTextValueColumn = 20;  // characters before a value
inline constexpr int kColNumberWidth = 3;            // "; COL %-3d           %s\n"
inline constexpr int kColRenumberWidth = 5;          // "; COL %-5d         %s\n"

// Appends "; <key>" and the blanks up to the value column.
void AppendTextKey(std::string& out, std::string_view key);
// Appends a whole keyed line: the key as AppendTextKey, the value, "\n".
void AppendTextLine(std::string& out, std::string_view key, std::string_view value);
// Appends a column declaration, the number in a field of `width` (1 to 13)
// characters.
void AppendColLine(std::string& out, int number, std::string_view label, int width = kColNumberWidth);

// The same lines as new strings.
std::string TextLine(std::string_view key, std::string_view value);
std::string ColLine(int number, std::string_view label, int width = kColNumberWidth);

// ---------------------------------------------------------------------------
// Header

struct Header {
  std::vector<std::string> text;  // the lines, the separator line last

  int ntext() const { return static_cast<int>(text.size()); }
};

Header MakeHeader();

// Reads lines up to and including the header separator line, replacing what
// the header held. 1 after "Error in header\n" when the input ends first (the
// header is then empty), else 0.
int ReadHeader(Input& in, Header& h);

// Inserts the formatted text as a new line directly before the separator
// line. The caller supplies the newline. The text has no length limit.
void AddHeaderText(Header& h, const char* format, ...) COL_PRINTF(2, 3);

// Records a run in the history: inserts ";\n" and
// "; '<argv[0]> -<piece> ...' was run on this file\n" before the separator.
// The option pieces come from a scan of its own over argv (the caller's scan
// is not disturbed); a piece longer than 30 characters is written as its
// first 27 characters and "...". The command line is never used as a format.
void AddHeaderInfo(Header& h, int argc, char** argv);

void PrintHeader(Output& out, const Header& h);

// ---------------------------------------------------------------------------
// Entries

struct Entry {
  std::vector<std::string> text;  // entry-text lines, the separator last
  std::vector<std::string> line;  // body lines; line n is line[n - 1]
  std::string end;                // the end marker line

  int ntext() const { return static_cast<int>(text.size()); }
  int length() const { return static_cast<int>(line.size()); }

  // Strings kept from earlier reads so that reading again reuses their
  // storage instead of allocating per line: at most the strings of the entry
  // last read (lines added to it included). Not part of the entry's content.
  std::vector<std::string> spare;
};

struct ColFile {
  Header header;
  std::vector<Entry> entries;  // in file order
};

// An empty entry: no entry text, no body, no end marker line.
Entry MakeEntry();

// A full entry: "; TYPE              <type>\n", "; ENTRY             <name>\n",
// "; ----------\n", n body lines of "\n" each and "; **********\n".
Entry NewEntry(std::string_view type, std::string_view name, int n);

// Makes `dst` a deep copy of `src`.
void CopyEntry(Entry& dst, const Entry& src);

// Reads the next entry, replacing the entry's content. 0 entry read; -1 the
// input ended before the entry's first line (no message); 1 the input ended
// inside the entry text ("Error in entry text\n") or the body
// ("Error in entry\n"). After -1 or 1 the entry is empty.
int ReadEntry(Input& in, Entry& e);

// Inserts the formatted text as a new line directly before the entry-text
// separator line. The caller supplies the newline.
void AddEntryText(Entry& e, const char* format, ...) COL_PRINTF(2, 3);

// Inserts the formatted text directly after the leading declaration block,
// the first lines that begin with ";", optional white space and "TYPE" or
// "COL" (at the very top when the first line is neither).
void AddEntryExt(Entry& e, const char* format, ...) COL_PRINTF(2, 3);

int EntryLength(const Entry& e);

// Entry text, body lines and end marker line, each exactly as held.
void PrintEntry(Output& out, const Entry& e);
// Body line k (1 .. length) alone; nothing for a number out of range.
void PrintEntryLine(Output& out, const Entry& e, int k);
// A copy of body line k, newline included; empty for a number out of range.
std::string CopyEntryLine(const Entry& e, int k);

// A whole file in memory; nothing (after the reader's message) on any error.
std::optional<ColFile> ReadColfile(Input& in);

// Two-phase reading. ReadEntryText reads the entry text (results as
// ReadEntry) and drops the end marker line; the body stays until
// ReadEntryLines replaces it with the next chunk of at most n lines:
// 0 chunk full, -1 end marker reached (then set), 1 "Error in entry\n" with
// the body left empty. With n of 0 or less the body is emptied and 0 returned.
int ReadEntryText(Input& in, Entry& e);
int ReadEntryLines(Input& in, Entry& e, int n);

// ---------------------------------------------------------------------------
// Streaming a body
//
// A program that handles a body line by line without holding it reads the
// entry text with ReadEntryText, then the body lines with ReadBodyLine, the
// loop that ReadEntry and ReadEntryLines run as well:
//
//   std::string line;  // one string serves every line
//   int rc;
//   while ((rc = ReadBodyLine(in, line)) == 0) { ... a body line ... }
//   // -1: `line` holds the end marker line; 1: the entry was cut short
//
// Reads the next line into `line`, replacing what it held (its storage is
// reused, nothing is allocated once it is large enough): 0 a body line; -1
// the end marker line; 1 the input ended first, after "Error in entry\n"
// unless the input itself failed (Input::Failed), `line` left empty.
inline int ReadBodyLine(Input& in, std::string& line);

// The same loop with the line's work handed in, for the tightest loops:
// body(line) for every body line, then -1 with the end marker line in `line`,
// or 1 when the input ended first (reported as ReadBodyLine does). Compiled
// into the caller, whose loop stays as tight as one written by hand.
template <class Body>
inline int ForEachBodyLine(Input& in, std::string& line, Body&& body);

// The end of input inside a body: "Error in entry\n" on standard error
// unless the input itself failed; 1, ReadBodyLine's answer.
int BodyCutShort(const Input& in);

template <class Body>
inline int ForEachBodyLine(Input& in, std::string& line, Body&& body) {
  while (GetLine(in, line)) {
    if (IsMarker(line, kEndMarker)) return -1;
    body(line);
  }
  return BodyCutShort(in);
}

// Inline: this runs once for every line of every body.
inline int ReadBodyLine(Input& in, std::string& line) {
  if (!GetLine(in, line)) [[unlikely]]
    return BodyCutShort(in);
  if (IsMarker(line, kEndMarker)) [[unlikely]]
    return -1;
  return 0;
}

void PrintEntryText(Output& out, const Entry& e);
void PrintEntryLines(Output& out, const Entry& e);
void PrintEntryEnd(Output& out, const Entry& e);

// The entry text as TeX paragraphs: each line without its leading ";" and the
// white space after it, written as "\noindent <rest>\n". A line of the form
// ";  %% word" stops the output.
void PrintEntryText_tex(Output& out, const Entry& e);

// ---------------------------------------------------------------------------
// Entry-text queries and edits
//
// Column declarations are lines "; COL <number> <label>" (";COL 3seqpos" too);
// labels compare case-blind and the first matching line wins.

// The column of `label`, 0 when undeclared. An entry without any column
// declaration answers from the default layout: label 1, nucleotide and
// aminoacid 2, alignpos 3, seqpos 4, align_bp 5.
int ReadColno(const Entry& e, std::string_view label);
// The same without the default layout.
int ReadColnoND(const Entry& e, std::string_view label);
// 0 and the label of column `colno` in `label`; 1 (label unchanged) if none.
int ReadCollabel(const Entry& e, int colno, std::string& label);
// Rewrites the first "; COL <colno>" line (a label need not follow) as
// "; COL %-3d           %s\n". 0 changed, 1 no such line.
int ChgCollabel(Entry& e, int colno, std::string_view label);
// Empties the declaration of `label` in place and renumbers every later
// column m as m - 1 ("; COL %-5d         %s\n"). The removed number, or 0.
// Body lines are not touched (RmvCol does that).
int RmvColno(Entry& e, std::string_view label);

// Keyed lines: a line "; KEY value" matches `key` when the text after ";" and
// its white space begins with `key` (case-blind prefix test).
//
// 0 and the value (from the first character after the key and the white space
// that follows, up to the newline, at most capacity - 1 characters) in
// `value`; 1 (value unchanged) when no line matches.
int ReadText(const Entry& e, std::string_view key, std::size_t capacity, std::string& value);
// Word match: the line's first word after ";" must equal `key` as a whole;
// 0 and the next word in `value`, 1 when no line matches.
int ReadVar(const Entry& e, std::string_view key, std::string& value);
// 1 when the TYPE value equals `type` case-blind, else 0.
int ReadType(const Entry& e, std::string_view type);
// Replaces the value of the first line matching `key` (as ReadText) by
// `value` and a newline, keeping the key and spacing as written. 0 changed,
// 1 no such line. On a line with nothing after its key the value goes on that
// line, after one blank when nothing separates it from the key.
int ChgEntryText(Entry& e, std::string_view key, std::string_view value);

// ---------------------------------------------------------------------------
// Field operations
//
// A field is a maximal run of characters other than blank, tab, newline,
// vertical tab, form feed and carriage return. A field's span is the white
// space before it and its characters. Field numbers of 0 or less address
// field 1. Line numbers outside 1 .. length act as a line without fields.

// One scanning step over `line` from `pos`: skips white space, takes the next
// field. False when there is none (`pos` then moves past the white space it
// skipped, to the end of the line, and `field` is untouched); else `field` is
// set and `pos` moves past it. Lets a caller walk all fields of a long line in
// one pass, however often it asks again after the last field.
bool NextField(std::string_view line, std::size_t& pos, std::string_view& field);
// The number of fields of a text.
int CountField(std::string_view line);
// An integer read from the start of a text like atoi (optional sign, digits;
// other text reads 0), saturated at the limits of int.
int ParseInt(std::string_view text);

// Case-blind comparison of line `n` of a and b (StrCmp).
int CmpLine(const Entry& a, const Entry& b, int n);
// Empties line n in place; the length does not change.
void RmvLine(Entry& e, int n);
// The line's own text (no copy), valid until the line is next changed or
// the entry is read again.
std::string_view LineAddress(const Entry& e, int n);
int CountField(const Entry& e, int n);

// 0 and the field's characters; 1 after "Column does not exist %d\n" when the
// line has fewer fields (out untouched). The view points into the line.
int GetField(std::string_view& out, const Entry& e, int n, int field);
int GetField(std::string& out, const Entry& e, int n, int field);

// Appends the text as a new last field: the line's newline becomes a blank,
// then the text and a newline. A line that ends in CR LF gets the field
// before its CR and keeps its CR LF end. The line's field count afterwards.
int AddField(Entry& e, int n, const char* format, ...) COL_PRINTF(3, 4);
int AddFieldText(Entry& e, int n, std::string_view text);

// Replaces a field keeping the row aligned: with w = max(text length + 1,
// span length), the span becomes w characters: one blank, then the text
// right-aligned in w - 1. Shorter text keeps the field's right edge; longer
// text pushes the rest of the line right; the line's end (CR LF or LF) is
// not part of any span and stays as it is. 0 changed; 1 after
// "Column does not exist %d\n" when the line has fewer fields (unchanged).
// ChgFieldText edits in place without allocating when the text fits.
int ChgField(Entry& e, int n, int field, const char* format, ...) COL_PRINTF(4, 5);
int ChgFieldText(Entry& e, int n, int field, std::string_view text);

// Deletes the field's span. 0 removed; 1 silently when the line lacks it.
int RmvField(Entry& e, int n, int field);

// The column of `label` (ReadColnoND); when undeclared, appends `text` as a
// new last field of every body line, declares the column
// "; COL %-3d           %s\n" with AddEntryExt and returns its number, the
// field count of line 1 (0 when the entry has no body lines).
int EnsureCol(Entry& e, std::string_view label, const char* text);
// The per-line step of EnsureCol: AddField of `text`.
int EnsureColAddField(Entry& e, int n, const char* text);

// Removes the declaration of `label` (RmvColno) and that field of every body
// line. The column's number, or 0 when undeclared (nothing changes).
int RmvCol(Entry& e, std::string_view label);

// 1 when 1 <= n <= length, else 0.
int InSeq(const Entry& e, int n);

// Calls op(e, n, arg) for n = 1, 2, ... while n <= length (read before every
// call); results are ignored.
template <class Arg>
void EntryMap(Entry& e, int (*op)(Entry&, int, Arg), Arg arg) {
  for (int n = 1; n <= EntryLength(e); ++n) op(e, n, arg);
}

// ---------------------------------------------------------------------------
// Base-pair lookup
//
// A pair column holds on every line the position of the line's partner in
// the numbering of a position column, "." where there is none. Column 0 means
// "not given". Couple 1 (pair1, pos1) is used when pair1 is not 0, else
// couple 2.

// The line whose position equals the partner position recorded on line n, or
// 0. The non-empty positions must be strictly increasing or decreasing.
int FindPair(const Entry& e, int n, int pair1, int pos1, int pair2, int pos2);
// From *line forward (backward) to the first line with a non-empty position:
// *line is left there and its position returned. None: *line ends at
// length + 1 (at 0) and the result is 0.
int FindPairNextLine(const Entry& e, int* line, int poscol);
int FindPairPrevLine(const Entry& e, int* line, int poscol);
// Writes into the pair fields of line n the partner's position fields, or
// "." into each given pair column when partner is 0.
void SetPair(Entry& e, int n, int partner, int pair1, int pos1, int pair2, int pos2);

}  // namespace col
