#include "feature_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>

using namespace morvel;

namespace {

// A record of 100 positions with the given feature-table lines.
std::string Record(std::string_view topology, std::string_view features) {
  std::string text = "LOCUS       REC   100 bp    DNA     ";
  text += topology;
  text += "   BCT 01-JAN-2000\nFEATURES             Location/Qualifiers\n";
  text += "     source          1..100\n                     /organism=\"x\"\n";
  text += features;
  text += "ORIGIN\n";
  for (int p = 1; p <= 100; p += 60) text += "        1 acgtacgtac\n";
  text += "//\n";
  return text;
}

void Scan(FeatureTable& table, const std::string& text) {
  GenBankReader reader({&table});
  std::string_view rest = text;
  while (!rest.empty()) {
    std::size_t end = rest.find('\n') + 1;
    ASSERT_TRUE(reader.scan_line(rest.substr(0, end)));
    rest.remove_prefix(end);
  }
  ASSERT_TRUE(reader.ScanEnd());
}

std::string FeatureLinesOf(std::string_view topology, std::string_view features) {
  FeatureTable table;
  Scan(table, Record(topology, features));
  return std::string(table.AllLines());
}

std::string Line(std::string_view rest) { return "; FEATURE           " + std::string(rest) + "\n"; }

struct Case {
  const char* what;
  const char* topology;
  const char* features;
  const char* lines;  // after "; FEATURE" and its blanks, "|" between lines
};

TEST(FeatureTable, LinesOfFeatureTables) {
  const Case cases[] = {
      {"complemented join in reading order", "linear", "     CDS             complement(join(10..20,30..40))\n",
       "CDS - 30-40,10-20 . codon_start=1 transl_table=1"},
      {"both strands", "linear", "     misc_feature    join(10..20,complement(5..8))\n", "misc_feature . 10-20,5-8 ."},
      {"other records left out", "linear",
       "     gene            join(1..5,QQ000001.1:100..202)\n     gene            QQ000002.1:1..5\n", "gene + 1-5 ."},
      {"fuzzy ends as their numbers", "linear",
       "     gene            (10.20)..30\n     gene            5..(28.30)\n     gene            <1..>50\n"
       "     gene            complement(<60)\n",
       "gene + 10-30 .|gene + 5-30 .|gene + 1-50 .|gene - 60-60 ."},
      {"across the origin of a circular record", "circular",
       "     gene            95..5\n     gene            complement(95..5)\n",
       "gene + 95-100,1-5 .|gene - 1-5,95-100 ."},
      {"across the origin of a linear record", "linear", "     gene            95..5\n", ""},
      {"locations that do not read", "linear", "     gene            5933^5934\n     gene            one-of(1,2)..9\n",
       ""},
      {"name order", "linear",
       "     gene            1..2\n                     /product=\"p\"\n                     /gene=\"g\"\n"
       "     gene            1..2\n                     /product=\"p\"\n                     /locus_tag=\"t\"\n"
       "     gene            1..2\n                     /label=lab\n                     /product=\"p\"\n"
       "     gene            1..2\n                     /gene=\"\"\n                     /product=\"p\"\n"
       "     gene            1..2\n                     /note=\"n\"\n",
       "gene + 1-2 g|gene + 1-2 t|gene + 1-2 lab|gene + 1-2 p|gene + 1-2 ."},
      {"names encoded", "linear",
       "     rRNA            1..2\n                     /product=\"16S ribosomal\n                     RNA\"\n"
       "     gene            1..2\n                     /gene=\"50% \"\"a\"\"\"\n"
       "     gene            1..2\n                     /gene=\"caf\xc3\xa9\ttab\"\n",
       "rRNA + 1-2 16S%20ribosomal%20RNA|gene + 1-2 50%25%20\"a\"|gene + 1-2 caf%C3%A9%09tab"},
      {"codon start in force and genetic code", "linear",
       "     CDS             1..9\n                     /codon_start=2\n                     /transl_table=11\n"
       "     CDS             20..28\n"
       "     CDS             30..38\n                     /codon_start=4\n                     /transl_table=x\n",
       "CDS + 1-9 . codon_start=2 transl_table=11|CDS + 20-28 . codon_start=2 transl_table=1|"
       "CDS + 30-38 . codon_start=1 transl_table=1"},
  };
  for (const Case& c : cases) {
    std::string want;
    std::string_view rest = c.lines;
    while (!rest.empty()) {
      std::size_t bar = rest.find('|');
      want += Line(rest.substr(0, bar));
      rest.remove_prefix(bar == std::string_view::npos ? rest.size() : bar + 1);
    }
    EXPECT_EQ(FeatureLinesOf(c.topology, c.features), want) << c.what;
  }
}

TEST(FeatureTable, OverlappingLinesAcrossBlocks) {
  // More features than one block holds, one position each, and one feature
  // over everything: a region gets exactly the lines that touch it.
  std::string features = "     gene            1..100\n";
  for (int p = 1; p <= 90; ++p) features += "     gene            " + std::to_string(p) + "\n";
  FeatureTable table;
  Scan(table, Record("linear", features));
  for (auto [lo, hi] : {std::pair{1, 1}, {33, 40}, {64, 64}, {90, 95}, {91, 100}}) {
    std::string want = Line("gene + 1-100 .");
    for (int p = lo; p <= std::min(hi, 90); ++p) want += Line("gene + " + std::to_string(p) + "-" + std::to_string(p) + " .");
    std::string got;
    table.AppendOverlapping(got, lo, hi);
    EXPECT_EQ(got, want) << lo << "-" << hi;
  }
}

}  // namespace
