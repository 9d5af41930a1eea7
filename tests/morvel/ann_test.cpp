#include "ann.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "variants.h"

using namespace morvel;

namespace {

// One record of 80 bases; codons read on each CDS's strand:
//   CDS 1..24 (thrA, b0001, NP_1.1): atg aaa aaa ctg cag ttt gca taa, the
//     A run 4..9 for shifting
//   CDS complement(join(30..35,40..45)) (b0002): atg gct | tgg taa, c.1 at
//     45, c.7 at 35; 36..39 lie between its ranges
//   CDS 50..58, table 11 (b0003): gtg aaa taa
//   CDS <60..>68, codon_start 2: c | ttg gca | gg
//   CDS <70..78, codon_start 3: aa | tgg tga | c
const char kRecord[] =
    "LOCUS       RECN                      80 bp    DNA     linear   SYN 01-JAN-2000\n"
    "FEATURES             Location/Qualifiers\n"
    "     gene            1..24\n"
    "                     /gene=\"thrA\"\n"
    "     CDS             1..24\n"
    "                     /gene=\"thrA\"\n"
    "                     /locus_tag=\"b0001\"\n"
    "                     /protein_id=\"NP_1.1\"\n"
    "     CDS             complement(join(30..35,40..45))\n"
    "                     /locus_tag=\"b0002\"\n"
    "     CDS             50..58\n"
    "                     /locus_tag=\"b0003\"\n"
    "                     /transl_table=11\n"
    "     CDS             <60..>68\n"
    "                     /codon_start=2\n"
    "     CDS             <70..78\n"
    "                     /codon_start=3\n"
    "ORIGIN\n"
    "        1 atgaaaaaac tgcagtttgc ataaccccct taccagggga gccatccccg tgaaataacc\n"
    "       61 ttggcaggca atggtgaccc\n"
    "//\n";

struct CloseFile {
  void operator()(FILE* f) const { std::fclose(f); }
};

// The ANN value written for one call "POS REF ALT" alone.
std::string AnnOf(const std::string& call) {
  char ref[64], alt[64];
  int pos;
  EXPECT_EQ(std::sscanf(call.c_str(), "%d %63s %63s", &pos, ref, alt), 3);
  std::string path = testing::TempDir() + "ann_test." + std::to_string(getpid()) + ".vcf";
  std::ofstream(path, std::ios::binary) << "##fileformat=VCFv4.2\n#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\nRECN\t"
                                        << pos << "\t.\t" << ref << '\t' << alt << "\t.\t.\t.\n";
  Options opt;
  opt.variants = path;
  opt.normal = false;
  opt.ann = true;
  col::Input in;
  in.UseMemory(kRecord);
  std::unique_ptr<FILE, CloseFile> file(std::tmpfile());
  {
    col::Output out(file.get());
    EXPECT_EQ(AnnotateVariants(opt, in, out, "morvel test"), 0) << call;
    out.Flush();
  }
  std::rewind(file.get());
  std::string text;
  char buf[4096];
  while (std::size_t n = std::fread(buf, 1, sizeof buf, file.get())) text.append(buf, n);
  std::size_t at = text.find("\tANN=");
  return at == std::string::npos ? "" : text.substr(at + 5, text.find_first_of("\t\n", at + 5) - at - 5);
}

std::vector<std::string> Split(const std::string& s, char sep) {
  std::vector<std::string> parts(1);
  for (char c : s) {
    if (c == sep) {
      parts.emplace_back();
    } else {
      parts.back() += c;
    }
  }
  return parts;
}

// The fields of the first entry on a transcript that is not up- or
// downstream of it: Annotation, Impact, Rank,
// HGVS.c, HGVS.p, CDS.pos, AA.pos, Distance and messages, "|"-joined.
std::string TranscriptFields(const std::string& ann) {
  for (const std::string& entry : Split(ann, ',')) {
    std::vector<std::string> f = Split(entry, '|');
    EXPECT_EQ(f.size(), 16u) << entry;
    if (f.size() != 16 || f[5] != "transcript" || f[1].find("stream_gene") != std::string::npos) continue;
    return f[1] + '|' + f[2] + '|' + f[8] + '|' + f[9] + '|' + f[10] + '|' + f[12] + '|' + f[13] + '|' + f[14] +
           '|' + f[15];
  }
  return "no transcript entry in " + ann;
}

TEST(Ann, HgvsByHand) {
  struct Case {
    const char* call;
    const char* fields;
  } cases[] = {
      // Plus strand: base changes, stops and the start.
      {"11 T C", "missense_variant|MODERATE|1/1|c.11T>C|p.Leu4Pro|11/24|4/7||"},
      {"12 G A", "synonymous_variant|LOW|1/1|c.12G>A|p.Leu4Leu|12/24|4/7||"},
      {"13 C T", "stop_gained|HIGH|1/1|c.13C>T|p.Gln5*|13/24|5/7||"},
      {"22 T C", "stop_lost|HIGH|1/1|c.22T>C|p.*8Glnext*?|22/24|8/7||"},
      {"23 A G", "stop_retained_variant|LOW|1/1|c.23A>G|p.*8*|23/24|8/7||"},
      {"3 G A", "start_lost|HIGH|1/1|c.3G>A|p.Met1?|3/24|1/7||"},
      {"10 CT GC", "missense_variant|MODERATE|1/1|c.10_11delinsGC|p.Leu4Ala|10/24|4/7||"},
      // Indels in the A run move to its 3' end; an insertion repeating
      // the bases before it is a duplication.
      {"3 GA G", "frameshift_variant|HIGH|1/1|c.9del|p.Lys3fs|9/24|3/7||INFO_REALIGN_3_PRIME"},
      {"3 G GA", "frameshift_variant|HIGH|1/1|c.9dup|p.Leu4fs|9/24|3/7||INFO_REALIGN_3_PRIME"},
      {"3 GAAA G", "inframe_deletion|MODERATE|1/1|c.7_9del|p.Lys3del|7/24|3/7||INFO_REALIGN_3_PRIME"},
      {"3 G GAAA", "inframe_insertion|MODERATE|1/1|c.7_9dup|p.Lys3dup|7/24|3/7||INFO_REALIGN_3_PRIME"},
      {"6 A AGGG", "inframe_insertion|MODERATE|1/1|c.6_7insGGG|p.Lys2_Lys3insGly|6/24|2/7||"},
      // Indels at both ends of the CDS.
      {"1 AT A", "frameshift_variant|HIGH|1/1|c.2del|p.Met1fs|2/24|1/7||"},
      {"21 AT A", "frameshift_variant|HIGH|1/1|c.22del|p.*8fs|22/24|8/7||"},
      {"24 AC A", "coding_sequence_variant|MODIFIER|1/1|c.*1del|||||"},
      // Minus strand over a join: complemented bases, c. numbered from 45.
      {"41 G A", "missense_variant|MODERATE|1/2|c.5C>T|p.Ala2Val|5/12|2/3||"},
      {"35 A G", "missense_variant|MODERATE|2/2|c.7T>C|p.Trp3Arg|7/12|3/3||"},
      {"38 G A", "intron_variant|MODIFIER||c.6+2C>T|||||"},
      // Table 11: GTG starts, GTC does not.
      {"50 G A", "initiator_codon_variant|LOW|1/1|c.1G>A|p.Met1Met|1/9|1/2||"},
      {"52 G C", "start_lost|HIGH|1/1|c.3G>C|p.Met1?|3/9|1/2||"},
      // codon_start 2 and 3: c.1 is the first base of the first whole codon.
      {"64 G T",
       "missense_variant|MODERATE|1/1|c.4G>T|p.Ala2Ser|4/8|2/2||WARNING_TRANSCRIPT_INCOMPLETE&"
       "WARNING_TRANSCRIPT_NO_START_CODON"},
      {"60 C T",
       "coding_sequence_variant|MODIFIER|1/1|c.-1C>T|||||WARNING_TRANSCRIPT_INCOMPLETE&WARNING_TRANSCRIPT_NO_START_CODON"},
      {"74 G A", "stop_gained|HIGH|1/1|c.3G>A|p.Trp1*|3/7|1/1||WARNING_TRANSCRIPT_INCOMPLETE&"
                 "WARNING_TRANSCRIPT_NO_START_CODON"},
      // REF that is not the record's.
      {"11 A C", "missense_variant|MODERATE|1/1|c.11A>C|p.Leu4Pro|11/24|4/7||WARNING_REF_DOES_NOT_MATCH_GENOME"},
  };
  for (const auto& c : cases) EXPECT_EQ(TranscriptFields(AnnOf(c.call)), c.fields) << c.call;
}

// Names of a CDS and a gene; the CDSs near a variant no feature covers
// stand for their genes.
TEST(Ann, NamesAndDistances) {
  std::string snv = AnnOf("11 T C");
  EXPECT_EQ(snv,
            "C|missense_variant|MODERATE|thrA|b0001|transcript|NP_1.1|protein_coding|1/1|c.11T>C|p.Leu4Pro||11/24|4/7||,"
            "C|gene_variant|MODIFIER|thrA|thrA|gene||gene|1/1|||||||");
  std::vector<std::string> near = Split(AnnOf("27 C T"), ',');
  ASSERT_GE(near.size(), 2u);
  EXPECT_EQ(near[0], "T|downstream_gene_variant|MODIFIER|thrA|b0001|transcript|NP_1.1|protein_coding||c.*3C>T|||||3|");
  EXPECT_EQ(near[1], "T|downstream_gene_variant|MODIFIER|b0002|b0002|transcript|b0002|protein_coding||c.*3G>A|||||3|");
}

TEST(Ann, HgvsProtein) {
  struct Case {
    int first_codon;
    const char *ref, *alt, *hgvs;
  } cases[] = {
      {44, "L", "S", "p.Leu45Ser"},     {11, "Q", "*", "p.Gln12*"},         {44, "L", "L", "p.Leu45Leu"},
      {0, "M", "?", "p.Met1?"},         {21, "KKLS", "KS", "p.Lys23_Leu24del"}, {95, "*", "Q", "p.*96Glnext*?"},
      {1, "KLS", "KGLS", "p.Lys2_Leu3insGly"}, {0, "MKKL", "MKKKL", "p.Lys3dup"}, {4, "LA", "W*", "p.Leu5_Ala6delinsTrp*"},
      {4, "LA", "*S", "p.Leu5*"},
  };
  for (const auto& c : cases) EXPECT_EQ(HgvsP(c.first_codon, c.ref, c.alt), c.hgvs) << c.ref << ">" << c.alt;
}

}  // namespace
