// The effect of a variant on the protein of a CDS: the codons it changes and
// their amino acids by the CDS's genetic code, or the kind of an insertion or
// deletion. Both the GBCSQ and the ANN writer format the same CodingEffect.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "variant_index.h"

namespace morvel {

// From least to most severe, so that the effect of several codons is the
// largest of theirs; the indel kinds and complex come last.
enum class Effect { synonymous, missense, stop_lost, stop_gained, start_lost, complex, frameshift, inframe_indel };

// What a change does to a CDS. For base changes: the codons from the first
// to the last changed one (changed bases in capitals) and their amino acids
// ("M" for any start codon of codon 1, "?" for a start codon lost, "*" for a
// stop, "X" for an unknown base).
struct CodingEffect {
  Effect effect = Effect::complex;
  int first_codon = -1;  // 0-based, counted from /codon_start; -1 without codons
  std::string ref_codons, alt_codons, ref_amino, alt_amino;
};

// The effect of base changes (by ascending position) inside the CDS of a
// record of these residues. A change outside the CDS's complete codons makes
// the effect complex with no codons.
void CodingChange(std::string_view residues, const IndexedFeature& f, const std::vector<BaseChange>& changes,
                  CodingEffect& out);

// The effect of an insertion or deletion at `pos`: its REF and ALT trimmed of
// the bases they share at both ends leave the deleted bases and the inserted
// ones; complex when those do not lie along the CDS without a gap.
// The lengths of the start and then of the end that REF and ALT share, letter
// case aside: what an indel or a substitution leaves unchanged.
struct SharedEnds {
  std::size_t prefix = 0;
  std::size_t suffix = 0;
};
SharedEnds SharedEndsOf(std::string_view ref, std::string_view alt);

void IndelChange(const IndexedFeature& f, int pos, std::string_view ref, std::string_view alt, CodingEffect& out);

// The effect's name as GBCSQ writes it ("synonymous", "inframe_indel", ...).
const char* EffectName(Effect e);

// Appends EFFECT|CODON|PROTEIN of a GBCSQ value.
void AppendGbcsqEffect(const CodingEffect& e, std::string& value);

}  // namespace morvel
