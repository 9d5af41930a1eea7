"""colfile: col files in Python, entries as numpy columns and pandas frames.

A col file is a header, then entries; each entry has its entry text
("; TYPE", "; COL n label", "; ENTRY" ... lines) and one body line per
residue whose white-space separated fields are its columns. colfile reads
and writes them through the col library of morvel, tindra and trasply:

    import colfile
    import matplotlib.pyplot as plt

    for entry in colfile.read("genes.col"):       # morvel --gene rec.gb > genes.col
        codonpos = entry["codonpos"]              # int64, "." masked
        for k in (1, 2, 3):
            used = (codonpos == k).filled(False)
            plt.plot(entry["seqpos"], used.cumsum(), label=f"{entry.name} position {k}")
    plt.xlabel("seqpos"); plt.ylabel("bases"); plt.legend()
    plt.savefig("codonpos.png")

Reading: read(source) yields Entry objects one at a time from a path, a
binary file object or "-" (standard input); read_header(source) gives the
header lines; read_frame(source) one pandas DataFrame of all entries.
Entries are read one at a time: only the entry being read is held, as
columns, never its body lines.

Columns: entry[label] or entry[k] (k counted from 1, as in "; COL k label").
A column whose every field is an integer or "." is int64; colour columns
(color_r ... color2_b) are float64; both come as numpy.ma.MaskedArray with
"." masked (entry.missing(label) gives the mask as a plain bool array; the
data under a mask is 0, or NaN for floats). Any other column is fixed-width
bytes (dtype S1 for one-letter columns), "." kept as b"." (numpy drops the
trailing NUL bytes of such a value, should a field end in any).

Writing: Entry(name=..., type="DNA", columns={...}, text=[...]) builds an
entry; write(dest, entries, header=[...]) writes a col file whose body lines
are what the col library's ChgField makes of them: every field one blank and
its value right-aligned in the width of the column's widest value.

Errors: malformed input raises FormatError with the message the tools print
("Error in header", "Error in entry text", "Error in entry", "Column does
not exist N") and the line number; an unreadable file raises OSError.
"""
import collections
import gzip
import io
import os
import sys
import zlib

import numpy as np

from . import _colfile

__all__ = ["Entry", "Feature", "FormatError", "read", "read_header", "read_frame", "write"]

HEADER_SEPARATOR = "; " + "=" * 72
TEXT_SEPARATOR = "; ----------"
END_MARKER = "; **********"
VALUE_COLUMN = 20  # characters before the value of a keyed entry-text line

Feature = collections.namedtuple("Feature", "key strand ranges name codon_start transl_table")
Feature.__doc__ = """A "; FEATURE" line of an entry text: the feature key, its strand
("+", "-" or "."), its ranges as (first, last) pairs in reading order, its
name ("." when it has none) and, on CDS lines, codon_start and transl_table
(else 0)."""


class FormatError(ValueError):
    """Malformed col text: `message` is what the tools print, `line` the
    number (from 1) of the line the reader stopped at, `source` the file."""

    def __init__(self, message, line=None, source=None):
        super().__init__(message, line)
        self.message = message
        self.line = line
        self.source = source

    def __str__(self):
        where = self.source if self.source is not None else "input"
        if self.line is None:
            return f"{where}: {self.message}"
        return f"{where}, line {self.line}: {self.message}"


_colfile._set_error_class(FormatError)


def _text_line(key, value):
    """A keyed entry-text line as the library writes it: the value at the
    value column, after at least one blank."""
    head = "; " + key
    return head + " " * max(1, VALUE_COLUMN - len(head)) + value


def _is_marker(line, marker):
    return line[:len(marker)] == marker


def _one_word(what, text):
    if not isinstance(text, str) or not text or any(c.isspace() for c in text):
        raise ValueError(f"{what} must be one word without white space: {text!r}")
    return text


