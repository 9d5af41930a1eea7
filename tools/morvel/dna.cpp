#include "dna.h"

#include <array>
#include <string_view>

#include "scan.h"

namespace morvel {

namespace {

using Table = std::array<char, 256>;

constexpr col::LetterSet kNuc = col::CaseBlindSet("ACGT-");
constexpr col::LetterSet kNucExt = col::CaseBlindSet("ACGTYRKMBDHVNX-");

constexpr Table MakeComplements() {
  Table t{};
  t.fill('n');
  constexpr std::string_view from = "ACGTUacgtu", to = "TGCAAtgcaa";
  for (std::size_t i = 0; i < from.size(); ++i) t[static_cast<unsigned char>(from[i])] = to[i];
  return t;
}

constexpr Table kComplement = MakeComplements();

unsigned char Index(int c) { return static_cast<unsigned char>(c); }

}  // namespace

int IsDNAnuc(int c) { return kNuc[Index(c)]; }

int IsDNAnucExt(int c) { return kNucExt[Index(c)]; }

int DNAcomplement(int c) { return kComplement[Index(c)]; }

}  // namespace morvel
