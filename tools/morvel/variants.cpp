#include "variants.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

#include "codon_effects.h"
#include "genbank.h"
#include "painters.h"
#include "scan.h"
#include "tool.h"
#include "variant_index.h"
#include "vcf.h"

namespace morvel {

namespace {

bool IsBase(char c) {
  c = UpperCase(c);
  return c == 'A' || c == 'C' || c == 'G' || c == 'T' || c == 'N';
}

bool AllBases(std::string_view s) { return !s.empty() && std::all_of(s.begin(), s.end(), IsBase); }

bool SameBases(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (UpperCase(a[i]) != UpperCase(b[i])) return false;
  }
  return true;
}

// A number such as "11" of /transl_table=11; 0 otherwise. Numbers beyond
// 1000 name no genetic code and no reading frame, just as 0 does.
int QualifierNumber(std::string_view text) {
  int value = 0;
  return col::ReadDecimal(text, 1000, value) ? value : 0;
}

// A qualifier value without its quotes: the opening one, and a closing one
// after it.
std::string_view Unquoted(std::string_view value) {
  if (!value.empty() && value.front() == '"') {
    value.remove_prefix(1);
    if (!value.empty() && value.back() == '"') value.remove_suffix(1);
  }
  return value;
}

// The qualifiers the annotation reads: the first /locus_tag and /gene, the
// last /transl_table and /codon_start.
VariantQualifiers ReadVariantQualifiers(const Feature& feature) {
  VariantQualifiers q;
  for (const Qualifier& qualifier : feature.qualifiers) {
    std::string_view name = qualifier.name;
    std::string_view value = Unquoted(qualifier.value);
    if (name == "locus_tag" && !q.has_locus_tag) {
      q.locus_tag = value;
      q.has_locus_tag = true;
    } else if (name == "gene" && !q.has_gene) {
      q.gene = value;
      q.has_gene = true;
    } else if (name == "transl_table") {
      q.table = QualifierNumber(value);
    } else if (name == "codon_start") {
      q.codon_start = QualifierNumber(value);
    }
  }
  return q;
}

// The annotator: the VCF's first reading, and as a consumer of the GenBank
// reader, the records its CHROM values name (their residues and features).
struct Annotator final : RecordConsumer {
  // The VCF and what its first reading found.
  std::string path;
  bool in_memory = false;  // a pipe: its text is kept for the second reading
  std::string text;
  std::unordered_map<std::string, std::uint32_t> chroms;  // CHROM -> id
  std::vector<int> chrom_genome;                          // id -> genome, -1 for none
  std::vector<Snv> snvs;
  int samples = 0;

  // The record being read.
  std::vector<std::string> names;  // LOCUS name, accessions, version with and without ".N"
  std::vector<IndexedFeature> features;
  std::string residue;  // sequence letter per position, "-" where none was read

  std::vector<Genome> genomes;
  std::vector<bool> protein_genomes;  // per genome: a protein record, left unannotated
  bool protein = false;                // the record being read is one
  long long on_protein = 0;            // data lines on protein records
  long long mismatches = 0;
  long long unknown = 0;
  long long variants = 0;         // data lines
  std::vector<BaseChange> group;  // scratch: the SNVs of one codon

