// The column reader: see columns.h.
#include "columns.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#include "output.h"
#include "scan.h"

namespace colfile {

Block::~Block() { std::free(data_); }

Block::Block(Block&& other) noexcept : data_(other.data_), size_(other.size_) {
  other.data_ = nullptr;
  other.size_ = 0;
}

Block& Block::operator=(Block&& other) noexcept {
  std::swap(data_, other.data_);
  std::swap(size_, other.size_);
  return *this;
}

void Block::Resize(std::size_t count, std::size_t each) {
  if (each != 0 && count > SIZE_MAX / each) throw std::bad_alloc();  // more than memory can hold
  Resize(count * each);
}

void Block::Resize(std::size_t bytes) {
  void* grown = std::realloc(data_, bytes ? bytes : 1);
  if (!grown) throw std::bad_alloc();
  data_ = static_cast<char*>(grown);
  size_ = bytes;
}

char* Block::Release() {
  char* data = data_;
  data_ = nullptr;
  size_ = 0;
  return data;
}

namespace {

// Column blocks start small: a bytes column's rows may each be wide.
constexpr std::size_t kFirstRows = 8;
constexpr std::size_t kDoublingWidth = 64;

bool IsMissing(std::string_view field) { return field.size() == 1 && field[0] == '.'; }

// An optional sign and decimal digits that make an int64. `exact` tells
// whether the value, written back, gives the same text.
bool ReadInteger(std::string_view field, long long& value, bool& exact) {
  bool negative = field[0] == '-';
  std::string_view digits = field.substr(negative || field[0] == '+' ? 1 : 0);
  if (digits.empty()) return false;
  if (digits.size() <= 18) {  // cannot overflow: the common case, inline
    long long v = 0;
    for (char ch : digits) {
      unsigned digit = static_cast<unsigned char>(ch) - unsigned{'0'};
      if (digit > 9) return false;
      v = v * 10 + digit;
    }
    value = v;
  } else if (!col::ReadDecimal(digits, LLONG_MAX, value)) {
    return false;
  }
  if (negative) value = -value;
  exact = field[0] != '+' && (digits[0] != '0' || digits.size() == 1) && !(negative && value == 0);
  return true;
}

std::int64_t* Ints(Column& c) { return reinterpret_cast<std::int64_t*>(c.values.data()); }

void MarkMissing(Column& c, std::size_t row, std::size_t capacity) {
  if (!c.mask.data()) {
    c.mask.Resize(capacity);
    std::memset(c.mask.data(), 0, row);
  }
  c.mask.data()[row] = 1;
}

void MarkPresent(Column& c, std::size_t row) {
  if (c.mask.data()) c.mask.data()[row] = 0;
}

bool Missing(const Column& c, std::size_t row) { return c.mask.data() && c.mask.data()[row]; }

// Sets the stride of a bytes column to `width`, moving the rows.
void Restride(Column& c, std::size_t rows, std::size_t capacity, std::size_t width) {
  if (width > c.width) c.values.Resize(capacity, width);
  char* base = c.values.data();
  if (width > c.width) {
    for (std::size_t r = rows; r-- > 0;) {
      std::memmove(base + r * width, base + r * c.width, c.width);
      std::memset(base + r * width + c.width, 0, width - c.width);
    }
  } else {
    for (std::size_t r = 0; r < rows; ++r) std::memmove(base + r * width, base + r * c.width, width);
  }
  c.width = width;
}

void PutBytes(Column& c, std::size_t row, std::string_view field, std::size_t rows, std::size_t capacity) {
  // Narrow columns widen by doubling; a wide field gets its own width only,
  // since every row of the column takes that much room.
  if (field.size() > c.width)
    Restride(c, rows, capacity, field.size() > kDoublingWidth ? field.size() : std::max(field.size(), 2 * c.width));
  char* at = c.values.data() + row * c.width;
  std::memcpy(at, field.data(), field.size());
  std::memset(at + field.size(), 0, c.width - field.size());
  c.widest = std::max(c.widest, field.size());
}

// The text an integer row was read from.
std::string_view IntText(const Column& c, std::size_t row, char* buffer, std::size_t& next_verbatim) {
  if (Missing(c, row)) return ".";
  if (next_verbatim < c.verbatim.size() && c.verbatim[next_verbatim].first == row)
    return c.verbatim[next_verbatim++].second;
  const std::int64_t* ints = reinterpret_cast<const std::int64_t*>(c.values.data());
  return {buffer, static_cast<std::size_t>(col::FormatInt(buffer, ints[row], 0) - buffer)};
}

// Turns an integer column of `rows` values into bytes, each value written
// back as it was read.
void IntsToBytes(Column& c, std::size_t rows, std::size_t capacity) {
  char buffer[32];
  std::size_t width = 1, k = 0;
  for (std::size_t r = 0; r < rows; ++r) width = std::max(width, IntText(c, r, buffer, k).size());
  Column bytes;
  bytes.kind = Kind::kBytes;
  bytes.colour = c.colour;
  bytes.width = width;
  bytes.values.Resize(capacity, width);
  k = 0;
  for (std::size_t r = 0; r < rows; ++r) PutBytes(bytes, r, IntText(c, r, buffer, k), rows, capacity);
  c = std::move(bytes);
}

inline void PutField(Column& c, std::size_t row, std::string_view field, std::size_t capacity) {
  if (c.kind == Kind::kBytes && c.width == 1 && field.size() == 1) {  // one-letter columns, the common case
    c.values.data()[row] = field[0];
    c.widest = 1;
    return;
  }
  if (c.kind == Kind::kInt) {
    long long value = 0;
    bool exact = true;
    if (IsMissing(field)) {
      MarkMissing(c, row, capacity);
      Ints(c)[row] = 0;
      return;
    }
    if (ReadInteger(field, value, exact)) {
      MarkPresent(c, row);
      Ints(c)[row] = value;
      if (!exact) c.verbatim.emplace_back(row, field);
      return;
    }
    IntsToBytes(c, row, capacity);
  }
  PutBytes(c, row, field, row, capacity);
}

// A bytes column whose every field is "." or a number, as float64 with "."
// missing; false (column unchanged) when a field is something else.
bool BytesToFloats(Column& c, std::size_t rows) {
  Block values, mask;
  values.Resize(rows * sizeof(double));
  double* out = reinterpret_cast<double*>(values.data());
  for (std::size_t r = 0; r < rows; ++r) {
    const char* at = c.values.data() + r * c.width;
    std::size_t size = strnlen(at, c.width);
    if (IsMissing({at, size})) {
      if (!mask.data()) {
        mask.Resize(rows);
        std::memset(mask.data(), 0, rows);
      }
      mask.data()[r] = 1;
      out[r] = NAN;
      continue;
    }
    auto [end, ec] = std::from_chars(at, at + size, out[r]);
    if (ec != std::errc() || end != at + size) return false;
  }
  c.kind = Kind::kFloat;
  c.values = std::move(values);
  c.mask = std::move(mask);
  return true;
}

void Trim(Block& b, std::size_t bytes) {
  if (b.data() && b.size() != bytes) b.Resize(bytes);
}

}  // namespace

void FinishColumn(Column& c, std::size_t rows) {
  if (c.kind == Kind::kBytes) {
    std::size_t width = std::max<std::size_t>(c.widest, 1);
    if (width != c.width) Restride(c, rows, rows, width);
    Trim(c.values, rows * width);
    if (c.colour) BytesToFloats(c, rows);
    return;
  }
  Trim(c.values, rows * sizeof(std::int64_t));
  Trim(c.mask, rows);
  c.verbatim.clear();
  c.verbatim.shrink_to_fit();
}

bool IsColourLabel(std::string_view label) {
  for (const char* colour : {"color_r", "color_g", "color_b", "color2_r", "color2_g", "color2_b"})
    if (col::StrCmp(label, colour) == 0) return true;
  return false;
}

std::string ColumnLabel(const col::Entry& e, int k) {
  std::string label;
  if (col::ReadCollabel(e, k, label) == 0) return label;
  return "col" + std::to_string(k);
}

col::Entry TextEntry(const std::vector<std::string>& text) {
  col::Entry e = col::MakeEntry();
  e.text = text;
  return e;
}

bool ColumnReader::NextLine() {
  if (!source_.Next(line_text_)) return false;
  ++line_;
  return true;
}

void ColumnReader::FailAtEnd(const char* message, long long line) {
  if (source_.Failed()) throw ReadFailure{"Error in reading file", line_};
  throw ReadFailure{message, line};
}

std::vector<std::string> ColumnReader::ReadHeader() {
  std::vector<std::string> lines;
  while (NextLine()) {
    lines.push_back(line_text_);
    if (col::IsMarker(line_text_, col::kHeaderSeparator)) return lines;
  }
  FailAtEnd("Error in header", line_);
}

bool ColumnReader::Read(ReadEntry& e) {
  e.text.clear();
  e.columns.clear();
  e.length = 0;
  e.first_line = line_ + 1;
  while (NextLine()) {
    e.text.push_back(line_text_);
    if (col::IsMarker(line_text_, col::kTextSeparator)) {
      ReadBody(e);
      return true;
    }
  }
  if (e.text.empty() && !source_.Failed()) return false;
  FailAtEnd("Error in entry text", line_);
}

void ColumnReader::StartColumns(ReadEntry& e, std::size_t count) {
  col::Entry text = TextEntry(e.text);
  e.columns.resize(count);
  for (std::size_t k = 0; k < count; ++k) {
    Column& c = e.columns[k];
    c.colour = IsColourLabel(ColumnLabel(text, static_cast<int>(k + 1)));
    if (c.colour) c.kind = Kind::kBytes;
  }
  fields_.resize(count + 1);
  capacity_ = 0;
}

void ColumnReader::Grow(ReadEntry& e) {
  capacity_ = std::max(kFirstRows, 2 * capacity_);
  for (Column& c : e.columns) {
    std::size_t each = c.kind == Kind::kBytes ? c.width : sizeof(std::int64_t);
    c.values.Resize(capacity_, each);
    if (c.mask.data()) c.mask.Resize(capacity_);
  }
}

void ColumnReader::FieldCountDiffers(std::size_t found, std::size_t count) const {
  if (found < count) throw ReadFailure{"Column does not exist " + std::to_string(found + 1), line_};
  throw ReadFailure{"Error in entry: a body line with more fields than the first (" + std::to_string(count) + ")",
                    line_};
}

void ColumnReader::AddRow(ReadEntry& e, std::size_t row) {
  if (row == capacity_) Grow(e);
  std::size_t count = e.columns.size();
  Column* columns = e.columns.data();
  std::string_view text = line_text_;
  if (text.size() < 64) {
    // A short line, the usual case: its fields straight from one separator
    // mask, the k-th start paired with the k-th end.
    std::uint64_t separators = col::SeparatorMask(text, 0, text.size(), col::Separators::kSpace);
    std::uint64_t starts = ~separators & ((separators << 1) | 1);
    std::uint64_t ends = separators & ~((separators << 1) | 1);
    std::size_t found = 0;
    for (; starts; starts &= starts - 1, ends &= ends - 1) {
      if (found == count) FieldCountDiffers(count + 1, count);
      int begin = std::countr_zero(starts);
      std::string_view field(text.data() + begin, static_cast<std::size_t>(std::countr_zero(ends) - begin));
      PutField(columns[found++], row, field, capacity_);
    }
    if (found != count) FieldCountDiffers(found, count);
    return;
  }
  int found = col::SplitFields(text, col::Separators::kSpace, fields_.data(), static_cast<int>(count + 1));
  if (static_cast<std::size_t>(found) != count) FieldCountDiffers(static_cast<std::size_t>(found), count);
  for (std::size_t k = 0; k < count; ++k) PutField(columns[k], row, fields_[k].view(), capacity_);
}

void ColumnReader::ReadBody(ReadEntry& e) {
  std::size_t rows = 0;
  while (NextLine()) {
    // Body lines seldom begin with ';': most are told apart by one byte.
    if (line_text_[0] == ';' && col::IsMarker(line_text_, col::kEndMarker)) {
      e.end = line_text_;
      e.length = rows;
      for (Column& c : e.columns) FinishColumn(c, rows);
      return;
    }
    if (rows == 0) StartColumns(e, static_cast<std::size_t>(col::CountFields(line_text_)));
    AddRow(e, rows++);
  }
  FailAtEnd("Error in entry", line_);
}

}  // namespace colfile
