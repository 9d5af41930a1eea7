// _colfile: the C++ half of the colfile package. Reads col files into numpy
// columns through ColumnReader, writes bodies with the alignment of the
// library's field operations, and answers entry-text look-ups with the
// library's own functions. The Python half (colfile/__init__.py) builds the
// public API on it.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "col.h"
#include "columns.h"
#include "feature_lines.h"
#include "output.h"
#include "scan.h"

namespace py = pybind11;

namespace colfile {
namespace {

// The class colfile.FormatError, handed in by the Python half.
py::object& ErrorClass() {
  static py::object* cls = new py::object();  // lives as long as the process
  return *cls;
}

// Python text for a line: its newline dropped, bytes that are not UTF-8 kept
// as surrogates so that they are written back unchanged.
py::str LineText(std::string_view line) {
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  PyObject* s = PyUnicode_DecodeUTF8(line.data(), static_cast<Py_ssize_t>(line.size()), "surrogateescape");
  if (!s) throw py::error_already_set();
  return py::reinterpret_steal<py::str>(s);
}

// The bytes of a Python text made by LineText.
std::string LineBytes(py::handle text) {
  if (PyBytes_Check(text.ptr())) return std::string(py::reinterpret_borrow<py::bytes>(text));
  PyObject* b = PyUnicode_AsEncodedString(text.ptr(), "utf-8", "surrogateescape");
  if (!b) throw py::error_already_set();
  return std::string(py::reinterpret_steal<py::bytes>(b));
}

std::vector<std::string> TextLines(const py::list& lines) {
  std::vector<std::string> text;
  for (py::handle line : lines) text.push_back(LineBytes(line) + "\n");
  return text;
}

// A binary Python file object read in large chunks.
class FileObjectSource : public LineSource {
 public:
  explicit FileObjectSource(py::object file) : read_(file.attr("read")) {}

  bool Next(std::string& line) override {
    line.clear();
    for (;;) {
      std::size_t newline = buffer_.find('\n', pos_);
      if (newline != std::string::npos) {
        line.append(buffer_, pos_, newline + 1 - pos_);
        pos_ = newline + 1;
        return true;
      }
      line.append(buffer_, pos_, std::string::npos);
      pos_ = buffer_.size();
      if (!Fill()) return !line.empty();
    }
  }
  bool Failed() const override { return false; }

 private:
  bool Fill() {
    py::object chunk = read_(1 << 20);
    if (!PyBytes_Check(chunk.ptr())) throw py::type_error("colfile reads binary file objects (open them with 'rb')");
    buffer_ = std::string(py::reinterpret_borrow<py::bytes>(chunk));
    pos_ = 0;
    return !buffer_.empty();
  }