def _as_column(label, values):
    """A column as the module holds it: a masked int64 or float64 array, or
    a bytes array."""
    mask = np.ma.getmask(values) if isinstance(values, np.ma.MaskedArray) else np.ma.nomask
    data = np.ma.getdata(values) if isinstance(values, np.ma.MaskedArray) else np.asarray(values)
    if data.ndim != 1:
        raise ValueError(f"column {label!r}: a column is one-dimensional")
    kind = data.dtype.kind
    if kind == "u" and data.size and data.max() > np.iinfo(np.int64).max:
        raise ValueError(f"column {label!r}: values beyond int64 cannot be written as integers")
    if kind in "biu":
        return np.ma.MaskedArray(data.astype(np.int64, copy=False), mask=mask)
    if kind == "f":
        return np.ma.MaskedArray(data.astype(np.float64, copy=False), mask=mask)
    if kind == "U":
        data = np.char.encode(data, "utf-8")
    elif kind != "S":
        data = np.array([v if isinstance(v, bytes) else str(v).encode("utf-8", "surrogateescape") for v in data],
                        dtype=bytes)
    # Bytes columns have no mask: a masked value is the placeholder ".".
    return data if mask is np.ma.nomask else np.where(mask, b".", data)


class Entry:
    """One col entry: its entry text and its columns.

    Entry(name=..., type="DNA", columns={label: array, ...}, text=[...])
    builds one: the entry text is "; TYPE", a "; COL k label" line per column,
    "; ENTRY" and the extra `text` lines (such as "; ACCESSION  X"). Entries
    read from a file keep their entry text as read.

    Attributes: name, type, length (body lines), text (entry-text lines
    without their newline and without the "; ----------" line), info (key ->
    first value), labels, features; entry[label] or entry[k] (k from 1) is a
    column, entry[label] = array adds or replaces one.
    """

    def __init__(self, name=None, type="DNA", columns=None, text=()):
        if name is None:
            raise ValueError("an entry needs a name")
        columns = dict(columns or {})
        self._labels, self._columns, self.length = [], [], None
        self.text = [_text_line("TYPE", _one_word("type", type)), _text_line("ENTRY", _one_word("name", name))]
        self._separator, self._end, self._end_newline, self.line = TEXT_SEPARATOR, END_MARKER, True, None
        for label, values in columns.items():
            self[label] = values
        if self.length is None:
            self.length = 0
        self.text.extend(str(line).rstrip("\n") for line in text)

    @classmethod
    def _read(cls, raw):
        entry = cls.__new__(cls)
        entry.text = raw["text"]
        entry._separator, entry._end, entry._end_newline = raw["separator"], raw["end"], raw["end_newline"]
        entry.line, entry.length, entry._labels = raw["line"], raw["length"], raw["labels"]
        entry._columns = [data if data.dtype.kind == "S" else
                          np.ma.MaskedArray(data, mask=np.ma.nomask if mask is None else mask, copy=False)
                          for data, mask in raw["columns"]]
        return entry

    @property
    def info(self):
        """The entry-text keys and their first values, as the library's
        ReadText reads them (without the CR of a CR LF line end)."""
        return _colfile.text_info(self.text)

    @property
    def name(self):
        return self.info.get("ENTRY")

    @property
    def type(self):
        return self.info.get("TYPE")

    @property
    def labels(self):
        """The column labels in column order; "col<k>" for an undeclared one."""
        return list(self._labels)

    @property
    def features(self):
        """The entry's "; FEATURE" lines that read, as Feature tuples."""
        return [Feature(*f) for f in _colfile.features(self.text)]

    def _number(self, key):
        if isinstance(key, (int, np.integer)) and not isinstance(key, bool):
            number = int(key)
        elif isinstance(key, str):
            number = _colfile.column_number(self.text, key)
        else:
            raise TypeError("a column is named by its label or its number (from 1)")
        if not 1 <= number <= len(self._columns):
            raise KeyError(key)
        return number

    def __getitem__(self, key):
        return self._columns[self._number(key) - 1]

    def __contains__(self, key):
        try:
            self._number(key)
        except KeyError:
            return False
        return True

    def __setitem__(self, label, values):
        column = _as_column(label, values)
        if self.length is not None and self._columns and len(column) != self.length:
            raise ValueError(f"column {label!r} has {len(column)} values, the entry {self.length} lines")
        if label in self:
            self._columns[self._number(label) - 1] = column
            return
        number = len(self._columns) + 1
        self.text = _colfile.with_column_line(self.text, number, _one_word("a label", label))
        self._labels.append(label)
        self._columns.append(column)
        self.length = len(column)

    def missing(self, key):
        """The bool mask of the values that were "." in the column."""
        column = self[key]
        if isinstance(column, np.ma.MaskedArray):
            return np.ma.getmaskarray(column)
        return column == b"."

    def to_frame(self):
        """The columns as a pandas DataFrame: integer columns with missing
        values as the nullable Int64 type, one-letter columns as categories,
        other bytes as text."""
        import pandas as pd
        data = {}
        for label, column in zip(self._labels, self._columns):
            data[label] = _series(pd, column)
        return pd.DataFrame(data, copy=False)

    def __repr__(self):
        return f"<colfile.Entry {self.name!r} {self.type} {self.length} lines, columns {self._labels}>"


