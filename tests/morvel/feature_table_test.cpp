#include "feature_table.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

using namespace morvel;

namespace {

// The FEATURE lines of a record of 100 positions with these feature-table
// lines after its source.
std::string FeatureLinesOf(std::string_view topology, std::string_view features) {
  std::string text = "LOCUS       REC   100 bp    DNA     " + std::string(topology) +
                     "   BCT 01-JAN-2000\nFEATURES             Location/Qualifiers\n"
                     "     source          1..100\n" +
                     std::string(features) + "ORIGIN\n        1 acgtacgtac\n//\n";
  FeatureTable table;
  GenBankReader reader({&table});
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = text.find('\n', at) + 1;
    EXPECT_TRUE(reader.scan_line(std::string_view(text).substr(at, end - at)));
    at = end;
  }
  EXPECT_TRUE(reader.ScanEnd());
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
  // Forms the shared records lack; they hold joins, other records and names.
  const Case cases[] = {
      {"fuzzy ends as their numbers", "linear",
       "     gene            (10.20)..30\n     gene            5..(28.30)\n     gene            complement(<60)\n",
       "gene + 10-30 .|gene + 5-30 .|gene - 60-60 ."},
      {"across the origin of a circular record", "circular",
       "     gene            95..5\n     gene            complement(95..5)\n",
       "gene + 95-100,1-5 .|gene - 1-5,95-100 ."},
      {"across the origin of a linear record", "linear", "     gene            95..5\n", ""},
      {"locations that do not read", "linear", "     gene            5933^5934\n     gene            one-of(1,2)..9\n",
       ""},
      {"names encoded", "linear",
       "     gene            1..2\n                     /gene=\"50% \"\"a\"\"\"\n"
       "     gene            1..2\n                     /gene=\"\"\n                     /product=\"caf\xc3\xa9\ttab\"\n",
       "gene + 1-2 50%25%20\"a\"|gene + 1-2 caf%C3%A9%09tab"},
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

}  // namespace