  void RecordStart(const Record& record) override {
    MakeTrack(residue, static_cast<std::size_t>(record.length), '-');
    protein = record.protein;
  }
  void HeaderLine(std::string_view line) override;
  void FeatureEnd(const Feature& feature) override;
  void Letters(long long pos, std::string_view letters) override { StoreLetters(residue, pos, letters); }
  // The qualifiers of a feature the end line cut off are never used.
  void RecordEnd(const Record& record, const Feature* open) override;
};

// The names come from the header lines as written, not from the Record:
// every word of every ACCESSION line (the Record joins them with their
// continuation lines) and every VERSION line count, and a further LOCUS line
// inside a record starts its names and features again.
void Annotator::HeaderLine(std::string_view line) {
  std::size_t at = 0;
  col::NextWord(line, at);  // the keyword
  if (col::StartsWith(line, "LOCUS ")) {
    names.clear();
    features.clear();
    std::string_view name = col::NextWord(line, at);
    if (!name.empty()) names.emplace_back(name);
  } else if (col::StartsWith(line, "ACCESSION ")) {
    for (std::string_view word = col::NextWord(line, at); !word.empty(); word = col::NextWord(line, at))
      names.emplace_back(word);
  } else if (col::StartsWith(line, "VERSION ")) {
    std::string_view version = col::NextWord(line, at);
    if (version.empty()) return;
    names.emplace_back(version);
    std::size_t dot = version.rfind('.');
    if (dot != std::string_view::npos && dot > 0) names.emplace_back(version.substr(0, dot));
  }
}

void Annotator::FeatureEnd(const Feature& feature) {
  if (protein || !feature.loc || feature.loc->certain.empty() || feature.key == "source") return;
  features.push_back(MakeFeature(feature.key, ReadVariantQualifiers(feature), std::make_unique<Loc>(*feature.loc)));
}

void Annotator::RecordEnd(const Record& /*record*/, const Feature* /*open*/) {
  int genome = -1;
  for (const std::string& name : names) {
    auto it = chroms.find(name);
    if (it == chroms.end() || chrom_genome[it->second] >= 0) continue;
    if (genome < 0) genome = static_cast<int>(genomes.size());
    chrom_genome[it->second] = genome;  // the first record that a CHROM names
  }
  if (genome >= 0) {
    genomes.push_back(MakeGenome(residue, std::move(features)));
    protein_genomes.push_back(protein);
  }
  features.clear();
  names.clear();
}

// ---------------------------------------------------------------------------
// Reading the VCF

// The message, then where and why on a line of its own.
bool VcfError(const char* path, long long line, const char* reason) {
  std::fprintf(stderr, "morvel: Error in VCF file, line %lld\n", line);
  col::ReportWhere("morvel", path, line, reason);
  return false;
}

// Why a data line does not read: its columns, or its POS.
const char* DataLineProblem(std::string_view line, const VcfLine& f) {
  if (std::count(line.begin(), line.end(), '\t') < 7) return "fewer than 8 VCF columns (tab-separated)";
  if (f.chrom.empty() || f.pos.empty() || f.ref.empty() || f.alt.empty()) return "an empty CHROM, POS, REF or ALT column";
  return "POS is not a number";
}

// Where a line of the VCF stands: a header line before "#CHROM", the
// "#CHROM" line itself, or a data line after it.
enum class VcfPart { kHeader, kColumns, kData };

// The lines of a VCF in order, as both readings go through them.
struct VcfReader {
  VcfReader(col::Input& input, const char* vcf_path) : in(input), path(vcf_path) {}

  col::Input& in;
  const char* path;  // as given, for the messages
  std::string line;
  long long number = 0;  // of `line`, from 1
  bool data = false;     // the "#CHROM" line has been read
  std::string last_chrom;
  bool have_chrom = false;

  // The next line and where it stands; false at the end of the text.
  bool Next(VcfPart& part) {
    if (!col::GetLine(in, line)) return false;
    ++number;
    if (data) {
      part = VcfPart::kData;
    } else if (col::StartsWith(line, "#CHROM")) {
      data = true;
      part = VcfPart::kColumns;
    } else {
      part = VcfPart::kHeader;
    }
    return true;
  }

  // The columns and POS of the data line; false, with the message, when they
  // do not read.
  bool ReadData(VcfLine& f, int& pos) const {
    return (SplitVcfLine(line, f) && ReadVcfPos(line, f.pos, pos)) ||
           VcfError(path, number, DataLineProblem(line, f));
  }

