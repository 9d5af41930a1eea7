// Painters of the per-position annotation tracks of a record: gene-structure
// letters, strand marks, selection marks and codon positions, each painted
// from the certain ranges of a feature's location.
//
// A track holds `length` cells; position p is cell p - 1. Spans are clipped
// to 1..length (and to the track's size), so no painter writes outside the
// track. A null location paints nothing.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "location.h"

namespace morvel {

// Codon positions, one byte per position. Every painted value but the first
// base of a CDS lies in -1..3; that first base gets the feature's codon start
// as written, and one outside the byte's range is kept aside by position.
struct CodonTrack {
  static constexpr signed char kAside = -128;  // the value is in `aside`
  std::vector<signed char> cells;
  std::unordered_map<std::size_t, int> aside;

  std::size_t size() const { return cells.size(); }
  int At(std::size_t i) const { return cells[i] == kAside ? aside.at(i) : cells[i]; }
  void Set(std::size_t i, int value) {
    if (value > kAside && value <= 127) {
      cells[i] = static_cast<signed char>(value);
    } else {
      cells[i] = kAside;
      aside[i] = value;
    }
  }
  // `n` cells, all 0.
  void Reset(std::size_t n);
};

// Whether a painter with `letter` may overwrite a cell holding `current`:
// "3" and "5" beat "E" and "I", which beat "M", which beats "G"; any other
// letter only fills unpainted (".") cells.
bool MayPaint(char letter, char current);

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
void codon_annotate(const Loc* loc, CodonTrack& codons, int length, int phase);

// Asks for huge pages over the whole 2 MB pages of a large new track: filling
// hundreds of megabytes page by 4 KB page costs more than the whole output.
void AdviseHugePages(void* data, std::size_t bytes);

// Makes a track of n elements, all `initial`. The storage of earlier records
// is reused: touching fresh memory for every record costs more than painting
// and writing it, and the peak stays that of the longest record.
template <class Track>
void MakeTrack(Track& track, std::size_t n, typename Track::value_type initial) {
  if (n > track.capacity()) {
    Track().swap(track);
    track.reserve(n);
    AdviseHugePages(track.data(), n * sizeof initial);
  }
  track.assign(n, initial);
}

// Stores sequence letters into a residue track from position `pos` on;
// letters beyond the track have no place and are dropped.
void StoreLetters(std::string& residue, long long pos, std::string_view letters);

// The codon position that codon_annotate(loc, codons, length, phase) would
// leave at position p, without a track: 0 when it paints no cell p.
int CodonAt(const Loc* loc, int length, int phase, int p);

}  // namespace morvel
