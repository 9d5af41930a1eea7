// morvel: GenBank flat files to col files, and the position and range reports.
#pragma once

#include "file.h"
#include "options.h"
#include "output.h"

struct Annotator;  // morvel --variants (variants.h)

namespace morvel {

// Writes the col file header (in normal mode) and converts every record of
// `in`: the GenBank reader hands the records to the col writer or the
// reports, as the options ask. Returns 0 at the end of the input, 1 after a
// format error. With `variants` (morvel --variants) the reader hands every
// feature and each record's residues to it instead.
int Convert(const Options& opt, col::Input& in, col::Output& out, Annotator* variants = nullptr);

// The name morvel --variants calls the conversion by.
inline int convert(const Options& opt, col::Input& in, col::Output& out, Annotator* variants = nullptr) {
  return Convert(opt, in, out, variants);
}

// The whole program: options, input, conversion, exit status.
int MorvelMain(int argc, char** argv);

}  // namespace morvel

// morvel --variants names it unqualified until it moves into the namespace.
using morvel::convert;
