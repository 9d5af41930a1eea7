#include "painters.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

using namespace morvel;

namespace {

LocPtr Parse(const char* text) {
  LocPtr loc = ReadLoc(text);
  EXPECT_NE(loc, nullptr) << text;
  return loc;
}

// Paints the features in order with `letter` each and returns the track.
std::string Region(int length, std::vector<std::pair<const char*, char>> features) {
  std::string track(length, '.');
  for (auto [text, letter] : features) annotate(Parse(text).get(), track, length, letter);
  return track;
}

// The codon track after painting, and what CodonAt tells of each position
// without a track: the two must agree.
std::string Codons(int length, const char* text, int phase) {
  CodonTrack codons;
  codons.Reset(length);
  LocPtr loc = Parse(text);
  codon_annotate(loc.get(), codons, length, phase);
  std::string out;
  for (int p = 1; p <= length; ++p) {
    out += std::to_string(codons.At(p - 1));
    EXPECT_EQ(CodonAt(loc.get(), length, phase, p), codons.At(p - 1)) << text << " at " << p;
  }
  return out;
}

TEST(Painters, LetterPrecedence) {
  struct Case {
    char letter, current;
    bool written;
  } cases[] = {
      {'3', '5', true}, {'5', 'E', true}, {'3', 'O', true},  {'E', 'I', true},  {'I', 'E', true},
      {'E', '5', false}, {'I', '3', false}, {'E', 'M', true}, {'M', 'E', false}, {'M', 'G', true},
      {'M', 'M', true}, {'G', 'M', false}, {'G', 'I', false}, {'G', 'O', true},  {'G', '.', true},
      {'O', '.', true},  {'O', 'O', false}, {'O', 'G', false}, {'x', '.', true},  {'x', 'x', false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(MayPaint(c.letter, c.current), c.written) << c.letter << " over " << c.current;
}

TEST(Painters, AnnotateFollowsPrecedenceWhateverTheOrder) {
  EXPECT_EQ(Region(6, {{"1..4", '5'}, {"2..6", 'E'}}), "5555EE");
  EXPECT_EQ(Region(6, {{"2..6", 'E'}, {"1..4", '5'}}), "5555EE");
  EXPECT_EQ(Region(4, {{"1..4", 'M'}, {"1..2", 'G'}}), "MMMM");
  EXPECT_EQ(Region(4, {{"1..2", 'G'}, {"1..4", 'M'}}), "MMMM");
  EXPECT_EQ(Region(4, {{"1..4", 'E'}, {"2..3", 'I'}}), "EIIE");
  EXPECT_EQ(Region(4, {{"complement(2..3)", 'E'}}), ".EE.");
}

TEST(Painters, SpansAreClippedToTheTrack) {
  EXPECT_EQ(Region(8, {{">5", 'E'}}), "....EEEE");
  EXPECT_EQ(Region(8, {{"<3", 'E'}}), "EEE.....");
  EXPECT_EQ(Region(8, {{"0..2", 'E'}}), "EE......");
  EXPECT_EQ(Region(8, {{"6..2147483647", 'E'}}), ".....EEE");
  EXPECT_EQ(Region(8, {{"9..20", 'E'}}), "........");
  EXPECT_EQ(Region(8, {{"5..3", 'E'}}), "........");
  EXPECT_EQ(Region(8, {{"(2.4)", 'E'}, {"<1..>2", 'I'}}), "II......");
  // A length beyond the track never writes past its end; none paints nothing.
  std::string track(4, '.');
  LocPtr loc = Parse("1..100");
  annotate(loc.get(), track, 100, 'E');
  strand_annotate(loc.get(), track, 100);
  EXPECT_EQ(track, "++++");
  std::string empty;
  annotate(loc.get(), empty, 0, 'E');
  annotate(loc.get(), empty, -5, 'E');
  annotate(nullptr, track, 4, 'G');
  EXPECT_EQ(empty, "");
}

TEST(Painters, StrandMarksOverwrite) {
  std::string track(10, '.');
  strand_annotate(Parse("join(1..4,complement(3..6))").get(), track, 10);
  EXPECT_EQ(track, "++----....");
  strand_annotate(Parse(">8").get(), track, 10);
  EXPECT_EQ(track, "++----.+++");
}

TEST(Painters, SelectionMarksWidenAndKeepTheFirst) {
  struct Case {
    const char* text;
    int length, ext;
    const char* plus;
    const char* minus;
  } cases[] = {
      {"5..20", 25, 10, "OOOOOOOOOOOOOOOOOOOOOOOOO", "........................."},
      {"complement(5..20)", 25, 10, ".........................", "OOOOOOOOOOOOOOOOOOOOOOOOO"},
      {"4..6", 10, 1, "..OOOOO...", ".........."},
      {"4..6", 10, -1, "....O.....", ".........."},
      {"4..6", 10, -2, "..........", ".........."},
      {"join(2..3,complement(7..8))", 10, 0, ".OO.......", "......OO.."},
      {"<3", 10, 2, "OOOOO.....", ".........."},
      {">8", 10, 2, ".....OOOOO", ".........."},
      {"4..6", 10, INT_MAX, "OOOOOOOOOO", ".........."},
      {"4..6", 10, INT_MIN, "..........", ".........."},
      {"2147483647", 10, 2147483640, "......OOOO", ".........."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::string plus(c.length, '.'), minus(c.length, '.');
    LocPtr loc = Parse(c.text);
    plus_annotate(loc.get(), plus, c.length, 'O', c.ext);
    minus_annotate(loc.get(), minus, c.length, 'O', c.ext);
    EXPECT_EQ(plus, c.plus) << "ext " << c.ext;
    EXPECT_EQ(minus, c.minus) << "ext " << c.ext;
  }
  std::string region = "..EE..";
  plus_annotate(Parse("1..6").get(), region, 6, 'O', 0);
  plus_annotate(Parse("1..6").get(), region, 6, 'X', 0);
  EXPECT_EQ(region, "OOEEOO");
}

TEST(Painters, CodonPositionsFollowTheReadingDirection) {
  struct Case {
    const char* text;
    int length, phase;
    const char* codons;
  } cases[] = {
      {"join(1..4,10..14)", 15, 1, "123100000231230"},
      {"join(complement(10..12),1..3)", 12, 1, "321000000321"},
      {"complement(join(1..3,6..9))", 10, 1, "1320013210"},
      {"complement(join(10..20,30..40))", 40, 1,
       "0000000001321321321300000000021321321321"},
      {"2..8", 10, 2, "0231231200"},
      {"2..8", 10, 7, "0723123100"},  // the caller's phase is written as given
      {"complement(>5)", 8, 1, "00001321"},  // a descending walk starts at the last cell
      {"(1.3)", 5, 1, "00000"},
      {"0..3", 5, 1, "12300"},
      {"join(1..3,2..3)", 4, 1, "1120"},  // a later range overwrites an earlier one
      {"join(3..2,1..2)", 4, 3, "3100"},   // an empty range takes no step
      {"complement(join(1..2,3..6,8..9))", 9, 200, "32132103200"},
  };
  for (const Case& c : cases) EXPECT_EQ(Codons(c.length, c.text, c.phase), c.codons) << c.text;
}

TEST(Painters, NegativePhaseKeepsItsSign) {
  EXPECT_EQ(Codons(4, "1..4", -4), "-4012");
  EXPECT_EQ(Codons(4, "1..4", -127), "-127012");
  CodonTrack codons;
  codons.Reset(4);
  codon_annotate(Parse("1..4").get(), codons, 4, 1000);
  codon_annotate(Parse("2..3").get(), codons, 4, INT_MIN);
  EXPECT_EQ(codons.At(0), 1000);  // kept aside, beyond a byte
  EXPECT_EQ(codons.At(1), INT_MIN);
  EXPECT_EQ(codons.At(2), -1);
  codon_annotate(Parse("1..4").get(), codons, 4, 3);
  EXPECT_EQ(codons.At(1), 1);  // a later CDS overwrites the value kept aside
  EXPECT_EQ(CodonAt(Parse("1..2147483647").get(), INT_MAX, 1, INT_MAX), 1);
  EXPECT_EQ(CodonAt(Parse("complement(1..2147483647)").get(), INT_MAX, 2, 1), 2);
}

}  // namespace
