#include "dna.h"

#include <array>
#include <string_view>

namespace morvel {

namespace {

using Table = std::array<char, 256>;

// A table that marks every letter of `letters` in both cases.
constexpr Table Members(std::string_view letters) {
  Table t{};
  for (char c : letters) {
    t[static_cast<unsigned char>(c)] = 1;
    if (c >= 'A' && c <= 'Z') t[static_cast<unsigned char>(c - 'A' + 'a')] = 1;
  }
  return t;
}

constexpr Table kNuc = Members("ACGT-");
constexpr Table kNucExt = Members("ACGTYRKMBDHVNX-");

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
