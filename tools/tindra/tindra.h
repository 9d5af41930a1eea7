// tindra: sets colour columns of chosen residues in a col file.
//
// The entries to colour are chosen by number or name (-s), the lines within
// them by position (-r): the alignpos column, else the seqpos column, else the
// line number. Missing colour columns are created with white background and
// black foreground.
#pragma once

#include <string_view>

#include "col.h"

using namespace col;

// 1 when some item of the range text covers the position, else 0. Items are
// separated by "," or newline; an item is " %d - %d" (lo to hi) or " %d".
int inrange(int position, std::string_view ranges);

// 1 when some item of the selection text covers the entry number or names
// the entry (its ENTRY value, exactly), else 0.
int inseqrange(const Entry& e, int entryno, std::string_view selection);

// The usage text, on standard error.
void usage();

// Colours `in` into `out` as the command line asks (its file name is not
// used): 0 after the last entry, 1 after a bad command line (no usage text)
// or an input error. The program and the fuzz targets run through it.
int tindra_run(int argc, char** argv, Input& in, Output& out);

// The whole program: options, input, colouring, exit status.
int tindra_main(int argc, char** argv);
