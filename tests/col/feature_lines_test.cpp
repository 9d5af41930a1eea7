#include "feature_lines.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using col::FeatureLine;

std::string Ranges(const FeatureLine& f) {
  std::string out;
  for (const auto& r : f.ranges) out += std::to_string(r.first) + "-" + std::to_string(r.last) + ";";
  return out;
}

TEST(FeatureLines, ReadWhatIsWrittenAndRefuseTheRest) {
  struct Case {
    const char* line;
    bool reads;
    const char* key = "";
    char strand = '.';
    const char* ranges = "";
    const char* name = "";
    int codon_start = 0, transl_table = 0;
  } cases[] = {
      {"; FEATURE           CDS + 81-200,301-468 sam1 codon_start=1 transl_table=11\n", true, "CDS", '+',
       "81-200;301-468;", "sam1", 1, 11},
      {"; FEATURE           gene - 596-596 . \r\n", true, "gene", '-', "596-596;", ".", 0, 0},
      {";FEATURE tRNA . 5-9,1-3 trnH%20(GUG)%25%e9 later=words", true, "tRNA", '.', "5-9;1-3;",
       "trnH (GUG)%\xe9", 0, 0},
      {"; FEATURE           CDS + 1-3 x codon_start=4", false},
      {"; FEATURE           CDS + 3-1 x", false},
      {"; FEATURE           CDS + 0-1 x", false},
      {"; FEATURE           CDS + 1-2, x", false},
      {"; FEATURE           CDS * 1-2 x", false},
      {"; FEATURE           CDS + 1-2", false},
      {"; FEATURES          CDS + 1-2 x", false},
      {"; FEATURE           CDS + 1-99999999999999999999 x", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    FeatureLine f;
    ASSERT_EQ(col::ReadFeatureLine(c.line, f), c.reads);
    if (!c.reads) continue;
    EXPECT_EQ(f.key, c.key);
    EXPECT_EQ(f.strand, c.strand);
    EXPECT_EQ(Ranges(f), c.ranges);
    EXPECT_EQ(f.name, c.name);
    EXPECT_EQ(f.codon_start, c.codon_start);
    EXPECT_EQ(f.transl_table, c.transl_table);
  }
}

TEST(FeatureLines, WrittenLinesReadBack) {
  FeatureLine f{"CDS", '-', {{10, 20}, {1, 5}}, "ycf 1%\t\x01", 2, 0};
  std::string line;
  col::AppendFeatureLine(line, f);
  EXPECT_EQ(line, "; FEATURE           CDS - 10-20,1-5 ycf%201%25%09%01 codon_start=2 transl_table=1\n");
  FeatureLine back;
  ASSERT_TRUE(col::ReadFeatureLine(line, back));
  EXPECT_EQ(back.name, f.name);
  EXPECT_EQ(Ranges(back), Ranges(f));
  EXPECT_EQ(col::ReadFeatureLines({"; TYPE              DNA\n", line, "; FEATURE x\n", line}).size(), 2u);
}

}  // namespace
