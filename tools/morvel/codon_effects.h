// The effect of a variant on the protein of a CDS, as the EFFECT|CODON|PROTEIN
// fields of a GBCSQ value: the codons it changes and their amino acids by the
// CDS's genetic code, or the kind of an insertion or deletion.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "variant_index.h"

namespace morvel {

// Appends EFFECT|CODON|PROTEIN of base changes (by ascending position) inside
// the CDS of a record of these residues. The codons from the first to the
// last changed one are shown; changed bases in capitals. A change outside
// the CDS's complete codons makes the effect "complex" with no codons.
void CodingChange(std::string_view residues, const IndexedFeature& f, const std::vector<BaseChange>& changes,
                  std::string& value);

// Appends EFFECT|| of an insertion or deletion at `pos`: its REF and ALT
// trimmed of the bases they share at both ends leave the deleted bases and
// the inserted ones.
void IndelChange(const IndexedFeature& f, int pos, std::string_view ref, std::string_view alt, std::string& value);

}  // namespace morvel
