// VCF text through morvel --variants: every data line through the column
// splitter, the POS reader and the INFO writer, each checked against a plain
// reading of the line; then the whole text through the VCF reader (both
// readings), the record index, the codon and indel effects and the INFO
// rewriting, against two fixed GenBank records whose features have the
// shapes the annotator treats apart: a plain CDS, joins on either strand, complement CDSs, a
// /codon_start of 2 and 3, open ends, a /transl_table, overlapping joined
// ranges, a mixed-strand join and a CDS past the record's end. The seeds'
// CHROM values name them (RECA, AC000001, AC000001.3, RECB, BC000002). The
// VCF comes as a regular file or through a pipe, and the writer is chosen,
// by the last bytes of the input; the output goes to a sink.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_input.h"
#include "memory_file.h"
#include "options.h"
#include "scan.h"
#include "variants.h"
#include "vcf.h"

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
// first "-", as ApplyOption takes it): GBCSQ (no option) and the standard ANN
// item, so the same inputs run through both writers.
const char* const kWriters[] = {"", "-ann"};

// A broken promise of the line reader or writer: a trap, reported like a crash.
void Check(bool holds) {
  if (!holds) __builtin_trap();
}

std::vector<std::string_view> SplitAtTabs(std::string_view text) {
  std::vector<std::string_view> columns;
  for (std::size_t tab; (tab = text.find('\t')) != std::string_view::npos; text.remove_prefix(tab + 1))
    columns.push_back(text.substr(0, tab));
  columns.push_back(text);
  return columns;
}

// The INFO column as WriteVcfLine promises to write it: "." or nothing
// becomes the item alone; the first GBCSQ item is replaced where it stands
// and later ones dropped; without one, the item is appended.
std::string PlainInfo(std::string_view info, std::string_view item) {
  if (info.empty() || info == ".") return std::string(item);
  std::string out;
  bool written = false, first = true;
  std::string_view rest = info;
  while (true) {
    std::size_t semi = rest.find(';');
    std::string_view part = rest.substr(0, semi);
    bool gbcsq = part == "GBCSQ" || part.substr(0, 6) == "GBCSQ=";
    if (!(gbcsq && written)) {
      if (!first) out += ';';
      first = false;
      out += gbcsq ? item : part;
      written = written || gbcsq;
    }
    if (semi == std::string_view::npos) break;
    rest.remove_prefix(semi + 1);
  }
  if (!written) out.append(";").append(item);
  return out;
}

// Every data line through the column splitter, the POS reader and the INFO
// writer, each against a plain reading of the line.
void CheckDataLines(std::string_view text) {
  static const std::string kValue = "CDS|x|+|synonymous|aaa/aag|K/K";
  char* written = nullptr;  // what the writer wrote so far, each line after the one before
  std::size_t written_size = 0;
  FILE* memory = open_memstream(&written, &written_size);
  if (!memory) std::abort();
  col::Output out(memory, 4096);
  while (!text.empty()) {
    std::string line(TakeLine(text));
    line += '\n';
    if (line[0] == '#') continue;
    std::string_view body = col::WithoutLineEnd(line);
    std::vector<std::string_view> columns = SplitAtTabs(body);
    bool plain = columns.size() >= 8 && !columns[0].empty() && !columns[1].empty() && !columns[3].empty() &&
                 !columns[4].empty();
    VcfLine f;
    Check(SplitVcfLine(line, f) == plain);
    if (!plain) continue;
    const std::string_view* read[] = {&f.chrom, &f.pos, &f.id, &f.ref, &f.alt, &f.qual, &f.filter, &f.info};
    for (int k = 0; k < 8; ++k) Check(read[k]->data() == columns[k].data() && read[k]->size() == columns[k].size());

    long long digits = 0;
    bool number = true;
    for (char c : f.pos) {
      number = number && c >= '0' && c <= '9';
      if (number && digits <= 2147483647) digits = digits * 10 + (c - '0');
    }
    int pos = -7;
    Check(ReadVcfPos(line, f.pos, pos) == number);
    Check(!number || pos == (digits > 2147483647 ? 2147483647 : digits));

    std::size_t before = written_size;
    WriteVcfLine(out, line, f, kValue);
    out.Flush();
    std::size_t info_at = static_cast<std::size_t>(f.info.data() - line.data());
    std::string expected = line.substr(0, info_at) + PlainInfo(f.info, "GBCSQ=" + kValue) +
                           line.substr(info_at + f.info.size());
    Check(std::string_view(written + before, written_size - before) == expected);
  }
  out.Close();
  std::free(written);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static MemoryFile vcf;
  static PipeFile vcf_pipe;
  static FILE* sink = std::fopen("/dev/null", "w");
  std::string_view text(reinterpret_cast<const char*>(data), size);
  CheckDataLines(text);
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
