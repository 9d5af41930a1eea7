// trasply: converts col data in line form, where body line q of an entry
// holds column q (its print width, then one value per row), into the column
// form with one body line per row. Sequence positions (gaps "-" not counted)
// and alignment rows are numbered when their lines hold only a width.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "col.h"
#include "output.h"

namespace trasply {

// The per-line working data of one entry, kept from entry to entry so that
// its storage is reused.
struct LineColumn {
  std::string_view text;   // the body line, scanned in place
  std::size_t offset = 0;  // how far it has been scanned
  long long width = 0;     // the print width less one; negative: left-aligned
  std::string_view value;  // the field that belongs to the current row
};

// Writes the rows of a line-form entry (its body only) in column form.
void TransposeBody(const col::Entry& e, std::vector<LineColumn>& columns, col::Output& out);

// "Usage: trasply [FILE]\n" on standard error.
void usage();

// The whole program: command line, input, conversion, exit status.
int Main(int argc, char** argv);

}  // namespace trasply
