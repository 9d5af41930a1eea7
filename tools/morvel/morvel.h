// morvel: GenBank flat files to col files, and the position and range reports.
#pragma once

#include "file.h"
#include "options.h"
#include "output.h"

namespace morvel {

// Writes the col file header (in normal mode) and converts every record of
// `in`: the GenBank reader hands the records to the col writer or the
// reports, as the options ask. Returns 0 at the end of the input, 1 after a
// format error. (morvel --variants drives the reader itself: variants.h.)
int Convert(const Options& opt, col::Input& in, col::Output& out);

// The whole program: options, input, conversion, exit status.
int MorvelMain(int argc, char** argv);

}  // namespace morvel