  // Whether the CHROM of the data line differs from the one before it (the
  // first always does): data lines come grouped by CHROM, so it is looked up
  // once per group.
  bool NewChrom(std::string_view chrom) {
    if (have_chrom && chrom == last_chrom) return false;
    have_chrom = true;
    last_chrom = chrom;
    return true;
  }
};

// Opens the VCF for one of its two readings.
bool OpenVcf(Annotator& an, col::Input& in, bool first) {
  if (!first) {
    if (an.in_memory) {
      in.UseMemory(an.text);
      return true;
    }
    return col::OpenInput(in, "morvel", an.path.c_str());
  }
  struct stat st;
  if (stat(an.path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return col::OpenInput(in, "morvel", an.path.c_str());
  col::Input pipe;
  if (!col::OpenInput(pipe, "morvel", an.path.c_str())) return false;
  std::optional<std::string> all = col::GetFile(pipe);
  bool failed = pipe.Failed();
  if (!pipe.IsStdin()) pipe.Close();
  if (failed) {
    std::fprintf(stderr, "morvel: Error in reading file '%s'\n", an.path.c_str());
    return false;
  }
  an.in_memory = true;
  an.text = all ? std::move(*all) : std::string();
  in.UseMemory(an.text);
  return true;
}

bool CloseVcf(const Annotator& an, col::Input& in, bool ok) {
  if (in.Failed()) {
    std::fprintf(stderr, "morvel: Error in reading file '%s'\n", an.path.c_str());
    ok = false;
  }
  if (!an.in_memory && !in.Close() && ok) {
    std::fprintf(stderr, "morvel: Error in closing file '%s'\n", an.path.c_str());
    ok = false;
  }
  return ok;
}

bool IsSnv(std::string_view ref, std::string_view alt) {
  return ref.size() == 1 && alt.size() == 1 && IsBase(ref[0]) && IsBase(alt[0]);
}

// The first reading: the layout is checked, the CHROM names gathered and the
// SNVs listed.
bool ReadVcfIndex(Annotator& an, col::Input& in) {
  VcfReader vcf(in, an.path.c_str());
  std::uint32_t id = 0;
  for (VcfPart part; vcf.Next(part);) {
    if (part == VcfPart::kColumns) {
      an.samples = CountSamples(vcf.line);
      continue;
    }
    if (part == VcfPart::kHeader) {
      if (!col::StartsWith(vcf.line, "##"))
        return VcfError(vcf.path, vcf.number, "a header line that does not begin with \"##\" before the \"#CHROM\" line");
      continue;
    }
    VcfLine f;
    int pos;
    if (!vcf.ReadData(f, pos)) return false;
    if (vcf.NewChrom(f.chrom)) {
      auto it = an.chroms.try_emplace(std::string(f.chrom), static_cast<std::uint32_t>(an.chroms.size())).first;
      id = it->second;
    }
    if (IsSnv(f.ref, f.alt)) an.snvs.push_back({id, pos, UpperCase(f.ref[0]), UpperCase(f.alt[0])});
  }
  if (in.Failed()) return false;
  if (!vcf.data) return VcfError(vcf.path, vcf.number + 1, "no \"#CHROM\" line before the end of the input");
  an.chrom_genome.assign(an.chroms.size(), -1);
  return true;
}

// ---------------------------------------------------------------------------
// Annotating and writing

struct Variant {
  const Genome* genome;
  int pos;
  std::string_view ref, alt;  // alt: one allele
  bool multiallelic;
};

bool RefMatches(const Genome& g, int pos, std::string_view ref) {
  if (pos < 1 || static_cast<long long>(pos) + static_cast<long long>(ref.size()) - 1 > g.length()) return false;
  return SameBases(ref, std::string_view(g.residues).substr(static_cast<std::size_t>(pos) - 1, ref.size()));
}

// EFFECT|CODON|PROTEIN (and the seventh field) of one allele in a CDS. An
// SNV shares its codon with the other SNVs of the VCF in it: alone in its
// sample, they make one "combined" change; otherwise each is shown alone,
// marked "codon_shared".
void CdsValue(Annotator& an, const Variant& v, const IndexedFeature& f, std::vector<BaseChange>& changes,
              std::string& value) {
  if (!AllBases(v.alt)) {
    value += "complex||";  // a symbolic allele, "*" or "."
    return;
  }
  if (v.ref.size() != v.alt.size()) {
    IndelChange(f, v.pos, v.ref, v.alt, value);
    return;
  }
  changes.clear();
  for (std::size_t i = 0; i < v.ref.size(); ++i) {
    if (UpperCase(v.ref[i]) != UpperCase(v.alt[i]))
      changes.push_back({v.pos + static_cast<int>(i), UpperCase(v.alt[i])});
  }
  if (changes.empty()) changes.push_back({v.pos, UpperCase(v.alt[0])});  // an allele equal to REF
  const char* shared = nullptr;
  if (v.ref.size() == 1) {
    int index = CdsIndex(f, v.pos);
    int codon = index < 0 ? -1 : CodonOf(f, index);
    if (codon >= 0) {
      std::vector<BaseChange>& group = an.group;
      bool duplicate;
      SnvsInCodon(*v.genome, an.snvs, f, codon, group, duplicate);
      bool member = !v.multiallelic;  // this SNV is one of the group
      if (group.size() > (member ? 1u : 0u)) {
        if (!member || duplicate || an.samples > 1) {
          shared = "|codon_shared";
        } else {
          shared = "|combined";
          changes = group;
        }
      }
    }
  }
  CodingChange(v.genome->residues, f, changes, value);
  if (shared) value += shared;
}

// The GBCSQ value of a data line whose CHROM names a record.
void AnnotateLine(Annotator& an, const Genome& g, int pos, const VcfLine& line, std::vector<std::uint32_t>& covering,
                  std::vector<BaseChange>& changes, std::string& value) {
  value.clear();
  bool ref_ok = RefMatches(g, pos, line.ref);
  if (!ref_ok) ++an.mismatches;
  CoveringFeatures(g, pos, static_cast<long long>(pos) + static_cast<long long>(line.ref.size()) - 1, covering);
  if (covering.empty()) {
    value = "intergenic";
    return;
  }
  bool multiallelic = line.alt.find(',') != std::string_view::npos;
  for (std::uint32_t i : covering) {
    const IndexedFeature& f = g.features[i];
    std::string_view rest = line.alt;
    for (bool more = true; more;) {
      std::string_view alleles[2] = {rest, {}};  // the next allele, and those after it
      more = multiallelic && col::CutAt(rest, ',', alleles, 2) == 2;
      rest = alleles[1];
      Variant v{&g, pos, line.ref, alleles[0], multiallelic};
      if (!value.empty()) value += ',';
      value += f.key;
      value += '|';
      value += f.name;
      value += '|';
      value += f.strand;
      value += '|';
      if (!ref_ok) {
        value += "ref_mismatch||";
      } else if (!f.code) {
        value += "non_coding||";
      } else {
        CdsValue(an, v, f, changes, value);
      }
    }
  }
}

// The second reading: every line written, data lines with their GBCSQ item.
bool WriteAnnotatedVcf(Annotator& an, col::Input& in, col::Output& out, std::string_view command) {
  VcfReader vcf(in, an.path.c_str());
  const std::string& line = vcf.line;
  std::string value;
  std::vector<std::uint32_t> covering;
  std::vector<BaseChange> changes;
  int genome = -1;
  for (VcfPart part; vcf.Next(part);) {
    if (part == VcfPart::kColumns) {
      out.Write(kGbcsqInfo);
      out.Write("##morvelCommand=");
      out.Write(command);
      out.Put('\n');
      out.Write(line);
      continue;
    }
    if (part == VcfPart::kHeader) {
      if (!IsGbcsqInfoLine(line)) out.Write(line);
      continue;
    }
    VcfLine f;
    int pos;
    if (!vcf.ReadData(f, pos)) return false;  // changed since the first reading
    ++an.variants;
    if (vcf.NewChrom(f.chrom)) {
      auto it = an.chroms.find(std::string(f.chrom));
      genome = it == an.chroms.end() ? -1 : an.chrom_genome[it->second];
    }
    if (genome < 0) {
      ++an.unknown;
      out.Write(line);
      continue;
    }
    if (an.protein_genomes[genome]) {  // amino acids: no codons to change
      ++an.on_protein;
      out.Write(line);
      continue;
    }
    AnnotateLine(an, an.genomes[genome], pos, f, covering, changes, value);
    WriteVcfLine(out, line, f, value);
  }
  return !in.Failed();
}

}  // namespace

int AnnotateVariants(const Options& opt, col::Input& genbank, col::Output& out, std::string_view command) {
  Annotator an;
  an.path = opt.variants;
  {
    col::Input vcf;
    if (!OpenVcf(an, vcf, true)) return 1;
    bool ok = ReadVcfIndex(an, vcf);
    if (!CloseVcf(an, vcf, ok)) return 1;
  }
  GenBankReader reader(std::vector<RecordConsumer*>{&an});
  if (ReadGenBank(genbank, reader, opt.filename) != 0) return 1;
  IndexSnvs(an.snvs, an.chrom_genome, an.genomes);
  {
    col::Input vcf;
    if (!OpenVcf(an, vcf, false)) return 1;
    bool ok = WriteAnnotatedVcf(an, vcf, out, command);
    if (!CloseVcf(an, vcf, ok)) return 1;
  }
  if (an.mismatches > 0 || an.unknown > 0 || an.on_protein > 0) {
    std::fprintf(stderr,
                 "morvel: Warning: %lld of %lld variants not annotated as given: %lld with a REF that differs "
                 "from the record (ref_mismatch), %lld on a CHROM that names no record (written unchanged)",
                 an.mismatches + an.unknown + an.on_protein, an.variants, an.mismatches, an.unknown);
    if (an.on_protein > 0) std::fprintf(stderr, ", %lld on a protein record (written unchanged)", an.on_protein);
    std::fputc('\n', stderr);
  }
  return 0;
}

}  // namespace morvel
