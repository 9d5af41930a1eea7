#include "protein.h"

#include "scan.h"

namespace morvel {

namespace {

constexpr col::LetterSet kAmino = col::CaseBlindSet("ACDEFGHIKLMNPQRSTVWY-");
constexpr col::LetterSet kAminoExt = col::CaseBlindSet("ACDEFGHIKLMNPQRSTVWYBZX-");

unsigned char Index(int c) { return static_cast<unsigned char>(c); }

}  // namespace

int IsAmino(int c) { return kAmino[Index(c)]; }

int IsAminoExt(int c) { return kAminoExt[Index(c)]; }

char Nuc2Amino(int first, int second, int third) {
  int i = col::CodonIndex(first, second, third);
  if (i < 0) return '.';
  char amino = col::FindGeneticCode(1)->amino[i];
  return amino == '*' ? '-' : amino;
}

}  // namespace morvel
