#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "col_test_util.h"

using col_test::EntryOf;
using col_test::kSeq1;

namespace {

Entry WithText(std::vector<std::string> text) {
  Entry e = MakeEntry();
  e.text = std::move(text);
  e.text.push_back("; ----------\n");
  return e;
}

TEST(ReadColno, DeclarationsOrDefaults) {
  const Entry seq1 = EntryOf(kSeq1);
  const Entry bare = WithText({"; TYPE DNA\n"});
  const Entry odd = WithText({";COL 7seqpos\n", "; COL 2\n", "; col 3 alignpos\n", "; COL 5 SEQPOS\n",
                              "; COL 99999999999 residue\n", "; COL -4 code tail\n"});
  struct Case {
    const Entry& e;
    std::string label;
    int colno, colno_nd;
  } cases[] = {
      {seq1, "SEQPOS", 3, 3},   {seq1, "alignpos", 0, 0},  {seq1, "label", 1, 1},
      {bare, "aminoacid", 2, 0}, {bare, "Nucleotide", 2, 0}, {bare, "seqpos", 4, 0},
      {bare, "alignpos", 3, 0}, {bare, "align_bp", 5, 0},  {bare, "label", 1, 0},
      {bare, "residue", 0, 0},  {bare, "code", 0, 0},      {odd, "seqpos", 7, 7},
      {odd, "alignpos", 0, 0},  {odd, "residue", 0, 0},    {odd, "code", -4, -4},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReadColno(c.e, c.label), c.colno) << c.label;
    EXPECT_EQ(ReadColnoND(c.e, c.label), c.colno_nd) << c.label;
  }
}

TEST(Collabel, ReadAndChange) {
  Entry e = WithText({"; COL 3 seqpos trailing\n", "; COL 1000\n", "; COL 3 other\n"});
  std::string label = "unchanged";
  EXPECT_EQ(ReadCollabel(e, 1000, label), 1) << "needs a label";
  EXPECT_EQ(label, "unchanged");
  EXPECT_EQ(ReadCollabel(e, 3, label), 0);
  EXPECT_EQ(label, "seqpos");
  EXPECT_EQ(ChgCollabel(e, 3, "pos"), 0);
  EXPECT_EQ(ChgCollabel(e, 1000, "far"), 0);
  EXPECT_EQ(ChgCollabel(e, 9, "none"), 1);
  EXPECT_EQ(e.text[0], "; COL 3             pos\n");
  EXPECT_EQ(e.text[1], "; COL 1000           far\n");
}

TEST(RmvColno, EmptiesTheLineAndRenumbersLaterColumns) {
  Entry e = EntryOf(kSeq1);
  EXPECT_EQ(RmvColno(e, "residue"), 2);
  EXPECT_EQ(e.ntext(), 8);
  EXPECT_EQ(e.text[2], "");
  EXPECT_EQ(e.text[1], "; COL 1             label\n");
  EXPECT_EQ(e.text[3], "; COL 2             seqpos\n");
  EXPECT_EQ(RmvColno(e, "residue"), 0);
  EXPECT_EQ(ReadColno(e, "seqpos"), 2);
}

TEST(KeyedLines, ReadTextReadTypeReadVar) {
  const Entry seq1 = EntryOf(kSeq1);
  const Entry other = WithText({"TYPE RNA\n", "; TYPES xyz\n", "; TYPE DNA \n", ";  ENTRY   a b \r\n"});
  struct Case {
    const Entry& e;
    std::string key;
    std::size_t capacity;
    int result;
    std::string value;
  } cases[] = {
      {seq1, "LENGTH", 1000, 0, "3"},  {seq1, "ENTRY", 3, 0, "SE"},     {seq1, "entry", 1, 0, ""},
      {seq1, "MISSING", 1000, 1, "-"}, {other, "TYPE", 1000, 0, "S xyz"}, {other, "", 1000, 0, "TYPES xyz"},
      {other, "entry", 1000, 0, "a b \r"},
  };
  for (const auto& c : cases) {
    std::string value = "-";
    EXPECT_EQ(ReadText(c.e, c.key, c.capacity, value), c.result) << c.key;
    EXPECT_EQ(value, c.value) << c.key;
  }
  EXPECT_EQ(ReadType(seq1, "dna"), 1);
  EXPECT_EQ(ReadType(seq1, "DN"), 0);
  EXPECT_EQ(ReadType(WithText({"; TYPE              DNA \n"}), "DNA"), 0);
  EXPECT_EQ(ReadType(WithText({"TYPE DNA\n"}), "DNA"), 0);

  std::string word;
  EXPECT_EQ(ReadVar(seq1, "entry", word), 0);
  EXPECT_EQ(word, "SEQ1");
  EXPECT_EQ(ReadVar(seq1, "COL", word), 0);
  EXPECT_EQ(word, "1");
  EXPECT_EQ(ReadVar(seq1, "SEQ1", word), 1);
  EXPECT_EQ(ReadVar(seq1, "ENT", word), 1);
}

TEST(ChgEntryText, ReplacesTheValueKeepingKeyAndSpacing) {
  struct Case {
    std::string line, key, value, result;
  } cases[] = {
      {"; ENTRY             SEQ1\n", "ENTRY", "SEQ2", "; ENTRY             SEQ2\n"},
      {"; ENTRY             SEQ1\n", "ENT", "SEQ2", "; ENTSEQ2\n"},
      {";entry  a b c\r\n", "ENTRY", "x", ";entry  x\n"},
      {"; ENTRY   \n", "ENTRY", "x", "; ENTRY   x\n"},
      {"; ENTRY\r\n", "ENTRY", "x", "; ENTRY x\n"},
  };
  for (const auto& c : cases) {
    Entry e = WithText({"ENTRY no semicolon\n", c.line});
    EXPECT_EQ(ChgEntryText(e, c.key, c.value), 0) << c.line;
    EXPECT_EQ(e.text[0], "ENTRY no semicolon\n");
    EXPECT_EQ(e.text[1], c.result) << c.line;
  }
  Entry e = WithText({"ENTRY x\n"});
  EXPECT_EQ(ChgEntryText(e, "ENTRY", "y"), 1);
}

}  // namespace
