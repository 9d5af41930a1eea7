#include "trasply.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "out_of_memory.h"

using namespace col;
using namespace trasply;

namespace {

// The rows that TransposeBody writes for an entry of the given text and body.
std::string Rows(std::vector<std::string> text, std::vector<std::string> body) {
  Entry e = MakeEntry();
  e.text = std::move(text);
  e.text.push_back("; ----------\n");
  e.line = std::move(body);
  e.end = "; **********\n";
  FILE* file = std::tmpfile();
  std::vector<LineColumn> columns;
  {
    Output out(file);
    TransposeBody(e, columns, out);
    out.Flush();
  }
  std::rewind(file);
  std::string rows;
  for (int c; (c = std::fgetc(file)) != EOF;) rows += static_cast<char>(c);
  std::fclose(file);
  return rows;
}

TEST(TransposeBody, NumbersResiduesAndRows) {
  EXPECT_EQ(Rows({"; COL 1 label\n", "; COL 2 residue\n", "; COL 3 seqpos\n", "; COL 4 alignpos\n"},
                 {"2 N N N N N\n", "6 A C - G T\n", "6\n", "6\n"}),
            " N     A     1     1\n"
            " N     C     2     2\n"
            " N     -     .     3\n"
            " N     G     3     4\n"
            " N     T     4     5\n");
}

TEST(TransposeBody, ResidueLabelsInOrderOfPreference) {
  // residue wins over nucleotide, aminoacid and code
  EXPECT_EQ(Rows({"; COL 1 code\n", "; COL 2 residue\n", "; COL 3 seqpos\n"}, {"2 - a\n", "2 a -\n", "2\n"}),
            " - a 1\n a - .\n");
  EXPECT_EQ(
      Rows({"; COL 1 code\n", "; COL 2 aminoacid\n", "; COL 3 seqpos\n"}, {"2 - a\n", "2 a -\n", "2\n"}),
      " - a 1\n a - .\n");
  EXPECT_EQ(Rows({"; COL 1 code\n", "; COL 2 x\n", "; COL 3 seqpos\n"}, {"2 - a\n", "2 a -\n", "2\n"}),
            " - a .\n a - 1\n");
}

TEST(TransposeBody, SameLineForSeqposAndAlignpos) {
  // With values the line is no longer the alignpos line but stays the seqpos
  // line, whose positions are generated.
  EXPECT_EQ(Rows({"; COL 1 residue\n", "; COL 2 seqpos\n", "; COL 2 alignpos\n"}, {"2 a c\n", "3 7 8\n"}),
            " a  1\n c  2\n");
}

TEST(TransposeBody, LinesOutsideTheBodyDoNotCount) {
  // A residue line beyond the body gives no rows; nothing is read past it.
  EXPECT_EQ(Rows({"; COL 5 residue\n"}, {"2 a c\n"}), "");
  EXPECT_EQ(Rows({"; COL 1 alignpos\n"}, {"3\n"}), "");
  EXPECT_EQ(Rows({"; COL 1 residue\n", "; COL 9 seqpos\n"}, {"2 a c\n"}), " a\n c\n");
}

TEST(TransposeBody, WidthsAndPadding) {
  // Widths carry a sign and stop at the first other character; text and
  // numbers beyond an int read 0. A negative width aligns to the left.
  EXPECT_EQ(Rows({"; COL 1 residue\n", "; COL 2 x\n"}, {"+3x a\n", "abc 7\n"}), "  a 7\n");
  EXPECT_EQ(Rows({"; COL 1 residue\n", "; COL 2 x\n"}, {"-3 a\n", "2147483648 7\n"}), " a    7\n");
  // Values far wider than the output buffer's small-field path.
  std::string wide(5000, 'w');
  EXPECT_EQ(Rows({"; COL 1 residue\n"}, {"6000 " + wide + "\n"}), " " + std::string(999, ' ') + wide + "\n");
  EXPECT_EQ(Rows({"; COL 1 residue\n"}, {"-6000 " + wide + "\n"}),
            " " + wide + std::string(1001, ' ') + "\n");
}

TEST(TransposeBody, LinesWithoutNewlineOrWithNul) {
  std::string nul("2 a\0b c\n", 8);
  EXPECT_EQ(Rows({"; COL 1 residue\n", "; COL 2 x\n"}, {nul, "3 1 2"}), std::string(" a\0b  1\n c  2\n", 14));
}

TEST(TransposeBody, CrlfLinesGiveTheRowsOfLfLines) {
  // The CR is white space: never part of a value, a width or a row.
  const std::vector<std::string> text = {"; COL 1 label\n", "; COL 2 residue\n", "; COL 3 seqpos\n",
                                         "; COL 4 alignpos\n", "; COL 5 x\n"};
  const std::vector<std::vector<std::string>> bodies = {
      {"2 N N N\n", "6 A - G\n", "6\n", "6\n", "3 p q\n"},
      {"2 N N N   \n", "6 A - G\n", "6 1 . 2\n", "6\n", "3\n"},
      {"2\n", "6\n", "6\n", "6\n", "3\n"},
  };
  for (const auto& body : bodies) {
    std::vector<std::string> crlf;
    for (const std::string& line : body) crlf.push_back(line.substr(0, line.size() - 1) + "\r\n");
    std::string rows = Rows(text, crlf);
    EXPECT_EQ(rows, Rows(text, body)) << body[0];
    EXPECT_EQ(rows.find('\r'), std::string::npos) << body[0];
  }
}

}  // namespace

TEST(TrasplyMain, OutOfMemoryIsReported) { ExpectOutOfMemory(trasply::Main, "trasply"); }
