// The col entry writer and the two reports of morvel: the position report
// (features, residues and codon at one position) and the range report
// (feature-table lines of the features that overlap a range).
#pragma once

#include <string_view>

#include "scanner.h"

// Writes the record's entries: the plus-strand entry (or, with annotate, one
// entry per selected plus-strand region), then the minus-strand entries when
// bothstrand or annotate asks for them.
void print_entries(Conversion& run);

// The entry text of one entry; `pos` is its first written position.
void print_entry_text(Conversion& run, bool minus, int pos);

// The reports go into the record's report text, which the scanner writes at
// the record's end line.

// Position report item of the feature just closed.
void info_feature(Conversion& run);

// Position report: the residues around the position and the amino acid of
// its codon, ending the report line of the record.
void info_seq(Conversion& run);

// Range report: decides, once its location is read, whether the open
// feature overlaps the range.
void longinfo_feature(Conversion& run);

// Range report: one qualifier line of the open feature.
void longinfo_line(Conversion& run, std::string_view line);
