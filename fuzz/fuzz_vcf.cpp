// VCF text through morvel --variants: the VCF reader (both readings), the
// record index, the codon and indel effects and the INFO rewriting, against
// two fixed GenBank records whose features have the shapes the annotator
// treats apart: a plain CDS, joins on either strand, complement CDSs, a
// /codon_start of 2 and 3, open ends, a /transl_table, overlapping joined
// ranges, a mixed-strand join and a CDS past the record's end. The seeds'
// CHROM values name them (RECA, AC000001, AC000001.3, RECB, BC000002). The
// VCF comes as a regular file or through a pipe, and the writer is chosen,
// by the last bytes of the input; the output goes to a sink.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "fuzz_input.h"
#include "memory_file.h"
#include "options.h"
#include "variants.h"

using namespace col;
using namespace morvel;

namespace {

constexpr std::string_view kGenBank =
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
    "//\n"
    "LOCUS       RECB                      60 bp    DNA     linear   SYN 01-JAN-2000\n"
    "ACCESSION   BC000002\n"
    "FEATURES             Location/Qualifiers\n"
    "     CDS             complement(2..28)\n"
    "                     /codon_start=2\n"
    "                     /gene=\"rev;B\"\n"
    "     CDS             join(10..20,15..30)\n"
    "                     /transl_table=2\n"
    "     CDS             join(complement(31..36),40..50)\n"
    "                     /locus_tag=\"mix|ed,tag\"\n"
    "     CDS             50..>90\n"
    "     mRNA            join(1..10,<20..25)\n"
    "ORIGIN\n"
    "        1 atggcattag ctagctagga tccatgaaat ttgggcccaa atttaaatag cgcgatatag\n"
    "//\n";

// The writers of the annotation, as options of the run (the word after the
// first "-", as ApplyOption takes it): GBCSQ (no option). Once morvel writes
// the standard ANN field, "-ann" joins this table and the same inputs run
// through both writers.
const char* const kWriters[] = {""};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static MemoryFile vcf;
  static PipeFile vcf_pipe;
  static FILE* sink = std::fopen("/dev/null", "w");
  std::string_view text(reinterpret_cast<const char*>(data), size);
  FuzzInput fuzz(data, size);
  Options opt;
  opt.normal = false;
  // A regular file is read twice, a pipe once and kept: both ways are taken.
  if (fuzz.Flag() && vcf_pipe.Set(text)) {
    opt.variants = vcf_pipe.path();
  } else {
    vcf.Set(text);
    opt.variants = vcf.path();
  }
  std::string writer = fuzz.Pick(kWriters);
  if (!writer.empty()) ApplyOption(opt, writer);
  Input genbank;
  genbank.UseMemory(kGenBank);
  Output out(sink, 1 << 16);
  (void)AnnotateVariants(opt, genbank, out, "morvel --variants=fuzz");
  return 0;
}