  py::object read_;
  std::string buffer_;
  std::size_t pos_ = 0;
};

py::capsule Owner(char* data) {
  return py::capsule(data, [](void* p) { std::free(p); });
}

py::array EmptyArray(const py::dtype& dtype) {
  return py::array(dtype, py::array::ShapeContainer{py::ssize_t{0}});
}

py::array BlockArray(Block& block, const py::dtype& dtype, std::size_t rows) {
  if (!block.data() || rows == 0) return EmptyArray(dtype);
  py::array::ShapeContainer shape{static_cast<py::ssize_t>(rows)};
  py::array::StridesContainer strides{static_cast<py::ssize_t>(dtype.itemsize())};
  char* data = block.Release();  // the capsule frees it with the array
  return py::array(dtype, std::move(shape), std::move(strides), data, Owner(data));
}

py::tuple ColumnArrays(Column& c, std::size_t rows) {
  py::dtype dtype = c.kind == Kind::kInt     ? py::dtype::of<std::int64_t>()
                    : c.kind == Kind::kFloat ? py::dtype::of<double>()
                                             : py::dtype("S" + std::to_string(std::max<std::size_t>(c.width, 1)));
  py::object mask = py::none();
  if (c.mask.data()) mask = BlockArray(c.mask, py::dtype::of<bool>(), rows);
  return py::make_tuple(BlockArray(c.values, dtype, rows), mask);
}

// The entry-text keys (first word after ";") and their first value, as
// ReadText gives it, without the CR of a CR LF line end.
py::dict Info(const col::Entry& e) {
  py::dict info;
  for (std::size_t i = 0; i + 1 < e.text.size(); ++i) {
    std::string_view line = e.text[i];
    if (line.empty() || line[0] != ';') continue;
    std::size_t at = 1;
    std::string_view key = col::NextWord(line, at);
    if (key.empty()) continue;
    py::str name = LineText(key);
    if (info.contains(name)) continue;
    std::string value;
    if (col::ReadText(e, key, std::string::npos, value) != 0) continue;
    if (!value.empty() && value.back() == '\r') value.pop_back();
    info[name] = LineText(value);
  }
  return info;
}

py::list Features(const std::vector<std::string>& text) {
  py::list out;
  for (const col::FeatureLine& f : col::ReadFeatureLines(text)) {
    py::list ranges;
    for (const col::FeatureRange& r : f.ranges) ranges.append(py::make_tuple(r.first, r.last));
    out.append(py::make_tuple(LineText(f.key), std::string(1, f.strand), py::tuple(ranges), LineText(f.name),
                              f.codon_start, f.transl_table));
  }
  return out;
}

// The labels of an entry without body lines: its declared columns 1, 2, ...
// up to the first number it does not declare.
std::vector<std::string> DeclaredLabels(const col::Entry& e) {
  std::vector<std::string> labels;
  std::string label;
  while (col::ReadCollabel(e, static_cast<int>(labels.size() + 1), label) == 0) labels.push_back(label);
  return labels;
}

py::dict EntryObject(ReadEntry& raw) {
  col::Entry text = TextEntry(raw.text);
  py::dict out;
  py::list lines, labels, columns;
  for (std::size_t i = 0; i + 1 < raw.text.size(); ++i) lines.append(LineText(raw.text[i]));
  if (raw.columns.empty() && raw.length == 0) {
    for (const std::string& label : DeclaredLabels(text)) {
      labels.append(LineText(label));
      columns.append(py::make_tuple(EmptyArray(py::dtype::of<std::int64_t>()), py::none()));
    }
  }
  for (std::size_t k = 0; k < raw.columns.size(); ++k) {
    labels.append(LineText(ColumnLabel(text, static_cast<int>(k + 1))));
    columns.append(ColumnArrays(raw.columns[k], raw.length));
  }
  out["text"] = lines;
  out["separator"] = LineText(raw.text.back());
  out["end"] = LineText(raw.end);
  out["end_newline"] = !raw.end.empty() && raw.end.back() == '\n';
  out["line"] = raw.first_line;
  out["length"] = raw.length;
  out["labels"] = labels;
  out["columns"] = columns;
  out["info"] = Info(text);
  out["features"] = Features(raw.text);
  return out;
}

// Reads a col file: a path, standard input (None) or a file object.
class Reader {
 public:
  Reader(py::object source, bool is_path) {
    if (source.is_none()) {
      input_.UseStdin();
      source_ = std::make_unique<InputSource>(input_);
      release_gil_ = true;
    } else if (is_path) {
      std::string path = py::str(source);
      if (!input_.Open(path.c_str())) {
        PyErr_SetFromErrnoWithFilenameObject(PyExc_OSError, source.ptr());
        throw py::error_already_set();
      }
      opened_ = true;
      source_ = std::make_unique<InputSource>(input_);
      release_gil_ = true;
    } else {
      source_ = std::make_unique<FileObjectSource>(source);
    }
    reader_ = std::make_unique<ColumnReader>(*source_);
  }
  ~Reader() { CloseInput(); }

  py::list Header() {
    std::vector<std::string> lines = Guarded([&] { return reader_->ReadHeader(); });
    py::list out;
    for (const std::string& line : lines) out.append(LineText(line));
    return out;
  }

  py::object Next() {
    bool more = Guarded([&] { return reader_->Read(entry_); });
    if (!more) return py::none();
    return EntryObject(entry_);
  }

  void Close() {
    if (busy_) throw std::runtime_error("colfile: this reader is in use by another thread");
    CloseInput();
  }

 private:
  // One step at a time: a second thread that calls in while a step runs
  // without the GIL is refused rather than let into the same reader.
  template <class Step>
  auto Guarded(Step step) -> decltype(step()) {
    if (busy_) throw std::runtime_error("colfile: this reader is in use by another thread");
    busy_ = true;
    struct Done {
      bool& busy;
      ~Done() { busy = false; }
    } done{busy_};
    try {
      if (!release_gil_) return step();
      py::gil_scoped_release unlocked;
      return step();
    } catch (const ReadFailure& failure) {
      CloseInput();
      throw py::error_already_set(Raise(failure));
    }
  }

  void CloseInput() {
    if (opened_) input_.Close();
    opened_ = false;
  }

  static py::error_already_set Raise(const ReadFailure& failure) {
    PyErr_SetObject(ErrorClass().ptr(), py::make_tuple(failure.message, failure.line).ptr());
    return py::error_already_set();
  }

