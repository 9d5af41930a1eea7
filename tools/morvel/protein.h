// The protein module: amino-acid letters and the genetic codes.
#pragma once

#include "genetic_code.h"

namespace morvel {

// 1 for the twenty amino-acid letters and "-", either case; else 0.
int IsAmino(int c);

// 1 for the IsAmino letters and the ambiguity letters B Z X; else 0.
int IsAminoExt(int c);

// The amino acid of a codon (bases in reading order, either case, T or U) by
// the standard genetic code; "-" for a stop codon and "." when any base is
// not A, C, G, T or U.
char Nuc2Amino(int first, int second, int third);

// The genetic codes live in the col library (genetic_code.h), shared with
// colshow's translation rows.
using col::FindGeneticCode;
using col::GeneticCode;
using col::IsStartCodon;
using col::TranslateCodon;

}  // namespace morvel
