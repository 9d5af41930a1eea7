#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "col_test_util.h"

namespace {

// Lines "<pair> <position>": pair column 1, position column 2.
Entry PairEntry(const std::vector<std::string>& pairs, const std::vector<std::string>& positions) {
  Entry e = NewEntry("RNA", "x", static_cast<int>(pairs.size()));
  for (std::size_t i = 0; i < pairs.size(); ++i) e.line[i] = pairs[i] + " " + positions[i] + "\n";
  return e;
}

TEST(FindPair, SearchesMonotonicPositions) {
  const std::vector<std::string> plain = {"1", "2", "3", "4"};
  const std::vector<std::string> gapped = {"10", ".", "12", "13"};
  const std::vector<std::string> falling = {"40", "30", "20", "10"};
  const std::vector<std::string> sparse = {"1", ".", ".", "5", ".", "9", "11", ".", "20"};
  struct Case {
    const std::vector<std::string>& positions;
    std::string pair;
    int line;
  } cases[] = {
      {plain, "3", 3},     {plain, ".", 0},      {plain, "0", 0},       {plain, "-2", 0},
      {plain, "9", 0},     {gapped, "12", 3},    {gapped, "11", 0},     {gapped, "10", 1},
      {gapped, "13", 4},   {gapped, "9", 0},     {gapped, "14", 0},     {falling, "20", 3},
      {falling, "45", 0},  {falling, "5", 0},    {falling, "40", 1},    {falling, "10", 4},
      {sparse, "5", 4},    {sparse, "9", 6},     {sparse, "11", 7},     {sparse, "6", 0},
      {sparse, "20", 9},   {plain, "99999999999", 0},
  };
  for (const auto& c : cases) {
    std::vector<std::string> pairs(c.positions.size(), ".");
    pairs[0] = c.pair;
    Entry e = PairEntry(pairs, c.positions);
    EXPECT_EQ(FindPair(e, 1, 1, 2, 0, 0), c.line) << c.pair << " in " << c.positions[0];
    EXPECT_EQ(FindPair(e, 1, 0, 0, 1, 2), c.line) << "second couple";
  }
}

TEST(FPWalks, EndOnTheFoundLineOrOnePastTheEnd) {
  // Positions of lines 1 to 5: ". 7 . 9 .".
  Entry e = PairEntry({".", ".", ".", ".", "."}, {".", "7", ".", "9", "."});
  Entry none = PairEntry({".", "."}, {".", "."});
  struct Case {
    const Entry& entry;
    bool forward;
    int start;
    int position;
    int end;
  } cases[] = {
      {e, true, 1, 7, 2},          {e, true, 2, 7, 2},          {e, true, 3, 9, 4},
      {e, true, 5, 0, 6},          {e, true, 6, 0, 6},          {e, true, 9, 0, 6},
      {e, true, 0, 7, 2},          {e, true, -4, 7, 2},         {e, true, INT_MAX, 0, 6},
      {e, true, INT_MIN, 7, 2},    {e, false, 5, 9, 4},         {e, false, 3, 7, 2},
      {e, false, 1, 0, 0},         {e, false, 0, 0, 0},         {e, false, -3, 0, 0},
      {e, false, 9, 9, 4},         {e, false, INT_MAX, 9, 4},   {e, false, INT_MIN, 0, 0},
      {none, true, 1, 0, 3},       {none, true, 7, 0, 3},       {none, false, 2, 0, 0},
      {none, false, 7, 0, 0},
  };
  for (const auto& c : cases) {
    int line = c.start;
    testing::internal::CaptureStderr();
    int position = c.forward ? FindPairNextLine(c.entry, &line, 2) : FindPairPrevLine(c.entry, &line, 2);
    std::string messages = testing::internal::GetCapturedStderr();
    const char* walk = c.forward ? "forward from " : "backward from ";
    EXPECT_EQ(position, c.position) << walk << c.start;
    EXPECT_EQ(line, c.end) << walk << c.start;
    EXPECT_EQ(messages, "") << walk << c.start;
  }
}

TEST(SetPair, CopiesThePartnersPositionOrMarksNone) {
  // Columns: pair1 position1 pair2 position2.
  Entry e = NewEntry("RNA", "x", 3);
  e.line = {"   .   10    .  100\n", "   .    .    .  101\n", "  12   12   99   99\n"};
  SetPair(e, 1, 3, 1, 2, 3, 4);
  EXPECT_EQ(e.line[0], "  12   10   99  100\n");
  SetPair(e, 3, 2, 1, 2, 3, 4);
  EXPECT_EQ(e.line[2], "   .   12  101   99\n");
  SetPair(e, 1, 0, 1, 2, 3, 4);
  EXPECT_EQ(e.line[0], "   .   10    .  100\n");
  SetPair(e, 2, 0, 0, 0, 3, 4);
  EXPECT_EQ(e.line[1], "   .    .    .  101\n");
}

}  // namespace