  col::Input input_;
  bool opened_ = false;
  bool release_gil_ = false;
  bool busy_ = false;  // read and written with the GIL held
  std::unique_ptr<LineSource> source_;
  std::unique_ptr<ColumnReader> reader_;
  ReadEntry entry_;
};

// ---------------------------------------------------------------------------
// Writing bodies

// One column to write: kind "i" (int64), "f" (float64), "S" (bytes).
struct OutColumn {
  char kind = 'S';
  bool colour = false;
  py::array values;
  const bool* mask = nullptr;
  py::object mask_owner;
  std::size_t width = 1;
  std::string label;
};

bool Masked(const OutColumn& c, std::size_t row) { return c.mask && c.mask[row]; }

std::string_view BytesAt(const OutColumn& c, std::size_t row) {
  std::size_t item = static_cast<std::size_t>(c.values.itemsize());
  const char* at = static_cast<const char*>(c.values.data()) + row * item;
  return {at, strnlen(at, item)};
}

// The text of one value into `buffer` (room for 64 bytes), or a view into
// the array for bytes.
std::string_view ValueText(const OutColumn& c, std::size_t row, char* buffer) {
  if (Masked(c, row)) return ".";
  if (c.kind == 'i') {
    std::int64_t v = static_cast<const std::int64_t*>(c.values.data())[row];
    return {buffer, static_cast<std::size_t>(col::FormatInt(buffer, v, 0) - buffer)};
  }
  if (c.kind == 'f') {
    double v = static_cast<const double*>(c.values.data())[row];
    if (std::isnan(v)) return ".";
    if (c.colour) return {buffer, static_cast<std::size_t>(std::snprintf(buffer, 64, "%5.3f", v))};
    auto result = std::to_chars(buffer, buffer + 64, v);
    return {buffer, static_cast<std::size_t>(result.ptr - buffer)};
  }
  std::string_view text = BytesAt(c, row);
  return text.empty() ? std::string_view(".") : text;
}

// Widths of the columns; a value with white space in it cannot be a field.
void MeasureColumns(std::vector<OutColumn>& columns, std::size_t rows) {
  char buffer[64];
  for (OutColumn& c : columns) {
    c.width = 1;
    for (std::size_t r = 0; r < rows; ++r) {
      std::string_view text = ValueText(c, r, buffer);
      if (c.kind == 'S') {
        for (char ch : text)
          if (col::IsSpace(ch) || ch == '\0')
            throw py::value_error("column '" + c.label + "', row " + std::to_string(r) +
                                  ": a value with white space in it cannot be written as a field");
      }
      c.width = std::max(c.width, text.size());
    }
  }
}

std::vector<OutColumn> OutColumns(const py::list& described) {
  std::vector<OutColumn> columns;
  for (py::handle column : described) {
    py::tuple t = column.cast<py::tuple>();
    OutColumn c;
    c.label = t[0].cast<std::string>();
    c.kind = t[1].cast<std::string>().at(0);
    c.colour = t[2].cast<bool>();
    c.values = t[3].cast<py::array>();
    if (!t[4].is_none()) {
      py::array mask = t[4].cast<py::array>();
      c.mask = static_cast<const bool*>(mask.data());
      c.mask_owner = mask;
    }
    columns.push_back(std::move(c));
  }
  return columns;
}

// Writes the body lines: each field one blank and the value right-aligned in
// its column's width, what ChgField makes of a field added with a text of
// that width. `write` gets the text in chunks of about 1 MiB.
void WriteBody(py::object write, const py::list& described, std::size_t rows) {
  std::vector<OutColumn> columns = OutColumns(described);
  MeasureColumns(columns, rows);
  std::string out;
  out.reserve((1 << 20) + 4096);
  char buffer[64];
  for (std::size_t r = 0; r < rows; ++r) {
    for (const OutColumn& c : columns) {
      std::string_view text = ValueText(c, r, buffer);
      out.append(c.width + 1 - text.size(), ' ');
      out.append(text);
    }
    out.push_back('\n');
    if (out.size() >= (1 << 20)) {
      write(py::bytes(out));
      out.clear();
    }
  }
  if (!out.empty()) write(py::bytes(out));
}

// ---------------------------------------------------------------------------
// The library's own answers

int ColumnNumber(const py::list& text, const std::string& label) {
  return col::ReadColno(TextEntry(TextLines(text)), label);
}

py::list WithColumnLine(const py::list& text, int number, const std::string& label) {
  std::vector<std::string> lines = TextLines(text);
  lines.push_back(std::string(col::kTextSeparatorLine));
  col::Entry e = TextEntry(lines);
  col::AddEntryExt(e, "%s", col::ColLine(number, label).c_str());
  py::list out;
  for (std::size_t i = 0; i + 1 < e.text.size(); ++i) out.append(LineText(e.text[i]));
  return out;
}

py::dict TextInfo(const py::list& text) {
  std::vector<std::string> lines = TextLines(text);
  lines.push_back(std::string(col::kTextSeparatorLine));
  return Info(TextEntry(lines));
}

// An entry printed by the library: NewEntry, a column per label through
// EnsureCol with a text of the column's width, each field set with
// ChgFieldText, the extra lines through AddEntryText, then PrintEntry. The
// reference the module's writer is checked against.
py::bytes LibraryPrint(const std::string& type, const std::string& name, const std::vector<std::string>& labels,
                       const std::vector<std::vector<std::string>>& rows, const py::list& extra) {
  col::Entry e = col::NewEntry(type, name, static_cast<int>(rows.size()));
  for (std::size_t k = 0; k < labels.size(); ++k) {
    std::size_t width = 1;
    for (const auto& row : rows) width = std::max(width, row.at(k).size());
    int number = col::EnsureCol(e, labels[k], std::string(width, 'x').c_str());
    for (std::size_t r = 0; r < rows.size(); ++r)
      col::ChgFieldText(e, static_cast<int>(r + 1), number, rows[r][k]);
  }
  for (const std::string& line : TextLines(extra)) col::AddEntryText(e, "%s", line.c_str());
  char* data = nullptr;
  std::size_t size = 0;
  FILE* memory = open_memstream(&data, &size);
  {
    col::Output out(memory);
    col::PrintEntry(out, e);
    out.Flush();
  }
  std::fclose(memory);
  py::bytes result(data, size);
  std::free(data);
  return result;
}


py::list TextList(const std::vector<std::string>& lines) {
  py::list out;
  for (const std::string& line : lines) out.append(py::bytes(line));
  return out;
}

// A col file read by the library's own readers (ReadHeader, ReadEntry,
// CountField, GetField): the header lines, then per entry its entry-text
// lines, its body lines' fields and its end marker line, all as bytes, and
// the readers' last result (0 read to the end, 1 failed; their message is on
// standard error). The reference the module's reader is checked against.
py::dict LibraryRead(const std::string& path) {
  col::Input in;
  if (!in.Open(path.c_str())) throw py::value_error("cannot open " + path);
  py::dict out;
  py::list entries;
  col::Header header = col::MakeHeader();
  int result = col::ReadHeader(in, header);
  col::Entry e = col::MakeEntry();
  while (result == 0 && (result = col::ReadEntry(in, e)) == 0) {
    py::list rows;
    for (int n = 1; n <= e.length(); ++n) {
      py::list fields;
      std::string_view field;
      for (int k = 1; k <= col::CountField(e, n); ++k)
        if (col::GetField(field, e, n, k) == 0) fields.append(py::bytes(field.data(), field.size()));
      rows.append(fields);
    }
    py::dict entry;
    entry["text"] = TextList(e.text);
    entry["rows"] = rows;
    entry["end"] = py::bytes(e.end);
    entries.append(entry);
  }
  in.Close();
  out["header"] = TextList(header.text);
  out["entries"] = entries;
  out["result"] = result == -1 ? 0 : result;
  return out;
}

}  // namespace
}  // namespace colfile

