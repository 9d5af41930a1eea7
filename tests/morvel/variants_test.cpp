#include "variants.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "protein.h"
#include "vcf.h"

using namespace morvel;

namespace {

using col::Input;
using col::Output;

// One record of 120 bases. Its codons, read on each CDS's strand:
//   CDS 1..12 (LT1, under gene 1..12 and misc_feature 5..8): atg ttt gga taa
//   CDS 16..27, table 4: ttg aaa tga taa (TTG starts, TGA is W)
//   CDS 31..39, table 11: gtg cat tga (GTG starts)
//   CDS complement(43..54) (LT4): atg aaa cag taa, codon 1 at 54..52
//   CDS <55..>66, codon_start 2: c | atg gct taa | ag
//   CDS <67..78, codon_start 3: gg | tgg aaa tag | c
//   CDS join(79..83,90..96): atg aa+a ccc taa, codon 2 at 82, 83, 90
//   CDS complement(join(97..101,108..114)): atg aaa c+cc taa, codon 3 at
//   108, 101, 100
const char kRecord[] =
    "LOCUS       RECA                     120 bp    DNA     linear   SYN 01-JAN-2000\n"
    "ACCESSION   AC000001\n"
    "VERSION     AC000001.3\n"
    "FEATURES             Location/Qualifiers\n"
    "     source          1..120\n"
    "     gene            1..12\n"
    "                     /gene=\"geneA\"\n"
    "     CDS             1..12\n"
    "                     /gene=\"geneA\"\n"
    "                     /locus_tag=\"LT1\"\n"
    "     misc_feature    5..8\n"
    "                     /note=\"site\"\n"
    "     CDS             16..27\n"
    "                     /gene=\"cds2\"\n"
    "                     /transl_table=4\n"
    "     CDS             31..39\n"
    "                     /transl_table=11\n"
    "     CDS             complement(43..54)\n"
    "                     /locus_tag=\"LT4\"\n"
    "     CDS             <55..>66\n"
    "                     /codon_start=2\n"
    "     CDS             <67..78\n"
    "                     /codon_start=3\n"
    "     CDS             join(79..83,90..96)\n"
    "     CDS             complement(join(97..101,108..114))\n"
    "ORIGIN\n"
    "        1 atgtttggat aacccttgaa atgataaggg gtgcattgac ccttactgtt tcatcatggc\n"
    "       61 ttaaagggtg gaaatagcat gaagtaagta ccctaattag gacttacgtt tcatcccccc\n"
    "//\n";

struct CloseFile {
  void operator()(FILE* f) const { std::fclose(f); }
};

std::string ReadAll(FILE* f) {
  std::rewind(f);
  std::string text;
  char buf[4096];
  while (std::size_t n = std::fread(buf, 1, sizeof buf, f)) text.append(buf, n);
  return text;
}

struct Result {
  int status = 0;
  std::string out;
};

// Runs --variants with the VCF text over the GenBank text.
Result Annotate(const std::string& vcf, const std::string& genbank = kRecord) {
  // CTest runs the cases of this file at the same time: one file per process.
  std::string path = testing::TempDir() + "variants_test." + std::to_string(getpid()) + ".vcf";
  std::ofstream(path, std::ios::binary) << vcf;
  Options opt;
  opt.variants = path;
  opt.normal = false;
  Input in;
  in.UseMemory(genbank);
  std::unique_ptr<FILE, CloseFile> file(std::tmpfile());
  Result run;
  {
    Output out(file.get());
    run.status = AnnotateVariants(opt, in, out, "morvel test");
    out.Flush();
  }
  run.out = ReadAll(file.get());
  return run;
}

// A VCF of data lines "CHROM POS REF ALT" with `samples` sample columns.
std::string Vcf(const std::vector<std::string>& calls, int samples = 0) {
  std::string text = "##fileformat=VCFv4.2\n#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO";
  if (samples > 0) text += "\tFORMAT";
  for (int s = 0; s < samples; ++s) text += "\tS" + std::to_string(s + 1);
  text += '\n';
  for (const std::string& call : calls) {
    char chrom[64], ref[64], alt[64];
    int pos;
    EXPECT_EQ(std::sscanf(call.c_str(), "%63s %d %63s %63s", chrom, &pos, ref, alt), 4);
    text += std::string(chrom) + '\t' + std::to_string(pos) + "\t.\t" + ref + '\t' + alt + "\t.\t.\t.";
    if (samples > 0) text += "\tGT";
    for (int s = 0; s < samples; ++s) text += "\t0/1";
    text += '\n';
  }
  return text;
}

// The GBCSQ values of the data lines, in order ("" for a line without one).
std::vector<std::string> Values(const std::string& out) {
  std::vector<std::string> values;
  std::size_t at = 0;
  while (at < out.size()) {
    std::size_t nl = out.find('\n', at);
    std::string line = out.substr(at, nl - at);
    at = nl + 1;
    if (line.empty() || line[0] == '#') continue;
    std::size_t item = line.find("GBCSQ=");
    values.push_back(item == std::string::npos ? "" : line.substr(item + 6, line.find('\t', item) - item - 6));
  }
  return values;
}

const std::string kGene = "gene|geneA|+|non_coding||,";
const std::string kMisc = ",misc_feature|-|+|non_coding||";

TEST(Variants, OneVariantAlone) {
  struct Case {
    const char* call;
    std::string value;
  } cases[] = {
      // Plus-strand CDS under a gene and a misc_feature.
      {"RECA 2 T C", kGene + "CDS|LT1|+|start_lost|aTg>aCg|M1?"},
      {"RECA 4 T C", kGene + "CDS|LT1|+|missense|Ttt>Ctt|F2L"},
      {"AC000001 6 T C", kGene + "CDS|LT1|+|synonymous|ttT>ttC|F2F" + kMisc},
      {"AC000001.3 7 G T", kGene + "CDS|LT1|+|stop_gained|Gga>Tga|G3*" + kMisc},
      {"RECA 10 T G", kGene + "CDS|LT1|+|stop_lost|Taa>Gaa|*4E"},
      // Table 4: TTG and CTG start, TGA reads W.
      {"RECA 17 T C", "CDS|cds2|+|start_lost|tTg>tCg|M1?"},
      {"RECA 16 T C", "CDS|cds2|+|synonymous|Ttg>Ctg|M1M"},
      {"RECA 24 A G", "CDS|cds2|+|synonymous|tgA>tgG|W3W"},
      {"RECA 23 G A", "CDS|cds2|+|stop_gained|tGa>tAa|W3*"},
      // Table 11: GTG starts, TGA stops.
      {"RECA 31 G A", "CDS|-|+|synonymous|Gtg>Atg|M1M"},
      {"RECA 33 G A", "CDS|-|+|start_lost|gtG>gtA|M1?"},
      {"RECA 39 A G", "CDS|-|+|stop_lost|tgA>tgG|*3W"},
      // Complement CDS: the base is complemented, codons run downwards.
      {"RECA 47 T A", "CDS|LT4|-|missense|cAg>cTg|Q3L"},
      {"RECA 48 G A", "CDS|LT4|-|stop_gained|Cag>Tag|Q3*"},
      {"RECA 53 A G", "CDS|LT4|-|start_lost|aTg>aCg|M1?"},
      // codon_start 2 and 3 on open-ended CDSs: codon 1 is no start codon;
      // bases before codon_start and an incomplete last codon have no codon.
      {"RECA 57 T C", "CDS|-|+|missense|aTg>aCg|M1T"},
      {"RECA 60 C A", "CDS|-|+|missense|gCt>gAt|A2D"},
      {"RECA 55 C T", "CDS|-|+|complex||"},
      {"RECA 66 G A", "CDS|-|+|complex||"},
      {"RECA 69 T C", "CDS|-|+|missense|Tgg>Cgg|W1R"},
      {"RECA 73 A T", "CDS|-|+|missense|aAa>aTa|K2I"},
      // Codons split across the ranges of a join, both orientations.
      {"RECA 83 A T", "CDS|-|+|missense|aAa>aTa|K2I"},
      {"RECA 90 A C", "CDS|-|+|missense|aaA>aaC|K2N"},
      {"RECA 101 G A", "CDS|-|-|missense|cCc>cTc|P3L"},
      {"RECA 108 G T", "CDS|-|-|missense|Ccc>Acc|P3T"},
      // Intron of the join, and between features.
      {"RECA 86 A G", "intergenic"},
      {"RECA 14 C T", "intergenic"},
      // REF that is not the record's base.
      {"RECA 4 G C", "gene|geneA|+|ref_mismatch||,CDS|LT1|+|ref_mismatch||"},
      // MNVs within one codon and over two.
      {"RECA 4 TT CC", kGene + "CDS|LT1|+|missense|TTt>CCt|F2P" + kMisc},
      {"RECA 6 TG CT", kGene + "CDS|LT1|+|stop_gained|ttTGga>ttCTga|FG2F*" + kMisc},
      // Indels: frameshift, in frame, and reaching outside the CDS.
      {"RECA 4 T TA", kGene + "CDS|LT1|+|frameshift||"},
      {"RECA 3 GTTT G", kGene + "CDS|LT1|+|inframe_indel||" + kMisc},
      {"RECA 12 AC A", kGene + "CDS|LT1|+|complex||"},
      {"RECA 12 A AC", kGene + "CDS|LT1|+|complex||"},
      // Two ALT alleles: one value per feature and allele; a symbolic one.
      {"RECA 4 T C,G", kGene + kGene + "CDS|LT1|+|missense|Ttt>Ctt|F2L,CDS|LT1|+|missense|Ttt>Gtt|F2V"},
      {"RECA 4 T <DEL>", kGene + "CDS|LT1|+|complex||"},
  };
  for (const auto& c : cases) {
    Result run = Annotate(Vcf({c.call}));
    EXPECT_EQ(run.status, 0) << c.call;
    EXPECT_EQ(Values(run.out), std::vector<std::string>{c.value}) << c.call;
  }
}

TEST(Variants, SnvsSharingACodon) {
  const std::string f2l = kGene + "CDS|LT1|+|missense|TtT>CtG|F2L|combined";
  const std::string f2p = kGene + "CDS|LT1|+|missense|TTT>CCG|F2P|combined";
  struct Case {
    std::vector<std::string> calls;
    int samples;
    std::vector<std::string> values;
  } cases[] = {
      // Unsorted, with CHROM spelt two ways: the codon carries both.
      {{"RECA 6 T G", "AC000001 4 T C"}, 0, {f2l + kMisc, f2l}},
      {{"RECA 6 T G", "RECA 4 T C"}, 1, {f2l + kMisc, f2l}},
      {{"RECA 6 T G", "RECA 4 T C"},
       2,
       {kGene + "CDS|LT1|+|missense|ttT>ttG|F2L|codon_shared" + kMisc,
        kGene + "CDS|LT1|+|missense|Ttt>Ctt|F2L|codon_shared"}},
      {{"RECA 4 T C", "RECA 5 T C", "RECA 6 T G"}, 0, {f2p, f2p + kMisc, f2p + kMisc}},
      {{"RECA 4 T C", "RECA 5 T C", "RECA 6 T G"}, 1, {f2p, f2p + kMisc, f2p + kMisc}},
      // A codon split by the join.
      {{"RECA 90 A C", "RECA 83 A T"},
       0,
       {"CDS|-|+|missense|aAA>aTC|K2I|combined", "CDS|-|+|missense|aAA>aTC|K2I|combined"}},
      // An SNV whose REF does not match stays out of the codon.
      {{"RECA 4 T C", "RECA 6 G A"},
       0,
       {kGene + "CDS|LT1|+|missense|Ttt>Ctt|F2L",
        "gene|geneA|+|ref_mismatch||,CDS|LT1|+|ref_mismatch||,misc_feature|-|+|ref_mismatch||"}},
      // Two calls at one position cannot both be in the codon.
      {{"RECA 4 T C", "RECA 4 T G"},
       0,
       {kGene + "CDS|LT1|+|missense|Ttt>Ctt|F2L|codon_shared",
        kGene + "CDS|LT1|+|missense|Ttt>Gtt|F2V|codon_shared"}},
  };
  for (const auto& c : cases) {
    Result run = Annotate(Vcf(c.calls, c.samples));
    EXPECT_EQ(Values(run.out), c.values) << c.calls[0] << " with " << c.samples << " samples";
  }
}

// Ranges looked up by position: joins whose ranges are out of position
// order, overlap, or run backwards on the minus strand; a range written
// backwards holds no base, an open end reaches the record's end.
TEST(Variants, RangesOutOfOrder) {
  // Reading order: OUT ccc atg aaa (7..9 first); OVER atg aaa aaa ccc (5
  // in both ranges: the first counts); BACK cat (3..1) ccc (12..10).
  const std::string record =
      "LOCUS       RECM                      30 bp    DNA     linear   SYN 01-JAN-2000\n"
      "FEATURES             Location/Qualifiers\n"
      "     CDS             join(7..9,1..6)\n"
      "                     /locus_tag=\"OUT\"\n"
      "     CDS             join(1..6,4..9)\n"
      "                     /locus_tag=\"OVER\"\n"
      "     CDS             complement(join(10..12,1..3))\n"
      "                     /locus_tag=\"BACK\"\n"
      "     misc_feature    25..20\n"
      "                     /gene=\"rev\"\n"
      "     misc_feature    >28\n"
      "                     /gene=\"open\"\n"
      "ORIGIN\n"
      "        1 atgaaacccg ggtttaaata gcatgcatgc\n"
      "//\n";
  struct Case {
    const char* call;
    std::string value;
  } cases[] = {
      {"RECM 2 T C",
       "CDS|OUT|+|missense|aTg>aCg|M2T,CDS|OVER|+|start_lost|aTg>aCg|M1?,CDS|BACK|-|missense|cAt>cGt|H1R"},
      {"RECM 5 A G", "CDS|OUT|+|missense|aAa>aGa|K3R,CDS|OVER|+|missense|aAa>aGa|K2R"},
      {"RECM 8 C A", "CDS|OUT|+|missense|cCc>cAc|P1H,CDS|OVER|+|missense|cCc>cAc|P4H"},
      {"RECM 11 G A", "CDS|BACK|-|missense|cCc>cTc|P2L"},
      {"RECM 13 T C", "intergenic"},
      {"RECM 22 C T", "intergenic"},
      {"RECM 19 TAGCATG T", "intergenic"},
      {"RECM 30 C A", "misc_feature|open|+|non_coding||"},
  };
  for (const auto& c : cases) {
    Result run = Annotate(Vcf({c.call}), record);
    EXPECT_EQ(Values(run.out), std::vector<std::string>{c.value}) << c.call;
  }
}

TEST(Variants, RecordsNamedByChrom) {
  const std::string second =
      "LOCUS       RECB                       6 bp    DNA     linear   SYN 01-JAN-2000\n"
      "ACCESSION   BB000002\n"
      "FEATURES             Location/Qualifiers\n"
      "     CDS             1..6\n"
      "ORIGIN\n"
      "        1 atgtaa\n"
      "//\n";
  // The VCF names the second record first; AC000009.1 names no record, and
  // AC000001.2 names the first by its accession once its version is off.
  Result run = Annotate(Vcf({"BB000002 2 T C", "AC000009.1 4 T C", "AC000001 14 C T", "AC000001.2 4 T C"}),
                        kRecord + second);
  EXPECT_EQ(Values(run.out), (std::vector<std::string>{"CDS|-|+|start_lost|aTg>aCg|M1?", "", "intergenic",
                                                       "gene|geneA|+|non_coding||,CDS|LT1|+|missense|Ttt>Ctt|F2L"}));
  EXPECT_NE(run.out.find("AC000009.1\t4\t.\tT\tC\t.\t.\t.\n"), std::string::npos);
}

TEST(Variants, BadVcfText) {
  const std::string head = "##fileformat=VCFv4.2\n#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\n";
  const char* cases[] = {
      "##fileformat=VCFv4.2\nRECA\t4\t.\tT\tC\t.\t.\t.\n",  // no #CHROM line
      "",
  };
  for (const char* vcf : cases) EXPECT_EQ(Annotate(vcf).status, 1) << vcf;
  EXPECT_EQ(Annotate(head + "RECA\t4x\t.\tT\tC\t.\t.\t.\n").status, 1);
  EXPECT_EQ(Annotate(head + "RECA\t4\t.\tT\tC\t.\t.\n").status, 1);
  EXPECT_EQ(Annotate(head + "RECA\t4\t.\t\tC\t.\t.\t.\n").status, 1);
  EXPECT_EQ(Annotate(head + "RECA\t-4\t.\tT\tC\t.\t.\t.\n").status, 1);
}

TEST(VcfLine, GbcsqItemInInfo) {
  struct Case {
    const char* line;
    const char* written;
  } cases[] = {
      {"c\t1\t.\tA\tG\t.\t.\t.\n", "c\t1\t.\tA\tG\t.\t.\tGBCSQ=V\n"},
      {"c\t1\t.\tA\tG\t.\t.\tDP=3\tGT\t0/1\r\n", "c\t1\t.\tA\tG\t.\t.\tDP=3;GBCSQ=V\tGT\t0/1\r\n"},
      {"c\t1\t.\tA\tG\t.\t.\tA;GBCSQ=old;B=2\n", "c\t1\t.\tA\tG\t.\t.\tA;GBCSQ=V;B=2\n"},
      {"c\t1\t.\tA\tG\t.\t.\tGBCSQ;GBCSQ=x", "c\t1\t.\tA\tG\t.\t.\tGBCSQ=V"},
      {"c\t1\t.\tA\tG\t.\t.\tGBCSQX=1\r\n", "c\t1\t.\tA\tG\t.\t.\tGBCSQX=1;GBCSQ=V\r\n"},
  };
  for (const auto& c : cases) {
    std::unique_ptr<FILE, CloseFile> file(std::tmpfile());
    {
      Output out(file.get());
      VcfLine fields;
      ASSERT_TRUE(SplitVcfLine(c.line, fields)) << c.line;
      WriteVcfLine(out, c.line, fields, "V");
      out.Flush();
    }
    EXPECT_EQ(ReadAll(file.get()), c.written);
  }
}

TEST(GeneticCodes, TablesAndStarts) {
  struct Case {
    int table;
    const char* codon;
    char amino;
    bool start;
  } cases[] = {
      {1, "TGA", '*', false}, {1, "ATG", 'M', true}, {1, "TTG", 'L', true},  {1, "GTG", 'V', false},
      {2, "AGA", '*', false}, {2, "ATA", 'M', true}, {3, "CTT", 'T', false}, {4, "TGA", 'W', false},
      {4, "TTA", 'L', true},  {6, "TAA", 'Q', false}, {11, "GTG", 'V', true}, {11, "ATT", 'I', true},
      {12, "CTG", 'S', true}, {25, "TGA", 'G', false}, {33, "TAA", 'Y', false}, {11, "ANG", 'X', false},
  };
  for (const auto& c : cases) {
    const GeneticCode* code = FindGeneticCode(c.table);
    ASSERT_NE(code, nullptr) << c.table;
    EXPECT_EQ(TranslateCodon(*code, c.codon[0], c.codon[1], c.codon[2]), c.amino) << c.table << c.codon;
    EXPECT_EQ(IsStartCodon(*code, c.codon[0], c.codon[1], c.codon[2]), c.start) << c.table << c.codon;
  }
  EXPECT_EQ(FindGeneticCode(7), nullptr);
  EXPECT_EQ(FindGeneticCode(8), nullptr);
  EXPECT_EQ(Nuc2Amino('t', 'g', 'a'), '-');  // the position report keeps its stop letter
}

}  // namespace
