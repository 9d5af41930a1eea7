#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "col_test_util.h"

using col_test::EntryOf;
using col_test::kSeq1;

namespace {

Entry WithLines(std::vector<std::string> lines) {
  Entry e = NewEntry("DNA", "x", 0);
  e.line = std::move(lines);
  return e;
}

TEST(ChgField, KeepsTheRowAligned) {
  struct Case {
    std::string line;
    int field;
    std::string text, result;
  } cases[] = {
      {"    A    1.000\n", 2, "0.500", "    A    0.500\n"},
      {"    A    1.000\n", 2, "12.346", "    A   12.346\n"},
      {"    A    1.000\n", 2, "7", "    A        7\n"},
      {"A 1.000\n", 2, "-0.500", "A -0.500\n"},
      {"N     A     1\n", 2, "long", "N  long     1\n"},
      {"N     A     1\n", 2, "longer", "N longer     1\n"},
      {"N     A     1\n", 1, "X", " X     A     1\n"},
      {"N     A     1\n", 0, "X", " X     A     1\n"},
      {"N     A     1\n", -3, "XY", " XY     A     1\n"},
      {"N\tA\t1\r\n", 3, "22", "N\tA 22\r\n"},
  };
  for (const auto& c : cases) {
    Entry e = WithLines({c.line});
    EXPECT_EQ(ChgField(e, 1, c.field, "%s", c.text.c_str()), 0) << c.line << c.text;
    EXPECT_EQ(e.line[0], c.result);
  }
}

TEST(FieldOps, MissingFieldsLeaveTheLineAlone) {
  Entry e = WithLines({"\n", "N     A     1\n"});
  std::string_view out = "untouched";
  testing::internal::CaptureStderr();
  EXPECT_EQ(GetField(out, e, 1, 1), 1);
  EXPECT_EQ(ChgField(e, 1, 1, "x"), 1);
  EXPECT_EQ(GetField(out, e, 2, 4), 1);
  EXPECT_EQ(ChgFieldText(e, 2, 7, "x"), 1);
  EXPECT_EQ(RmvField(e, 2, 4), 1);
  EXPECT_EQ(GetField(out, e, 9, 1), 1);  // no such line
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Column does not exist 1\nColumn does not exist 1\nColumn does not exist 4\n"
            "Column does not exist 7\nColumn does not exist 1\n");
  EXPECT_EQ(out, "untouched");
  EXPECT_EQ(e.line, (std::vector<std::string>{"\n", "N     A     1\n"}));
}

TEST(FieldOps, CountGetAddRemove) {
  Entry e = WithLines({"N     A     1\n", "\n", "  A  B  C\n", "A B\n"});
  EXPECT_EQ(CountField(e, 1), 3);
  EXPECT_EQ(CountField(e, 2), 0);
  std::string_view f;
  ASSERT_EQ(GetField(f, e, 1, 3), 0);
  EXPECT_EQ(f, "1");
  ASSERT_EQ(GetField(f, e, 1, 0), 0);
  EXPECT_EQ(f, "N");
  EXPECT_EQ(AddField(e, 1, "%5.3f", 1.0), 4);
  EXPECT_EQ(e.line[0], "N     A     1 1.000\n");
  EXPECT_EQ(AddField(e, 2, "%s", "x"), 1);
  EXPECT_EQ(e.line[1], " x\n");
  EXPECT_EQ(RmvField(e, 3, 2), 0);
  EXPECT_EQ(e.line[2], "  A  C\n");
  EXPECT_EQ(RmvField(e, 4, 1), 0);
  EXPECT_EQ(e.line[3], " B\n");
}

TEST(FieldOps, NewAndChangedFieldsStayBeforeTheLineEnd) {
  // A CR LF line keeps its CR LF end with the fields before it; the same
  // edits of an LF line give the same text with an LF end.
  struct Case {
    std::string line;
    int field;  // 0: AddField
    std::string text, result;
  } cases[] = {
      {"N     a     1\n", 0, "1.000", "N     a     1 1.000\n"},
      {"\n", 0, "x", " x\n"},
      {"", 0, "x", " x\n"},  // an emptied line
      {"N     a 1.000\n", 3, "0.500", "N     a 0.500\n"},
      {"N     a 1.000\n", 3, "12.346", "N     a 12.346\n"},
      {"N     a 1.000\n", 1, "X", " X     a 1.000\n"},
      {"N a 1 \t\n", 3, "22", "N a 22 \t\n"},
  };
  for (const auto& c : cases) {
    for (bool crlf : {false, true}) {
      auto ended = [&](std::string s) {
        return crlf && s.ends_with('\n') ? s.substr(0, s.size() - 1) + "\r\n" : s;
      };
      std::string line = c.line.empty() ? "" : ended(c.line);
      Entry e = WithLines({line});
      if (c.field == 0) {
        int count = AddField(e, 1, "%s", c.text.c_str());
        EXPECT_EQ(count, CountField(e, 1)) << line;
      } else {
        EXPECT_EQ(ChgField(e, 1, c.field, "%s", c.text.c_str()), 0) << line;
      }
      EXPECT_EQ(e.line[0], c.line.empty() ? c.result : ended(c.result)) << line;
    }
  }
  // The colourer's first line: columns made, then one of them set.
  Entry e = WithLines({"N     a     1\r\n"});
  e.text = {"; COL 3 seqpos\r\n", "; ----------\r\n"};
  for (const char* label : {"color_r", "color_g", "color_b"}) EnsureCol(e, label, "1.000");
  ChgField(e, 1, 5, "%5.3f", 0.0);
  EXPECT_EQ(e.line[0], "N     a     1 1.000 0.000 1.000\r\n");
}

