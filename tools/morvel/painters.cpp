#include "painters.h"

#include <algorithm>
#include <cstdint>

#if __has_include(<sys/mman.h>)
#include <sys/mman.h>
#endif

namespace morvel {

namespace {

// Positions lo..hi, both inclusive; empty when lo > hi.
struct Span {
  int lo = 1;
  int hi = 0;
};

// Cuts lo..hi to the positions 1..cells; the arithmetic that produced lo and
// hi is done in long long so that no extension can overflow.
Span Clip(long long lo, long long hi, long long cells) {
  lo = std::max(lo, 1LL);
  hi = std::min(hi, cells);
  if (lo > hi) return {};
  return {static_cast<int>(lo), static_cast<int>(hi)};
}

// The cells a track may be painted in: `length`, but never more than it has.
long long Cells(int length, std::size_t size) {
  return std::min<long long>(length, static_cast<long long>(size));
}

// The painted span of a range: an open start from 1, an open end to the end.
Span RangeSpan(const Range& r, long long cells) {
  long long lo = r.start == kOpenStart ? 1 : r.start;
  long long hi = r.end == kOpenEnd ? cells : r.end;
  return Clip(lo, hi, cells);
}

// The span widened by ext on both sides, before clipping.
Span WidenedSpan(const Range& r, int ext, long long cells) {
  long long lo = r.start == kOpenStart ? 1 : static_cast<long long>(r.start) - ext;
  long long hi = r.end == kOpenEnd ? cells : static_cast<long long>(r.end) + ext;
  return Clip(lo, hi, cells);
}

int Rank(char letter) {
  switch (letter) {
    case '3': case '5': return 4;
    case 'E': case 'I': return 3;
    case 'M': return 2;
    case 'G': return 1;
    default: return 0;
  }
}

// For one letter, the letters it may paint over: a table, so that painting
// a long span asks no questions per position.
struct PaintRule {
  bool over[256];
  explicit PaintRule(char letter) {
    for (int c = 0; c < 256; ++c) over[c] = MayPaint(letter, static_cast<char>(c));
  }
};

void PaintSpan(std::string& track, Span s, char letter, const PaintRule& rule) {
  for (long long p = s.lo; p <= s.hi; ++p) {
    char& cell = track[p - 1];
    if (rule.over[static_cast<unsigned char>(cell)]) cell = letter;
  }
}

void PaintStrand(const Loc* loc, std::string& track, int length, char letter, int ext, int comp) {
  if (!loc || track.empty()) return;
  long long cells = Cells(length, track.size());
  PaintRule rule(letter);
  for (const Range& r : loc->certain) {
    if (r.comp == comp) PaintSpan(track, WidenedSpan(r, ext, cells), letter, rule);
  }
}

// The codon position after `phase`: 1, 2, 3, 1, ... ("%" keeps the sign of
// a phase below 1, which a codon start outside 1..3 gives).
inline int NextPhase(int phase) { return phase >= 1 && phase < 3 ? phase + 1 : phase % 3 + 1; }

// The phase after `steps` calls of NextPhase: at most three steps bring any
// phase into the cycle 1, 2, 3.
int AdvancePhase(int phase, long long steps) {
  for (; steps > 0 && (phase < 1 || phase > 3); --steps) phase = NextPhase(phase);
  if (steps == 0) return phase;
  return static_cast<int>((phase - 1 + steps % 3) % 3) + 1;
}

}  // namespace

bool MayPaint(char letter, char current) {
  int rank = Rank(letter);
  if (rank == 0) return current == '.';
  return rank >= Rank(current);
}

void annotate(const Loc* loc, std::string& region, int length, char letter) {
  if (!loc || region.empty()) return;
  long long cells = Cells(length, region.size());
  PaintRule rule(letter);
  for (const Range& r : loc->certain) PaintSpan(region, RangeSpan(r, cells), letter, rule);
}

void strand_annotate(const Loc* loc, std::string& strand, int length) {
  if (!loc) return;
  long long cells = Cells(length, strand.size());
  for (const Range& r : loc->certain) {
    Span s = RangeSpan(r, cells);
    std::fill(strand.begin() + (s.lo - 1), strand.begin() + s.hi, r.comp == 1 ? '-' : '+');
  }
}

void plus_annotate(const Loc* loc, std::string& track, int length, char letter, int ext) {
  PaintStrand(loc, track, length, letter, ext, 0);
}

void minus_annotate(const Loc* loc, std::string& track, int length, char letter, int ext) {
  PaintStrand(loc, track, length, letter, ext, 1);
}

void AdviseHugePages([[maybe_unused]] void* data, [[maybe_unused]] std::size_t bytes) {
#ifdef MADV_HUGEPAGE
  constexpr std::uintptr_t kHuge = std::uintptr_t{1} << 21;
  std::uintptr_t begin = (reinterpret_cast<std::uintptr_t>(data) + kHuge - 1) & ~(kHuge - 1);
  std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(data) + bytes) & ~(kHuge - 1);
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#endif
}

void StoreLetters(std::string& residue, long long pos, std::string_view letters) {
  long long size = static_cast<long long>(residue.size());
  if (pos > size) return;
  std::size_t n = static_cast<std::size_t>(std::min<long long>(static_cast<long long>(letters.size()), size - pos + 1));
  std::copy_n(letters.data(), n, residue.begin() + (pos - 1));
}

void CodonTrack::Reset(std::size_t n) {
  cells.assign(n, 0);
  aside.clear();
}

void codon_annotate(const Loc* loc, CodonTrack& codons, int length, int phase) {
  if (!loc || loc->certain.empty()) return;
  long long cells = Cells(length, codons.size());
  bool descending = loc->certain.front().comp == 1;
  for (const Range& r : loc->certain) {
    Span s = RangeSpan(r, cells);
    if (s.lo > s.hi) continue;
    // Only the first base may hold a value outside the byte's range.
    long long first = descending ? s.hi : s.lo;
    codons.Set(static_cast<std::size_t>(first - 1), phase);
    phase = NextPhase(phase);
    signed char* cell = codons.cells.data();
    if (descending) {
      for (long long p = s.hi - 1; p >= s.lo; --p, phase = NextPhase(phase)) cell[p - 1] = static_cast<signed char>(phase);
    } else {
      for (long long p = s.lo + 1; p <= s.hi; ++p, phase = NextPhase(phase)) cell[p - 1] = static_cast<signed char>(phase);
    }
  }
}

int CodonAt(const Loc* loc, int length, int phase, int p) {
  if (!loc || loc->certain.empty()) return 0;
  bool descending = loc->certain.front().comp == 1;
  int codon = 0;
  for (const Range& r : loc->certain) {
    Span s = RangeSpan(r, length);
    if (s.lo > s.hi) continue;
    if (s.lo <= p && p <= s.hi) codon = AdvancePhase(phase, descending ? s.hi - p : p - s.lo);
    phase = AdvancePhase(phase, static_cast<long long>(s.hi) - s.lo + 1);
  }
  return codon;
}

}  // namespace morvel
