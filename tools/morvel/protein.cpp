#include "protein.h"

#include <array>
#include <string_view>

namespace {

using Table = std::array<signed char, 256>;

constexpr Table Members(std::string_view letters) {
  Table t{};
  for (char c : letters) {
    t[static_cast<unsigned char>(c)] = 1;
    if (c >= 'A' && c <= 'Z') t[static_cast<unsigned char>(c - 'A' + 'a')] = 1;
  }
  return t;
}

constexpr Table kAmino = Members("ACDEFGHIKLMNPQRSTVWY-");
constexpr Table kAminoExt = Members("ACDEFGHIKLMNPQRSTVWYBZX-");

// Base numbers in the order of the code table below: T (or U) 0, C 1, A 2,
// G 3, either case; -1 for anything else.
constexpr Table MakeBases() {
  Table t{};
  t.fill(-1);
  constexpr std::string_view bases = "TCAGUtcagu";
  constexpr signed char number[] = {0, 1, 2, 3, 0, 0, 1, 2, 3, 0};
  for (std::size_t i = 0; i < bases.size(); ++i) t[static_cast<unsigned char>(bases[i])] = number[i];
  return t;
}

constexpr Table kBase = MakeBases();

// The standard genetic code, codons ordered by first, second and third base
// in the order T C A G; stops are "-".
constexpr std::string_view kCode =
    "FFLLSSSSYY--CC-WLLLLPPPPHHQQRRRRIIIMTTTTNNKKSSRRVVVVAAAADDEEGGGG";

unsigned char Index(int c) { return static_cast<unsigned char>(c); }

}  // namespace

int IsAmino(int c) { return kAmino[Index(c)]; }

int IsAminoExt(int c) { return kAminoExt[Index(c)]; }

char Nuc2Amino(int first, int second, int third) {
  int a = kBase[Index(first)], b = kBase[Index(second)], c = kBase[Index(third)];
  if ((a | b | c) < 0) return '.';
  return kCode[a * 16 + b * 4 + c];
}
