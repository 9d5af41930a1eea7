// The column reader behind the Python module: col text read line by line
// into typed columns, one entry at a time, without holding the body lines.
//
// A column is read as integers while every field is an optional sign and
// digits (or "." for a missing value); at its first other field it turns into
// fixed-width bytes, each earlier field written back exactly as it was read.
// Colour columns (color_r ... color2_b) are read as bytes and become numbers
// at the entry's end when every field reads as one. Column blocks grow with
// realloc, which remaps large blocks instead of copying them, so the memory a
// body needs stays close to the size of the arrays it fills.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "col.h"

namespace colfile {

// Memory from malloc, grown by realloc and handed over whole (Release) to
// the array that owns it afterwards.
class Block {
 public:
  Block() = default;
  ~Block();
  Block(Block&& other) noexcept;
  Block& operator=(Block&& other) noexcept;
  Block(const Block&) = delete;
  Block& operator=(const Block&) = delete;

  char* data() const { return data_; }
  std::size_t size() const { return size_; }
  // Room for `bytes`, content kept; throws std::bad_alloc.
  void Resize(std::size_t bytes);
  // Room for `count` items of `each` bytes; std::bad_alloc also when the
  // product does not fit in a size_t.
  void Resize(std::size_t count, std::size_t each);
  // The pointer, now the caller's to free(); the block is empty afterwards.
  char* Release();

 private:
  char* data_ = nullptr;
  std::size_t size_ = 0;
};

enum class Kind { kInt, kFloat, kBytes };

struct Column {
  Kind kind = Kind::kInt;
  bool colour = false;     // a colour label: becomes float at the end if it can
  std::size_t width = 0;   // kBytes: bytes per value in `values`
  std::size_t widest = 0;  // kBytes: the longest field so far
  Block values;            // int64, double or `width` bytes per row
  Block mask;              // one byte per row, 1 = missing; empty when none is
  // Integer fields whose digits do not come back from their value ("007",
  // "+5", "-0"), kept to write them back if the column turns into bytes.
  std::vector<std::pair<std::size_t, std::string>> verbatim;
};

struct ReadEntry {
  std::vector<std::string> text;  // entry-text lines, separator last, as read
  std::string end;                // the end marker line
  long long first_line = 0;       // line number of its first entry-text line
  std::size_t length = 0;         // body lines
  std::vector<Column> columns;
};

// A failure, with the line it refers to (counted from 1).
struct ReadFailure {
  std::string message;
  long long line = 0;
};

// Where lines come from: the suite's Input (files, standard input,
// compressed) or, in the module, a Python file object.
class LineSource {
 public:
  virtual ~LineSource() = default;
  // The next line, newline included; false at the end of input.
  virtual bool Next(std::string& line) = 0;
  // True when the input ended because it could not be read.
  virtual bool Failed() const = 0;
};

class InputSource : public LineSource {
 public:
  explicit InputSource(col::Input& in) : in_(in) {}
  bool Next(std::string& line) override { return col::GetLine(in_, line); }
  bool Failed() const override { return in_.Failed(); }

 private:
  col::Input& in_;
};

class ColumnReader {
 public:
  explicit ColumnReader(LineSource& source) : source_(source) {}

  // The header lines, separator last. Throws ReadFailure.
  std::vector<std::string> ReadHeader();
  // The next entry into `e`: false at the clean end of input. Throws
  // ReadFailure; `e` is then unspecified.
  bool Read(ReadEntry& e);
  long long line_number() const { return line_; }

 private:
  bool NextLine();
  [[noreturn]] void FailAtEnd(const char* message, long long line);
  void ReadBody(ReadEntry& e);
  void StartColumns(ReadEntry& e, std::size_t count);
  void AddRow(ReadEntry& e, std::size_t row);
  [[noreturn]] void FieldCountDiffers(std::size_t found, std::size_t count) const;
  void Grow(ReadEntry& e);

  LineSource& source_;
  std::string line_text_;
  long long line_ = 0;
  std::size_t capacity_ = 0;  // rows the column blocks have room for
  std::vector<col::Span> fields_;
};

// Finishes a column of `rows` values: exact sizes, colour columns as numbers.
void FinishColumn(Column& c, std::size_t rows);

// The label of column k (1 or more) as the entry text declares it, or
// "col<k>" when it declares none.
std::string ColumnLabel(const col::Entry& e, int k);
bool IsColourLabel(std::string_view label);

// An entry with these entry-text lines (the separator included), for the
// library's look-ups.
col::Entry TextEntry(const std::vector<std::string>& text);

}  // namespace colfile
