// Genetic codes: NCBI's translation tables, the amino acid of each codon and
// the codons that serve as starts. morvel's variant effects and colshow's
// translation rows read codons through them.
#pragma once

namespace col {

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

// The codon's number in the T C A G order (0 to 63), or -1 when a base is not
// A, C, G, T or U (either case).
int CodonIndex(int first, int second, int third);

// The amino acid of a codon by `code`: "*" for a stop, "X" when any base is
// not A, C, G, T or U (either case).
char TranslateCodon(const GeneticCode& code, int first, int second, int third);

// Whether the codon is one of the code's start codons.
bool IsStartCodon(const GeneticCode& code, int first, int second, int third);

}  // namespace col
