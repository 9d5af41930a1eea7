// tindra: sets colour columns of chosen residues in a col file.
//
// The entries to colour are chosen by number or name (-s), the lines within
// them by position (-r): the alignpos column, else the seqpos column, else the
// line number; --bed adds the regions of a BED file. Missing colour columns are created with white background and
// black foreground.
#pragma once

#include <string_view>

#include "col.h"
#include "ranges.h"     // inrange and the range index
#include "selection.h"  // inseqrange

namespace tindra {

// The usage text, on standard error.
void usage();

// Colours `in` into `out` as the command line asks (its file name is not
// used): 0 after the last entry, 1 after a bad command line (no usage text)
// or an input error. The program and the fuzz targets run through it.
int Run(int argc, char** argv, col::Input& in, col::Output& out);

// The whole program: options, input, colouring, exit status.
int Main(int argc, char** argv);

}  // namespace tindra