def _series(pd, column):
    if isinstance(column, np.ma.MaskedArray):
        mask = np.ma.getmask(column)
        if column.dtype.kind == "i" and mask is not np.ma.nomask:
            return pd.arrays.IntegerArray(column.data, mask.copy())
        return column.data
    if column.dtype.itemsize == 1:
        codes = column.view(np.uint8)
        letters = np.flatnonzero(np.bincount(codes, minlength=256))
        lookup = np.zeros(256, dtype=np.int16)
        lookup[letters] = np.arange(len(letters))
        names = [bytes([b]).decode("utf-8", "surrogateescape") for b in letters]
        return pd.Categorical.from_codes(lookup[codes], names)
    return np.array([v.decode("utf-8", "surrogateescape") for v in column], dtype=object)


def _reader(source):
    """The C++ reader over a source and the name errors give it."""
    if isinstance(source, str) and source == "-":
        return _colfile.Reader(None, False), "standard input"
    if isinstance(source, (str, bytes, os.PathLike)):
        path = os.fsdecode(source)
        return _colfile.Reader(path, True), path
    if not hasattr(source, "read"):
        raise TypeError("colfile reads a path, '-' or a binary file object")
    if isinstance(source, io.TextIOBase):
        raise TypeError("colfile reads binary file objects (open them with 'rb')")
    name = getattr(source, "name", "file object")
    peek = getattr(source, "peek", None)
    start = peek(2)[:2] if peek is not None else source.read(2)
    if not isinstance(start, bytes):
        raise TypeError("colfile reads binary file objects (open them with 'rb')")
    if peek is None:
        source = _Prefixed(start, source)
    if start == b"\x1f\x8b":
        source = gzip.GzipFile(fileobj=source)
    return _colfile.Reader(source, False), str(name)


class _Prefixed:
    """A binary stream whose first bytes were already read from it."""

    def __init__(self, prefix, stream):
        self._prefix, self._stream = prefix, stream

    def read(self, size=-1):
        if not self._prefix:
            return self._stream.read(size)
        head, self._prefix = self._prefix, b""
        if size is not None and 0 <= size <= len(head):
            head, self._prefix = head[:size], head[size:]
            return head
        rest = self._stream.read(-1 if size is None or size < 0 else size - len(head))
        return head + (rest or b"")


def _step(step, name):
    """One step of the C++ reader, its failures as FormatError naming the
    source."""
    try:
        return step()
    except FormatError as error:
        error.source = name
        raise
    except (EOFError, zlib.error, gzip.BadGzipFile) as error:
        # A file object's gzip stream that is cut short or corrupt.
        raise FormatError("Error in reading file", None, name) from error


