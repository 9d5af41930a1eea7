// colshow: a col file as one self-contained HTML page (or an SVG figure).
//
// Entries and positions are chosen with -s and -r, which take tindra's syntax
// and meaning: the selection of lib/col (selection.h) and the ranges of
// lib/support (ranges.h) answer them. Entries without an alignpos column are
// drawn as sequence panels, rows of a fixed width with the position at both
// ends, each residue in its background and foreground colour, with the
// gene-structure tracks under the rows; entries with one (or all, with
// --align) are drawn as one alignment.
#pragma once

#include "col.h"

namespace colshow {

// The usage text, on standard error.
void Usage();

// Shows `in` on `out` as the command line asks (its file name only titles
// the page): 0 after the last entry, 1 after a bad command line (no usage
// text) or an input error. The program and the fuzz target run through it.
int Run(int argc, char** argv, col::Input& in, col::Output& out);

// The whole program: options, input, page, exit status.
int Main(int argc, char** argv);

}  // namespace colshow
