#include "genbank.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <memory>
#include <string>

#include "reports.h"
#include "writer.h"

using namespace col;
using namespace morvel;

namespace {

// The reader with the col writer and the reports, whose output goes to a
// temporary file.
struct CloseFile {
  void operator()(FILE* f) const { std::fclose(f); }
};

struct Feeder {
  Options opt;
  std::unique_ptr<FILE, CloseFile> file{std::tmpfile()};  // outlives `out`
  Output out{file.get()};
  ColWriter writer{opt, out};
  Reports reports{opt, out};
  GenBankReader reader{{&reports, &writer}};

  // Feeds the lines of `text`; false as soon as the reader fails.
  bool Feed(const std::string& text) {
    std::size_t at = 0;
    while (at < text.size()) {
      std::size_t nl = text.find('\n', at);
      std::size_t end = nl == std::string::npos ? text.size() : nl + 1;
      if (!reader.scan_line(std::string_view(text).substr(at, end - at))) return false;
      at = end;
    }
    return true;
  }
  const Locus& GetLocus() const { return writer.GetLocus(); }
};

const std::string kLocus = "LOCUS       REC 12 bp DNA linear\n";

TEST(GenBankReader, LocusLine) {
  // A failure names its reason; `text` is the name, or a word of the reason.
  struct Case {
    const char* line;
    bool ok;
    const char* text;
    int length;
    bool protein;
  } cases[] = {
      {"LOCUS       A 12 bp DNA\n", true, "A", 12, false},
      {"LOCUS       P 375 aa            linear   BCT\n", true, "P", 375, true},
      {"LOCUS       P 182 AA linear\n", true, "P", 182, true},
      {"LOCUS       A 12 bp\n", false, "fewer than four words", 0, false},
      {"LOCUS\n", false, "without a name and a length", 0, false},
      {"LOCUS       A\n", false, "without a name and a length", 0, false},
      {"LOCUS       A abc bp DNA\n", false, "'abc' where the length", 0, false},
      {"LOCUS       KC619530_7721 bp    DNA     circular SYN\n", false, "'bp' where the length", 0, false},
      {"LOCUS       KC619530_7721 bp    DNA\n", false, "'bp' where the length", 0, false},
      {"LOCUS       6497 bp DNA linear\n", false, "without a name (its first word, '6497'", 0, false},
      {"LOCUS       KC619530_7721 aa PROTEIN\n", false, "name 'KC619530_7721' runs into it", 0, false},
      {"LOCUS       A + bp DNA\n", false, "readable length", 0, false},
      {"LOCUS       A 12x bp DNA\n", true, "A", 12, false},
      {"LOCUS       A +7 bp DNA\n", true, "A", 7, false},
      {"LOCUS       A 0 bp DNA\n", true, "A", 0, false},
      {"LOCUS       A -5 bp DNA\n", true, "A", 0, false},
      {"LOCUS       A -99999999999999999999 bp DNA\n", true, "A", 0, false},
      {"LOCUS       A 2147483647 bp DNA\n", true, "A", INT_MAX, false},
      {"LOCUS       A 2147483648 bp DNA\n", false, "beyond 2147483647", 0, false},
      {"LOCUS       A 99999999999999999999 bp DNA\n", false, "beyond", 0, false},
      {"LOCUS\tA\t3\tbp\tDNA\r\n", true, "A", 3, false},
  };
  for (const auto& c : cases) {
    Record record;
    record.length = -1;
    std::string reason;
    ASSERT_EQ(ReadLocusLine(c.line, record, reason), c.ok) << c.line;
    if (c.ok) {
      EXPECT_EQ(record.name, c.text) << c.line;
      EXPECT_EQ(record.length, c.length) << c.line;
      EXPECT_EQ(record.protein, c.protein) << c.line;
    } else {
      EXPECT_NE(reason.find(c.text), std::string::npos) << c.line << reason;
    }
  }
  std::string long_name(5000, 'N'), reason;
  Record record;
  ASSERT_TRUE(ReadLocusLine("LOCUS " + long_name + " 1 bp DNA\n", record, reason));
  EXPECT_EQ(record.name, long_name);
}

TEST(GenBankReader, AccessionGathering) {
  const std::string big(9895, 'A');
  struct Case {
    std::string lines;
    std::string accession;
  } cases[] = {
      {"ACCESSION   A1 A2\n            A3\nVERSION     A1.1\n", "A1_A2_A3"},
      {"ACCESSION   A1\nACCESSION   B2\n", "B2"},
      {"ACCESSION\n", ""},               // ends before index 12
      {"ACCESSION   X1\r\n", "X1"},      // no CR of a CRLF line end
      {"ACCESSION   X1 X2\r\n            X3\r\n", "X1_X2_X3"},
      {"ACCESSION   X\r1\n", "X\r1"},     // bytes kept as read
      // Lines stop being added once more than 9899 characters are held, but
      // a line that starts below the limit is added whole.
      {"ACCESSION   " + big + "\n            BCDEFGH\n            IJ\n", big + "_BCDEFGH"},
  };
  for (const auto& c : cases) {
    Feeder run;
    ASSERT_TRUE(run.Feed(kLocus + c.lines + "ORIGIN\n"));
    EXPECT_EQ(run.reader.GetRecord().accession, c.accession) << c.lines;
  }
}

TEST(GenBankReader, AccessionOfRecordWithoutOne) {
  Feeder run;
  ASSERT_TRUE(run.Feed(kLocus + "//\n"));
  EXPECT_EQ(run.reader.GetRecord().accession, "");
  ASSERT_TRUE(run.Feed(kLocus + "ACCESSION   LONGERNAME\n//\n" + kLocus + "ACCESSION   B\n//\n" + kLocus));
  EXPECT_EQ(run.reader.GetRecord().accession, "B");  // nothing left of the longer text before it
}

TEST(GenBankReader, LocationOverContinuationLines) {
  Feeder run;
  const std::string feature =
      "     CDS             join(1..3,\n"
      "                     5..7,\n"
      "                     10..12)\n";
  ASSERT_TRUE(run.Feed(kLocus + "FEATURES             Location/Qualifiers\n" + feature +
                       "                     /codon_start=2\n"));
  const Feature& open = run.reader.GetFeature();
  EXPECT_EQ(open.key, "CDS");
  EXPECT_EQ(run.reader.GetLoctext(), "join(1..3,5..7,10..12)");
  EXPECT_EQ(open.text, feature);
  ASSERT_NE(open.loc, nullptr);
  EXPECT_EQ(open.loc->certain.size(), 3u);
  ASSERT_TRUE(run.Feed("ORIGIN\n"));  // closes the feature
  EXPECT_EQ(run.writer.CodonStart(), 2);
}

TEST(GenBankReader, LongLocationOverManyLinesPaintsAsOnOneLine) {
  // 2,000 ranges: one continuation line each, or all on the feature line.
  const int ranges = 2000, length = 4 * ranges;
  std::string one_line = "join(", lines = "join(\n";
  for (int i = 0; i < ranges; ++i) {
    std::string range = std::to_string(4 * i + 1) + ".." + std::to_string(4 * i + 2) + (i + 1 < ranges ? "," : ")");
    one_line += range;
    lines += "                     " + range + "\n";
  }
  std::string painted[2];
  std::vector<int> codons[2];
  for (int form = 0; form < 2; ++form) {
    Feeder run;
    run.opt.gene = true;
    ASSERT_TRUE(run.Feed("LOCUS       R " + std::to_string(length) + " bp DNA\nFEATURES             Location/Qualifiers\n" +
                         "     exon            " + (form == 0 ? one_line + "\n" : lines) + "     CDS             " +
                         (form == 0 ? one_line + "\n" : lines) + "ORIGIN\n"));
    painted[form] = run.GetLocus().region + run.GetLocus().strand;
    for (int p = 0; p < length; ++p) codons[form].push_back(run.GetLocus().codonpos.At(p));
  }
  EXPECT_EQ(painted[0].substr(0, 8), "EE..EE..");
  EXPECT_EQ(std::count(painted[0].begin(), painted[0].end(), 'E'), 2 * ranges);
  EXPECT_EQ(painted[1], painted[0]);
  EXPECT_EQ(codons[0][length - 3], 2 * ranges % 3 == 0 ? 3 : 2 * ranges % 3);
  EXPECT_EQ(codons[1], codons[0]);
}

TEST(GenBankReader, OddFeatureLines) {
  Feeder run;
  run.opt.gene = true;
  // A line too short to hold a key is a qualifier line: the CDS stays open.
  ASSERT_TRUE(run.Feed(kLocus + "FEATURES             Location/Qualifiers\n     CDS             1..2\n" +
                       "                     /note=\"a\"\n   \n"));
  EXPECT_EQ(run.reader.GetFeature().key, "CDS");
  EXPECT_EQ(run.GetLocus().codonpos.At(0), 0);  // not yet painted
  // A feature line without a location closes it and opens a feature that
  // paints nothing.
  ASSERT_TRUE(run.Feed("     exon\n                     /note=\"x\"\nORIGIN\n"));
  EXPECT_EQ(run.GetLocus().codonpos.At(1), 2);
  EXPECT_EQ(run.GetLocus().region, std::string(12, '.'));
}

TEST(GenBankReader, CodonStartQualifier) {
  struct Case {
    const char* line;
    int codonstart;
  } cases[] = {
      {"                     /codon_start=2\n", 2},  {"                     /codon_start= 3\n", 3},
      {"                     /codon_start=x\n", 1},  {"                     /codon_start=99999999999\n", 1},
      {"                     /codon_start=-4\n", -4}, {"                     /note=\"/codon_start=2\"\n", 1},
  };
  for (const auto& c : cases) {
    Feeder run;
    ASSERT_TRUE(run.Feed(kLocus + "FEATURES             Location/Qualifiers\n     CDS             1..3\n" + c.line));
    ASSERT_TRUE(run.Feed("ORIGIN\n"));  // closes the CDS
    EXPECT_EQ(run.writer.CodonStart(), c.codonstart) << c.line;
    EXPECT_EQ(run.reports.Position().codonstart, c.codonstart) << c.line;
    ASSERT_TRUE(run.Feed("//\n" + kLocus));
    EXPECT_EQ(run.writer.CodonStart(), 1);  // reset at each record
    EXPECT_EQ(run.reports.Position().codonstart, 1);
  }
}

TEST(GenBankReader, SequenceLetters) {
  Feeder run;
  run.opt.info = true;  // beside the entries, as the tests can ask
  run.opt.infopos = 5;
  std::string long_line = "        1 " + std::string(10000000, 'g') + "\n";
  ASSERT_TRUE(run.Feed("LOCUS       R 6 bp DNA\nORIGIN\n        1 ac Gt\tn\r\n"));
  EXPECT_EQ(run.GetLocus().residue, "acGtn-");
  EXPECT_EQ(std::string(run.reports.Position().window, 5), "Gtn--");
  ASSERT_TRUE(run.Feed(long_line));  // letters beyond the length are dropped
  EXPECT_EQ(run.GetLocus().residue, "acGtng");
  EXPECT_EQ(std::string(run.reports.Position().window, 5), "Gtngg");
}

TEST(GenBankReader, MakesOnlyTheTracksTheOutputReads) {
  const std::string locus = "LOCUS       REC 100 bp DNA\n";
  Feeder run;
  ASSERT_TRUE(run.Feed(locus));
  EXPECT_EQ(run.GetLocus().residue, std::string(100, '-'));
  EXPECT_TRUE(run.GetLocus().region.empty());  // only with gene
  EXPECT_EQ(run.GetLocus().codonpos.size(), 0u);  // only with gene
  EXPECT_TRUE(run.GetLocus().plusmark.empty());  // only with annotate
  ASSERT_TRUE(run.Feed("//\n"));
  run.opt.annotate = run.opt.gene = true;
  ASSERT_TRUE(run.Feed(locus));
  EXPECT_EQ(run.GetLocus().minusmark, std::string(100, '.'));
  EXPECT_EQ(run.GetLocus().region, std::string(100, '.'));
  EXPECT_EQ(run.GetLocus().codonpos.cells, std::vector<signed char>(100, 0));
  ASSERT_TRUE(run.Feed("//\n"));
  ASSERT_TRUE(run.Feed("//\n"));
  ASSERT_TRUE(run.Feed("LOCUS       SHORT 3 bp DNA\n"));
  EXPECT_EQ(run.GetLocus().residue, "---") << "a later record starts afresh in the reused storage";
  EXPECT_EQ(run.GetLocus().strand, "...");
}

}  // namespace

namespace {

TEST(GenBankReader, AnnotateKeysMatchWholeAndCaseSensitively) {
  std::string many;
  for (int i = 0; i < 20000; ++i) many += "key" + std::to_string(i) + ",";
  const struct {
    std::string keys;
    const char* plusmark;
  } cases[] = {
      {many + "cds,CDS ,CD,exon", "...OOO.."},
      {many + "cds,CDS", "OOOOOO.."},
      {"CDS", "OOOOOO.."},
      {",", "........"},
  };
  for (const auto& c : cases) {
    Feeder run;
    run.opt.annotate = true;
    run.opt.AddKeys(c.keys);
    ASSERT_TRUE(run.Feed("LOCUS       R 8 bp DNA\nFEATURES             Location/Qualifiers\n"
                         "     CDS             1..6\n     exon            4..6\nORIGIN\n"));
    EXPECT_EQ(run.GetLocus().plusmark, c.plusmark) << c.keys.substr(c.keys.size() - 20);
  }
}

}  // namespace