def _entries(reader, name):
    try:
        while True:
            raw = _step(reader.next, name)
            if raw is None:
                return
            yield Entry._read(raw)
    finally:
        reader.close()


def read(source):
    """Yields the entries of a col file one at a time. `source` is a path
    (plain, gzip or zstd, as the tools read them), "-" for standard input,
    or a binary file object (plain or gzip).
    Raises FormatError for malformed text, OSError when the file cannot be
    opened."""
    reader, name = _reader(source)
    try:
        _step(reader.header, name)
    except BaseException:
        reader.close()
        raise
    return _entries(reader, name)


def read_header(source):
    """The header lines of a col file, without their newlines, the
    "; ==========" separator line last."""
    reader, name = _reader(source)
    try:
        return _step(reader.header, name)
    finally:
        reader.close()


def read_frame(source):
    """One pandas DataFrame of all entries, the entry's name in the first
    column `entry`."""
    import pandas as pd
    frames = []
    for entry in read(source):
        frame = entry.to_frame()
        frame.insert(0, "entry", pd.Categorical([entry.name] * entry.length))
        frames.append(frame)
    if not frames:
        return pd.DataFrame({"entry": []})
    return pd.concat(frames, ignore_index=True)


def _line_bytes(line):
    return line.encode("utf-8", "surrogateescape") + b"\n"


def _column_for_writing(label, column):
    if isinstance(column, np.ma.MaskedArray):
        mask = np.ma.getmaskarray(column) if np.ma.getmask(column) is not np.ma.nomask else None
        data = np.ascontiguousarray(column.data)
        kind = "i" if data.dtype.kind == "i" else "f"
        if mask is not None:
            mask = np.ascontiguousarray(mask, dtype=bool)
        return (label, kind, bool(_colfile.is_colour_label(label)), data, mask)
    return (label, "S", False, np.ascontiguousarray(column), None)


def _checked_lines(lines, marker, what):
    """Lines to write: one line each, none of them the marker that would end
    their section early."""
    for line in lines:
        if "\n" in line or _is_marker(line, marker):
            raise ValueError(f"{what} line {line!r} would not read back as one {what} line")
    return lines


def _write_entry(write, entry):
    for line in _checked_lines(entry.text, TEXT_SEPARATOR, "entry-text"):
        write(_line_bytes(line))
    write(_line_bytes(entry._separator))
    described = [_column_for_writing(label, column) for label, column in zip(entry._labels, entry._columns)]
    _colfile.write_body(write, described, entry.length)
    end = entry._end.encode("utf-8", "surrogateescape")
    write(end + b"\n" if entry._end_newline else end)


def write(dest, entries, header=None):
    """Writes a col file: the header lines (a separator line is added unless
    the last one is one), then the entries. `dest` is a path (".gz" paths are
    gzip-compressed), "-" for standard output, or a binary file object."""
    if isinstance(entries, Entry):
        entries = [entries]
    lines = [str(line).rstrip("\n") for line in (header or [])]
    if not lines or not _is_marker(lines[-1], "; =========="):
        lines.append(HEADER_SEPARATOR)
    _checked_lines(lines[:-1], "; ==========", "header")
    if isinstance(dest, str) and dest == "-":
        return _write_to(sys.stdout.buffer, lines, entries)
    if isinstance(dest, (str, bytes, os.PathLike)):
        path = os.fsdecode(dest)
        with (gzip.open(path, "wb") if path.endswith(".gz") else open(path, "wb")) as f:
            return _write_to(f, lines, entries)
    if isinstance(dest, io.TextIOBase):
        raise TypeError("colfile writes binary file objects (open them with 'wb')")
    return _write_to(dest, lines, entries)


def _write_to(f, header, entries):
    write = f.write
    for line in header:
        write(_line_bytes(line))
    for entry in entries:
        _write_entry(write, entry)
    f.flush()