PYBIND11_MODULE(_colfile, m) {
  using namespace colfile;
  m.doc() = "The C++ half of colfile: the reader, the body writer and the col library's look-ups.";
  m.def("_set_error_class", [](py::object cls) { ErrorClass() = cls; });
  py::class_<Reader>(m, "Reader")
      .def(py::init<py::object, bool>(), py::arg("source"), py::arg("is_path"))
      .def("header", &Reader::Header)
      .def("next", &Reader::Next)
      .def("close", &Reader::Close);
  m.def("write_body", &WriteBody, py::arg("write"), py::arg("columns"), py::arg("rows"));
  m.def("column_number", &ColumnNumber, "The library's ReadColno over entry-text lines.");
  m.def("with_column_line", &WithColumnLine, "Entry-text lines with a COL line added as AddEntryExt adds it.");
  m.def("text_info", &TextInfo, "Entry-text keys and their first values, as ReadText reads them.");
  m.def("features", [](const py::list& text) { return Features(TextLines(text)); });
  m.def("is_colour_label", [](const std::string& label) { return IsColourLabel(label); });
  m.def("library_read", &LibraryRead, "A col file read by the col library's readers (the reader's reference).");
  m.def("library_print", &LibraryPrint, "An entry printed through the col library (the writer's reference).");
}
