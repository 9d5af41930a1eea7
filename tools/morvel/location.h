// Feature locations: the parser of GenBank location texts such as
// "complement(join(10..20,30..40))" and the queries on its result.
//
// A location is flat: two lists of ranges, the parts whose ends are known
// (certain) and the parts the text only bounds (uncertain: outside a "<" or
// ">" mark, inside an "(a.b)" span). Joins and orders are resolved while
// parsing; the lists keep the order the parser produced, which for a
// complemented join is the reverse of the text, so walking a list follows the
// feature in its own reading direction.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace morvel {

// Markers of a range that runs from the first or to the last position of the
// sequence. Written positions are never negative, so they cannot collide.
constexpr int kOpenStart = -1;
constexpr int kOpenEnd = -2;

struct Range {
  int start = 0;  // first position, 1-based, inclusive; kOpenStart if open
  int end = 0;    // last position, inclusive; kOpenEnd if open
  int comp = 0;   // 0 given strand, 1 complement strand
};

struct Loc {
  std::vector<Range> certain;    // in parse order
  std::vector<Range> uncertain;  // in parse order
};

using LocPtr = std::unique_ptr<Loc>;

// Nesting deeper than this (operators inside operators) does not parse.
constexpr int kMaxLocDepth = 200;

LocPtr MakeLoc();
Range InitRange(int start, int end, int comp);

// Parses a whole location text; null when it is not a location.
LocPtr ReadLoc(std::string_view text);

// Reads one location element of `text` at `cursor` with strand flag `comp`,
// adds its ranges to `loc` and moves `cursor` behind it. 0 on success, 1 on
// failure (a failed element leaves the cursor at its start). `depth` counts
// the enclosing operators.
int rec_RL(Loc& loc, std::string_view text, std::size_t& cursor, int comp, int depth = 0);

// Releases the location; a null location is ignored.
void FreeLoc(LocPtr& loc);

// The readable form: "Certain:\n", a line per certain range, "Uncertain:\n",
// a line per uncertain range (" Comp:" for the complement strand, then
// " START-" or " <start>-", then "END\n" or "<end>\n"). Empty for null.
std::string PrintLoc(const Loc* loc);

// Where position p lies: 1 in a certain part on the given strand, -1 on the
// complement strand, 2 or -2 in only an uncertain part, 0 outside (and for a
// null location). The first matching range decides, certain ranges first.
int InLoc(const Loc* loc, int p);

// The same codes for the first part that overlaps the positions from..to.
int InLocRange(const Loc* loc, int from, int to);

}  // namespace morvel
