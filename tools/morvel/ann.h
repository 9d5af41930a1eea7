// morvel --variants --ann: the effects of the variants written as the VCF
// INFO item ANN ("VCF annotation format" 1.0, the field SnpEff writes):
// sixteen "|"-separated fields per allele and feature, Sequence Ontology
// terms with their impact classes, HGVS notation of the DNA change on the
// CDS (c.) and of the protein change (p.). The effects are those GBCSQ
// writes (codon_effects.h); this module only names and places them.
//
// Choices where the format leaves room: a synonymous change is written
// "p.Leu45Leu" (the amino acid twice, as SnpEff does), a stop "*"; entries
// are sorted by impact, HIGH first, keeping feature-table order within one
// class; upstream and downstream entries are written only for a variant
// that no feature covers (GBCSQ's "intergenic"), and intergenic_region when
// no gene or CDS starts or ends within 5,000 bases of it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "codon_effects.h"
#include "variant_index.h"

namespace morvel {

// The header line that declares ANN.
constexpr std::string_view kAnnInfo =
    "##INFO=<ID=ANN,Number=.,Type=String,Description=\"Functional annotations: 'Allele | Annotation | "
    "Annotation_Impact | Gene_Name | Gene_ID | Feature_Type | Feature_ID | Transcript_BioType | Rank | HGVS.c | "
    "HGVS.p | cDNA.pos / cDNA.length | CDS.pos / CDS.length | AA.pos / AA.length | Distance | ERRORS / WARNINGS / "
    "INFO'\">\n";

// A "##INFO" line that declares ANN (an earlier run's; it is replaced).
bool IsAnnInfoLine(std::string_view line);

// One ALT allele of a data line on a record.
struct AnnAllele {
  const Genome* genome = nullptr;
  int pos = 0;
  std::string_view ref, alt;  // alt: this allele alone, as written
  bool ref_ok = true;         // REF is the record's bases there
  bool combined = false;      // the effect is that of the SNVs sharing its codon (GBCSQ's "combined")
};

// The ANN entries of one data line, gathered allele by allele and written
// sorted by impact.
class AnnEntries {
 public:
  void Clear();
  // The entry of an allele on a feature covering its REF bases; `coding` is
  // the CDS's effect (GBCSQ's), null for every other feature.
  void AddCovered(const AnnAllele& a, const IndexedFeature& f, const CodingEffect* coding);
  // The entries of an allele no feature covers: upstream_gene_variant and
  // downstream_gene_variant for each CDS or RNA (or gene without one of its
  // name) within 5,000 bases, intron_variant inside a join of a CDS, else
  // one intergenic_region. `scratch` holds feature numbers.
  void AddUncovered(const AnnAllele& a, std::vector<std::uint32_t>& scratch);
  // The value: the entries by impact, HIGH first, joined by ",".
  void Write(std::string& value);

 private:
  struct Span {
    int impact;  // 0 HIGH .. 3 MODIFIER
    std::size_t from, to;
  };
  void Add(int impact, std::size_t from);
  std::string text_;
  std::vector<Span> spans_;
  std::string hgvs_c_, hgvs_p_;
};

// The HGVS p. notation of amino acids `ref` becoming `alt` from codon
// `first_codon` (0-based) on: "p.Leu45Ser", "p.Gln12*", "p.Leu45Leu",
// "p.Met1?", "p.Lys23_Leu24del", "p.*96Glnext*?", "p.Lys2_Leu3insGly".
std::string HgvsP(int first_codon, std::string_view ref, std::string_view alt);

}  // namespace morvel
