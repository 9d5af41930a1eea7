#include "tindra.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>
#include <string>

#include "out_of_memory.h"

namespace {

struct RangeCase {
  const char* ranges;
  int position;
  int expected;
};

void PrintTo(const RangeCase& c, std::ostream* os) { *os << '"' << c.ranges << "\" at " << c.position; }

class InRange : public ::testing::TestWithParam<RangeCase> {};

TEST_P(InRange, CoversPosition) {
  const RangeCase& c = GetParam();
  EXPECT_EQ(inrange(c.position, c.ranges), c.expected)
      << "ranges \"" << c.ranges << "\" position " << c.position;
}

INSTANTIATE_TEST_SUITE_P(
    Items, InRange,
    ::testing::Values(
        // ranges and single numbers, with blanks before the numbers and around the dash
        RangeCase{"2-3", 1, 0}, RangeCase{"2-3", 2, 1}, RangeCase{"2-3", 3, 1}, RangeCase{"2-3", 4, 0},
        RangeCase{" 4 - 5", 5, 1}, RangeCase{"7", 7, 1}, RangeCase{"  7", 7, 1}, RangeCase{"7", 8, 0},
        // separators: comma and newline; empty items and an empty text cover nothing
        RangeCase{"1,9", 9, 1}, RangeCase{"1\n9", 9, 1}, RangeCase{",,", 0, 0}, RangeCase{"", 0, 0},
        // signs
        RangeCase{"-5--3", -4, 1}, RangeCase{"-5--3", 3, 0}, RangeCase{"+2", 2, 1},
        // a reversed range covers nothing; text after the numbers is ignored
        RangeCase{"10-5", 7, 0}, RangeCase{"5x", 5, 1}, RangeCase{"5-", 5, 1}, RangeCase{"5-x", 5, 1},
        // items that are no number cover nothing, the others still apply
        RangeCase{"x,5", 5, 1}, RangeCase{"x", 0, 0}, RangeCase{"- 5", 5, 0},
        // a newline ends an item even between the numbers of a range
        RangeCase{"5\n-7", 6, 0}, RangeCase{"5\n-7", -7, 1},
        // numbers beyond an int cover nothing and never wrap around
        RangeCase{"4294967297", 1, 0}, RangeCase{"1-4294967297", 1, 0}, RangeCase{"-4294967297-1", 0, 0},
        RangeCase{"2147483647", 2147483647, 1}, RangeCase{"-2147483648--2147483648", -2147483647 - 1, 1},
        RangeCase{"99999999999999999999999,3", 3, 1}));

Entry Named(const char* text) {
  Entry e = MakeEntry();
  e.text = {"; TYPE              DNA\n", text, "; ----------\n"};
  e.end = "; **********\n";
  return e;
}

struct SeqCase {
  const char* selection;
  int entryno;
  const char* entry_line;
  int expected;
};

void PrintTo(const SeqCase& c, std::ostream* os) { *os << '"' << c.selection << "\" entry " << c.entryno; }

class InSeqRange : public ::testing::TestWithParam<SeqCase> {};

TEST_P(InSeqRange, CoversEntry) {
  const SeqCase& c = GetParam();
  Entry e = Named(c.entry_line);
  EXPECT_EQ(inseqrange(e, c.entryno, c.selection), c.expected)
      << "selection \"" << c.selection << "\" entry " << c.entryno << " " << c.entry_line;
}

INSTANTIATE_TEST_SUITE_P(
    Items, InSeqRange,
    ::testing::Values(SeqCase{"2-3", 2, "; ENTRY             x\n", 1},
                      SeqCase{"2-3", 4, "; ENTRY             x\n", 0},
                      SeqCase{"2-3,demo", 9, "; ENTRY             demo\n", 1},
                      // names are exact: letter case, blanks and the whole value count
                      SeqCase{"Demo", 1, "; ENTRY             demo\n", 0},
                      SeqCase{" demo", 1, "; ENTRY             demo\n", 0},
                      SeqCase{"my seq", 1, "; ENTRY             my seq\n", 1},
                      SeqCase{"dem", 1, "; ENTRY             demo\n", 0},
                      // a name beginning with digits is read as a number
                      SeqCase{"1ABC", 1, "; ENTRY             1ABC\n", 1},
                      SeqCase{"1ABC", 2, "; ENTRY             1ABC\n", 0},
                      // an entry without an ENTRY line is named by nothing, the empty name included
                      SeqCase{"x,,y", 1, "; COL 1             residue\n", 0}, SeqCase{",", 1, "; ENTRY\n", 1},
                      // an empty selection chooses nothing; big numbers never wrap around
                      SeqCase{"", 1, "; ENTRY             x\n", 0},
                      SeqCase{"4294967297", 1, "; ENTRY             x\n", 0},
                      SeqCase{"4294967297x", 1, "; ENTRY             4294967297x\n", 0}));

}  // namespace

TEST(TindraMain, OutOfMemoryIsReported) { ExpectOutOfMemory(tindra_main, "tindra"); }
