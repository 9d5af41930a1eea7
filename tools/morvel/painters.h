// Painters of the per-position annotation tracks of a record: gene-structure
// letters, strand marks, selection marks and codon positions, each painted
// from the certain ranges of a feature's location.
//
// A track holds `length` cells; position p is cell p - 1. Spans are clipped
// to 1..length (and to the track's size), so no painter writes outside the
// track. A null location paints nothing.
#pragma once

#include <string>
#include <vector>

#include "location.h"

// Whether a painter with `letter` may overwrite a cell holding `current`:
// "3" and "5" beat "E" and "I", which beat "M", which beats "G"; any other
// letter only fills unpainted (".") cells.
bool may_paint(char letter, char current);

// Paints `letter` over every certain range, both strands alike.
void annotate(const Loc* loc, std::string& region, int length, char letter);

// Writes "+" over certain ranges of the given strand and "-" over those of
// the complement strand, overwriting whatever was there.
void strand_annotate(const Loc* loc, std::string& strand, int length);

// Paints `letter` over the certain given-strand (plus) or complement-strand
// (minus) ranges, each widened by `ext` positions on both sides (a negative
// ext narrows it).
void plus_annotate(const Loc* loc, std::string& track, int length, char letter, int ext);
void minus_annotate(const Loc* loc, std::string& track, int length, char letter, int ext);

// Numbers the codon positions over the certain ranges in the reading
// direction of the first one, starting with `phase` and cycling through 1, 2
// and 3 across range boundaries.
void codon_annotate(const Loc* loc, std::vector<int>& codons, int length, int phase);
