#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "dna.h"
#include "protein.h"

using namespace morvel;

namespace {

// The characters of 0..255 (as the callers pass them, signed or not) that
// `test` accepts.
template <class Test>
std::string Accepted(Test test) {
  std::string out;
  for (int c = 0; c < 256; ++c) {
    EXPECT_EQ(test(c), test(static_cast<int>(static_cast<signed char>(c)))) << c;
    if (test(c)) out += static_cast<char>(c);
  }
  return out;
}

TEST(Alphabet, LetterTestsAcceptTheirSetsInBothCases) {
  EXPECT_EQ(Accepted(IsDNAnuc), "-ACGTacgt");
  EXPECT_EQ(Accepted(IsDNAnucExt), "-ABCDGHKMNRTVXYabcdghkmnrtvxy");
  EXPECT_EQ(Accepted(IsAmino), "-ACDEFGHIKLMNPQRSTVWYacdefghiklmnpqrstvwy");
  EXPECT_EQ(Accepted(IsAminoExt), "-ABCDEFGHIKLMNPQRSTVWXYZabcdefghiklmnpqrstvwxyz");
  EXPECT_EQ(IsDNAnuc(EOF), 0);
}

TEST(Alphabet, ComplementKeepsCaseAndTurnsTheRestIntoN) {
  std::string from, to;
  for (int c = 0; c < 256; ++c) {
    int comp = DNAcomplement(c);
    if (comp != 'n') {
      from += static_cast<char>(c);
      to += static_cast<char>(comp);
    }
  }
  // T and U both give A; every other character, N among them, gives n.
  EXPECT_EQ(from, "ACGTUacgtu");
  EXPECT_EQ(to, "TGCAAtgcaa");
  EXPECT_EQ(DNAcomplement('t'), 'a');
  EXPECT_EQ(DNAcomplement('N'), 'n');
  EXPECT_EQ(DNAcomplement('-'), 'n');
}

TEST(Alphabet, StandardGeneticCode) {
  // Codons in the order of the first, second and third base T, C, A, G.
  const std::string code = "FFLLSSSSYY--CC-WLLLLPPPPHHQQRRRRIIIMTTTTNNKKSSRRVVVVAAAADDEEGGGG";
  const std::string bases = "TCAG";
  auto same = [](char b, int form) {
    char upper = b == 'T' && form >= 2 ? 'U' : b;
    return form % 2 ? static_cast<char>(std::tolower(upper)) : upper;
  };
  for (int i = 0; i < 64; ++i) {
    char b1 = bases[i / 16], b2 = bases[i / 4 % 4], b3 = bases[i % 4];
    // Each base as upper or lower case, T or U.
    for (int form = 0; form < 4; ++form)
      EXPECT_EQ(Nuc2Amino(same(b1, form), same(b2, 3 - form), same(b3, form)), code[i])
          << b1 << b2 << b3 << " form " << form;
  }
  EXPECT_EQ(Nuc2Amino('a', 't', 'g'), 'M');
  EXPECT_EQ(Nuc2Amino('T', 'A', 'A'), '-');
  EXPECT_EQ(Nuc2Amino('A', 'U', 'A'), 'I');
  EXPECT_EQ(Nuc2Amino('A', 'G', 'g'), 'R');
}

TEST(Alphabet, UnclearCodonsGiveADot) {
  const char* codons[] = {"GCN", "NCA", "GNA", "GCX", "GC-", "RAA", "GC ", "\307CA"};
  for (const char* c : codons) EXPECT_EQ(Nuc2Amino(c[0], c[1], c[2]), '.') << c;
}

}  // namespace