TEST(FieldOps, FormattedTextHasNoLengthLimit) {
  Entry e = WithLines({"A 1\n"});
  std::string big(5000, 'q');
  EXPECT_EQ(ChgField(e, 1, 2, "%s", big.c_str()), 0);
  EXPECT_EQ(e.line[0], "A " + big + "\n");
  EXPECT_EQ(AddField(e, 1, "%s%s", big.c_str(), big.c_str()), 3);
  EXPECT_EQ(e.line[0].size(), 2 + 5000 + 1 + 10000 + 1u);
}

TEST(FieldOps, TextFromTheSameLine) {
  Entry e = WithLines({"a bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb c\n"});
  std::string_view b;
  ASSERT_EQ(GetField(b, e, 1, 2), 0);
  EXPECT_EQ(ChgFieldText(e, 1, 1, b), 0);
  EXPECT_EQ(e.line[0], " bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb c\n");
}

TEST(Lines, RemoveCompareAndRange) {
  Entry a = EntryOf(kSeq1), b = EntryOf(kSeq1);
  RmvLine(a, 2);
  EXPECT_EQ(EntryLength(a), 3);
  EXPECT_EQ(LineAddress(a, 2), "");
  EXPECT_NE(CmpLine(a, b, 2), 0);
  EXPECT_EQ(col_test::Printed([&](Output& out) { PrintEntryLines(out, a); }), "N     a     1\nN     g     3\n");
  for (int n : {-1, 0, 4}) EXPECT_EQ(InSeq(a, n), 0) << n;
  for (int n : {1, 3}) EXPECT_EQ(InSeq(a, n), 1) << n;
}

TEST(Columns, EnsureAndRemove) {
  Entry e = EntryOf(kSeq1);
  EXPECT_EQ(EnsureCol(e, "color_r", "1.000"), 4);
  EXPECT_EQ(EnsureCol(e, "color_g", "1.000"), 5);
  EXPECT_EQ(EnsureCol(e, "COLOR_R", "9.999"), 4);
  EXPECT_EQ(e.text[4], "; COL 4             color_r\n");
  EXPECT_EQ(e.text[5], "; COL 5             color_g\n");
  EXPECT_EQ(e.text[6], "; ENTRY             SEQ1\n");
  EXPECT_EQ(e.line[2], "N     g     3 1.000 1.000\n");

  EXPECT_EQ(RmvCol(e, "residue"), 2);
  EXPECT_EQ(RmvCol(e, "residue"), 0);
  EXPECT_EQ(e.line[0], "N     1 1.000 1.000\n");
  EXPECT_EQ(ReadColnoND(e, "color_g"), 4);

  Entry bodiless = NewEntry("DNA", "x", 0);
  EXPECT_EQ(EnsureCol(bodiless, "color_r", "1.000"), 0);
  EXPECT_EQ(bodiless.text[1], "; COL 0             color_r\n");
}

TEST(NextField, StepsAndStopsPastTrailingWhiteSpace) {
  // A scan that finds no field still moves past the white space it skipped,
  // so that scanning on from there does not walk it again.
  struct Case {
    std::string line;
    std::size_t from;
    bool found;
    std::string field;
    std::size_t pos;
  } cases[] = {
      {"  ab c\n", 0, true, "ab", 4},  {"  ab c\n", 4, true, "c", 6},
      {"  ab c\n", 6, false, "-", 7},  {"x" + std::string(50, ' '), 1, false, "-", 51},
      {"x \r\n", 1, false, "-", 4},    {"", 0, false, "-", 0},
      {"x", 1, false, "-", 1},          {"a\tb", 1, true, "b", 3},
  };
  for (const auto& c : cases) {
    std::size_t pos = c.from;
    std::string_view field = "-";
    EXPECT_EQ(NextField(c.line, pos, field), c.found) << c.line << c.from;
    EXPECT_EQ(field, c.field) << c.line << c.from;
    EXPECT_EQ(pos, c.pos) << c.line << c.from;
  }
}

TEST(ParseInt, ReadsLikeAtoiWithoutOverflow) {
  struct Case {
    std::string text;
    int value;
  } cases[] = {{"12", 12},          {"-7x", -7},          {"+3", 3},  {".", 0}, {"", 0}, {"abc", 0},
               {"2147483647", INT_MAX}, {"99999999999999999999", INT_MAX}, {"-2147483648", INT_MIN},
               {"-99999999999", INT_MIN}};
  for (const auto& c : cases) EXPECT_EQ(ParseInt(c.text), c.value) << c.text;
}

}  // namespace
