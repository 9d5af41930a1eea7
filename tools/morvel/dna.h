// The dna module: nucleotide letters and their complements.
#pragma once

namespace morvel {

// 1 for A C G T and "-", either case; else 0.
int IsDNAnuc(int c);

// 1 for A C G T, the ambiguity letters Y R K M B D H V N X and "-", either
// case; else 0.
int IsDNAnucExt(int c);

// The complementary letter, case kept: A<->T, C<->G, U to A; every other
// character gives "n".
int DNAcomplement(int c);

}  // namespace morvel
