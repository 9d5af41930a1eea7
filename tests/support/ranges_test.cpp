#include "ranges.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <string>
#include <vector>

namespace {

using col::RangeCursor;
using col::RangeIndex;
using col::RangeSpan;

// A random list made of the pieces items are written with.
std::string RandomList(std::mt19937& rng) {
  static const char* const kPieces[] = {"1",  "3", "7", "12", "-4", "+2", "0",          " ",  "-", " - ",
                                        ",",  ",", ",", "\n", "x",  "ab", "4294967297", "9-", "5-2"};
  std::uniform_int_distribution<int> count(0, 14), piece(0, std::size(kPieces) - 1);
  std::string text;
  for (int n = count(rng); n > 0; --n) text += kPieces[piece(rng)];
  return text;
}

TEST(RangeIndex, AgreesWithTheWalkOverTheItems) {
  std::mt19937 rng(14);
  for (int round = 0; round < 3000; ++round) {
    std::string text = RandomList(rng);
    RangeIndex index = RangeIndex::FromList(text);
    RangeCursor cursor(index);
    for (int v : {INT_MIN, -5, -4, -3, -1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13, INT_MAX}) {
      bool walk = col::inrange(v, text) == 1;
      ASSERT_EQ(index.Contains(v), walk) << "list \"" << text << "\" position " << v;
      ASSERT_EQ(cursor.Contains(v), walk) << "list \"" << text << "\" position " << v;
    }
  }
}

TEST(RangeIndex, JoinsTouchingItemsWithoutOverflow) {
  struct Case {
    const char* list;
    std::vector<std::pair<int, int>> spans;
  };
  const Case cases[] = {
      {"1-3,4-6,10", {{1, 6}, {10, 10}}},
      {"10,5-20,1-2,3", {{1, 3}, {5, 20}}},
      {"10-5,x,4294967297", {}},
      {"2147483647,2147483646", {{2147483646, 2147483647}}},
      {"-2147483648-2147483647,5", {{INT_MIN, INT_MAX}}},
  };
  for (const Case& c : cases) {
    std::vector<std::pair<int, int>> got;
    RangeIndex index = RangeIndex::FromList(c.list);
    for (const RangeSpan& s : index.spans()) got.emplace_back(s.lo, s.hi);
    EXPECT_EQ(got, c.spans) << c.list;
  }
}

// The value of the last span that holds v, or -1: the plain definition.
int LastCovering(const std::vector<RangeSpan>& spans, int v) {
  int value = -1;
  for (const RangeSpan& s : spans) {
    if (s.lo <= v && v <= s.hi) value = s.value;
  }
  return value;
}

TEST(RangeIndex, LayeredSpansLetTheLaterOneWin) {
  std::mt19937 rng(16);
  std::uniform_int_distribution<int> count(0, 12), pos(0, 40), value(0, 4);
  for (int round = 0; round < 3000; ++round) {
    std::vector<RangeSpan> spans;
    for (int n = count(rng); n > 0; --n) spans.push_back({pos(rng), pos(rng), value(rng)});
    RangeIndex index = RangeIndex::Layered(spans);
    RangeCursor ascending(index), jumping(index);
    for (int v = -1; v <= 42; ++v) ASSERT_EQ(index.Find(v), LastCovering(spans, v)) << "round " << round << " at " << v;
    for (int v = -1; v <= 42; ++v) ASSERT_EQ(ascending.Find(v), LastCovering(spans, v));
    for (int k = 0; k < 60; ++k) {
      int v = pos(rng);
      ASSERT_EQ(jumping.Find(v), LastCovering(spans, v));
    }
  }
  // Starts spread over 2^12 to 2^32 values, sorted in one to three passes:
  // every start and end, and a position on each side, answer as the walk does.
  for (long long spread : {1LL << 12, 1LL << 24, 1LL << 25, 1LL << 32}) {
    std::uniform_int_distribution<long long> start(INT_MIN, INT_MIN + spread - 1), length(0, 1000);
    std::vector<RangeSpan> spans;
    for (int n = 0; n < 400; ++n) {
      long long lo = start(rng);
      spans.push_back({static_cast<int>(lo), static_cast<int>(std::min<long long>(INT_MAX, lo + length(rng))), n % 5});
    }
    RangeIndex index = RangeIndex::Layered(spans);
    for (const RangeSpan& s : spans) {
      for (long long v : {s.lo - 1LL, s.lo + 0LL, s.hi + 0LL, s.hi + 1LL}) {
        if (v < INT_MIN || v > INT_MAX) continue;
        ASSERT_EQ(index.Find(static_cast<int>(v)), LastCovering(spans, static_cast<int>(v))) << spread << " at " << v;
      }
    }
  }
  // Ends of the int range.
  RangeIndex wide = RangeIndex::Layered({{INT_MIN, INT_MAX, 1}, {INT_MAX, INT_MAX, 2}});
  EXPECT_EQ(wide.Find(INT_MIN), 1);
  EXPECT_EQ(wide.Find(INT_MAX), 2);
  EXPECT_EQ(RangeCursor().Find(3), -1);
}

TEST(Selection, AgreesWithTheWalkOverTheItems) {
  static const char* const kPieces[] = {"1", "2-3", "a", "b", "a b", "", ",", ",", "\n", "1a", " 4", "x-1"};
  std::mt19937 rng(11);
  std::uniform_int_distribution<int> count(0, 8), piece(0, std::size(kPieces) - 1);
  const std::optional<std::string_view> names[] = {std::nullopt, "a", "b", "a b", "", "x", "1a"};
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    for (int n = count(rng); n > 0; --n) text += kPieces[piece(rng)];
    col::Selection selection(text);
    for (int entryno = 0; entryno <= 5; ++entryno) {
      for (const auto& name : names) {
        bool walk = false;
        for (const col::RangeItem& item : col::ParseRangeItems(text)) {
          walk = walk || (item.numeric ? item.Covers(entryno) : name && item.name == *name);
        }
        ASSERT_EQ(selection.Selects(entryno, name), walk)
            << "selection \"" << text << "\" entry " << entryno << " " << (name ? *name : "(unnamed)");
      }
    }
  }
}

}  // namespace
