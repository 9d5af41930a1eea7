// morvel: GenBank flat files to col files, and the position and range reports.
#pragma once

#include "file.h"
#include "options.h"
#include "output.h"

struct Annotator;

using namespace col;

// Writes the col file header (in normal mode) and converts every record of
// `in`. Returns 0 at the end of the input, 1 after a format error.
// With `variants` (morvel --variants) the record scanner hands it every
// feature and each record's residues.
int convert(const Options& opt, Input& in, Output& out, Annotator* variants = nullptr);

// The whole program: options, input, conversion, exit status.
int morvel_main(int argc, char** argv);
