// The protein module: amino-acid letters and the genetic codes.
#pragma once

namespace morvel {

// 1 for the twenty amino-acid letters and "-", either case; else 0.
int IsAmino(int c);

// 1 for the IsAmino letters and the ambiguity letters B Z X; else 0.
int IsAminoExt(int c);

// The amino acid of a codon (bases in reading order, either case, T or U) by
// the standard genetic code; "-" for a stop codon and "." when any base is
// not A, C, G, T or U.
char Nuc2Amino(int first, int second, int third);

// One of NCBI's genetic codes: the amino acid of each of the 64 codons and
// which of them serve as start codons, codons ordered by first, second and
// third base in the order T C A G.
struct GeneticCode {
  int id;              // the /transl_table= number
  const char* amino;   // 64 letters, "*" for a stop codon
  const char* starts;  // 64 characters, "M" for a start codon
};

// The code with the given NCBI number; null for a number NCBI does not use.
const GeneticCode* FindGeneticCode(int id);

// The amino acid of a codon by `code`: "*" for a stop, "X" when any base is
// not A, C, G, T or U (either case).
char TranslateCodon(const GeneticCode& code, int first, int second, int third);

// Whether the codon is one of the code's start codons.
bool IsStartCodon(const GeneticCode& code, int first, int second, int third);

}  // namespace morvel
