#include "location.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

using namespace morvel;

namespace {

// "(s,e,c)" per range, "open" for an open start or end.
std::string Ranges(const std::vector<Range>& ranges) {
  std::string out;
  for (const Range& r : ranges) {
    out += '(';
    out += r.start == kOpenStart ? "open" : std::to_string(r.start);
    out += ',';
    out += r.end == kOpenEnd ? "open" : std::to_string(r.end);
    out += ',' + std::to_string(r.comp) + ')';
  }
  return out;
}

struct Query {
  int pos;
  int code;
};

struct Example {
  const char* text;
  const char* certain;
  const char* uncertain;
  std::vector<Query> queries;
};

TEST(Location, ParsesTheWorkedExamples) {
  const Example examples[] = {
      {"467", "(467,467,0)", "", {{467, 1}, {466, 0}}},
      {"100..200", "(100,200,0)", "", {{150, 1}, {201, 0}, {100, 1}, {200, 1}}},
      {"<1..>200", "(1,200,0)", "(open,0,0)(201,open,0)", {{900, 2}, {200, 1}}},
      {"(10.20)..300", "(20,300,0)", "(10,19,0)", {{15, 2}, {20, 1}}},
      {"100..(290.300)", "(100,290,0)", "(291,300,0)", {{295, 2}, {301, 0}}},
      {"(10.20)", "", "(10,10,0)(20,20,0)", {{15, 0}, {10, 2}, {20, 2}}},
      {"<100", "(open,100,0)", "", {{1, 1}, {101, 0}}},
      {">100", "(100,open,0)", "", {{900, 1}, {INT_MAX, 1}, {99, 0}}},
      {"join(10..20,30..40)", "(10,20,0)(30,40,0)", "", {{25, 0}, {35, 1}}},
      {"complement(join(10..20,30..40))", "(30,40,1)(10,20,1)", "", {{15, -1}, {25, 0}, {35, -1}}},
      {"join(complement(30..40),complement(10..20))", "(30,40,1)(10,20,1)", "",
       {{15, -1}, {25, 0}, {35, -1}}},
      {"complement(join(<1..20,30..>40))", "(30,40,1)(1,20,1)", "(41,open,1)(open,0,1)",
       {{41, -2}, {1, -1}}},
      {"join(10..20,complement(5..8))", "(10,20,0)(5,8,1)", "", {{6, -1}, {10, 1}}},
      {"complement(complement(5..9))", "(5,9,0)", "", {{5, 1}}},
      {"join(1..5,QQ000001.1:100..202)", "(1,5,0)", "", {{150, 0}}},
      {"join(1..2,,3..4)", "(1,2,0)(3,4,0)", "", {{3, 1}}},
      {"10..5", "(10,5,0)", "", {{10, 0}, {7, 0}}},
      {"order(1..2,5)", "(1,2,0)(5,5,0)", "", {{5, 1}}},
      {"complement(order(1..2,5))", "(5,5,1)(1,2,1)", "", {{5, -1}}},
      {"<1..200", "(1,200,0)", "(open,0,0)", {{1, 1}, {0, 0}}},
      {"join(,1..2)", "(1,2,0)", "", {}},
      {"complement()", "", "", {{1, 0}}},
      {"Complement(1..5)", "", "", {{3, 0}}},
      {"complement(join(10..20,abc))", "(10,20,1)", "", {}},
      {"complement(join(1..2,QQ1:5..6))", "(1,2,1)", "", {}},
      {"+5..-0", "(5,0,0)", "", {}},
      {"2147483647", "(2147483647,2147483647,0)", "", {{INT_MAX, 1}}},
  };
  for (const Example& e : examples) {
    SCOPED_TRACE(e.text);
    LocPtr loc = ReadLoc(e.text);
    ASSERT_NE(loc, nullptr);
    EXPECT_EQ(Ranges(loc->certain), e.certain);
    EXPECT_EQ(Ranges(loc->uncertain), e.uncertain);
    for (const Query& q : e.queries) EXPECT_EQ(InLoc(loc.get(), q.pos), q.code) << "at " << q.pos;
    FreeLoc(loc);
    EXPECT_EQ(loc, nullptr);
  }
}

TEST(Location, RejectsWhatIsNoLocation) {
  const char* texts[] = {
      // elements of no known form
      "100^101", "a..b", "10..", "..10", "gap(100)", "join(1 ..5)", "1.5", ">1..5", "1..<5",
      "(1.2", "(1.2)x", "<", "join(1..2,abc)", "complement(1..2x)",
      // missing closing parenthesis
      "join(10..20,30..40", "complement(10..20", "complement(join(10..20,30..40)",
      // text left over
      "100..200,300..400", "join(1..2))", "1..2)", "complement(join(1..2))x",
      // empty text
      "",
      // negative positions would collide with the open-end markers
      "5..-2", "-1..5", "<-1..5", "(1.-1)..5",
      // numbers beyond an int, and uncertain tails that would begin beyond one
      "2147483648", "1..99999999999999999999", "1..>2147483647", "1..(2147483647.2147483647)",
  };
  for (const char* text : texts) EXPECT_EQ(ReadLoc(text), nullptr) << text;
}

TEST(Location, DeepNestingFailsWithoutExhaustingTheStack) {
  for (const char* op : {"complement(", "join(", "order("}) {
    std::string text;
    for (int i = 0; i < 100000; ++i) text += op;
    EXPECT_EQ(ReadLoc(text), nullptr) << op;
  }
  // Well-formed but nested beyond the limit fails too; within it, it parses.
  auto nested = [](int depth) {
    std::string text;
    for (int i = 0; i < depth; ++i) text += "complement(";
    return text + "1..2" + std::string(depth, ')');
  };
  EXPECT_EQ(ReadLoc(nested(kMaxLocDepth + 1)), nullptr);
  LocPtr loc = ReadLoc(nested(kMaxLocDepth));
  ASSERT_NE(loc, nullptr);
  EXPECT_EQ(Ranges(loc->certain), kMaxLocDepth % 2 ? "(1,2,1)" : "(1,2,0)");
}

TEST(Location, RangeQueriesFindTheFirstOverlap) {
  struct Case {
    const char* text;
    int from, to, code;
  } cases[] = {
      {"100..200", 150, 300, 1},
      {"100..200", 201, 300, 0},
      {"100..200", 1, 100, 1},
      {">100", 50, 99, 0},
      {">100", 50, 100, 1},
      {"<100", 100, 500, 1},
      {"10..5", 1, 10, 1},  // an inverted range holds no position but overlaps
      {"complement(join(10..20,30..40))", 1, 100, -1},
      {"join(10..20,complement(5..8))", 1, 100, 1},
      {"join(10..20,complement(5..8))", 1, 9, -1},
      {"(10.20)..300", 12, 14, 2},
      {"complement(<5..20)", 1, 3, -2},
  };
  for (const Case& c : cases) {
    LocPtr loc = ReadLoc(c.text);
    ASSERT_NE(loc, nullptr) << c.text;
    EXPECT_EQ(InLocRange(loc.get(), c.from, c.to), c.code) << c.text << " " << c.from << ".." << c.to;
  }
}

TEST(Location, CertainBeatsUncertainAndTheFirstRangeDecides) {
  Loc loc;
  loc.uncertain.push_back(InitRange(1, 10, 0));
  loc.certain.push_back(InitRange(5, 6, 1));
  loc.certain.push_back(InitRange(1, 10, 0));
  EXPECT_EQ(InLoc(&loc, 5), -1);
  EXPECT_EQ(InLoc(&loc, 4), 1);
  EXPECT_EQ(InLocRange(&loc, 6, 7), -1);
}

TEST(Location, NullLocationIsNowhere) {
  EXPECT_EQ(InLoc(nullptr, 1), 0);
  EXPECT_EQ(InLocRange(nullptr, 1, 100), 0);
  EXPECT_EQ(PrintLoc(nullptr), "");
  LocPtr none;
  FreeLoc(none);
}

TEST(Location, PrintsBothLists) {
  LocPtr loc = ReadLoc("complement(join(<1..20,30..>40))");
  EXPECT_EQ(PrintLoc(loc.get()),
            "Certain:\n Comp: 30-40\n Comp: 1-20\nUncertain:\n Comp: 41-END\n Comp: START-0\n");
  loc = ReadLoc("<5");
  EXPECT_EQ(PrintLoc(loc.get()), "Certain:\n START-5\nUncertain:\n");
  EXPECT_EQ(PrintLoc(MakeLoc().get()), "Certain:\nUncertain:\n");
}

}  // namespace
