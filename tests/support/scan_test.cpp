#include "scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>
#include <string>
#include <vector>

namespace {

using col::Separators;
using col::Span;

struct IntCase {
  const char* text;
  bool found;
  bool fits;
  int value;
  std::size_t used;
};

TEST(ScanInt, ReadsLikeScanfPercentD) {
  const IntCase cases[] = {
      {"42", true, true, 42, 2},
      {"  \t\n\v\f\r7x", true, true, 7, 8},  // every white space character before the number
      {"+5", true, true, 5, 2},
      {"-0", true, true, 0, 2},
      {"-12-3", true, true, -12, 3},
      {"007", true, true, 7, 3},
      {"2147483647", true, true, 2147483647, 10},
      {"-2147483648", true, true, -2147483647 - 1, 11},
      // beyond an int: found and used up, but not a value
      {"2147483648", true, false, 0, 10},
      {"-2147483649", true, false, 0, 11},
      {"99999999999999999999999999,", true, false, 0, 26},
      // no digit after the optional sign: nothing found, nothing used
      {"", false, false, 0, 0},
      {"   ", false, false, 0, 0},
      {"-", false, false, 0, 0},
      {"+ 5", false, false, 0, 0},
      {"--5", false, false, 0, 0},
      {".5", false, false, 0, 0},
      {"x12", false, false, 0, 0},
  };
  for (const IntCase& c : cases) {
    col::ScannedInt n = col::ScanInt(c.text);
    EXPECT_EQ(n.found, c.found) << '"' << c.text << '"';
    EXPECT_EQ(n.fits, c.fits) << '"' << c.text << '"';
    EXPECT_EQ(n.value, c.value) << '"' << c.text << '"';
    EXPECT_EQ(n.used, c.used) << '"' << c.text << '"';

    int value = -99;
    std::size_t used = 99;
    EXPECT_EQ(col::ReadInt(c.text, value, used), c.fits) << '"' << c.text << '"';
    EXPECT_EQ(value, c.fits ? c.value : -99);
    EXPECT_EQ(used, c.fits ? c.used : 99u);
  }
}

TEST(ScanInt, StopsAtTheEndOfTheView) {
  std::string text = "123456";
  col::ScannedInt n = col::ScanInt(std::string_view(text).substr(0, 3));
  EXPECT_EQ(n.value, 123);
  EXPECT_EQ(n.used, 3u);
}

// A random line of up to `max_len` characters drawn from `alphabet`, in a
// buffer of exactly its size, so that a read past the end is caught by the
// sanitizer builds.
std::vector<char> RandomLine(std::mt19937& rng, std::string_view alphabet, std::size_t max_len) {
  std::uniform_int_distribution<std::size_t> len(0, max_len), pick(0, alphabet.size() - 1);
  std::vector<char> line(len(rng));
  for (char& c : line) c = alphabet[pick(rng)];
  return line;
}

// Mostly separators and digits, with the bytes just outside the white-space
// and digit ranges and one with its high bit set.
constexpr std::string_view kMixed = "     \t\t\t\r\n\v\f0123456789abXY\b\x0e\x89/:";
constexpr std::string_view kDigits = "01234567890123456789012345678901234567890123456789 /:";

bool SameSpans(const Span* a, const Span* b, int n) {
  for (int i = 0; i < n; ++i) {
    if (a[i].data != b[i].data || a[i].size != b[i].size) return false;
  }
  return true;
}

// Each fast path against its scalar twin on random lines: the masks for
// every block the contract allows, the splits for several limits, the field
// search for every k, and the word-wide digits for every count.
TEST(Scan, FastPathsAgreeWithTheirScalarTwins) {
  std::mt19937 rng(20261208);
  for (int round = 0; round < 4000; ++round) {
    std::vector<char> bytes = RandomLine(rng, kMixed, 200);
    std::string_view text(bytes.data(), bytes.size());
    std::string shown(text);
    for (Separators sep : {Separators::kSpace, Separators::kBlankTab}) {
      for (std::size_t at = 0; at < text.size(); ++at) {
        std::size_t len = std::min<std::size_t>(64, text.size() - at);
        ASSERT_EQ(col::SeparatorMask(text, at, len, sep), col::SeparatorMaskScalar(text, at, len, sep))
            << '"' << shown << "\" at " << at << " len " << len;
      }
      Span fast[201], slow[201];
      for (int max : {0, 1, 2, 3, 7, 64, 201}) {
        int n = col::SplitFields(text, sep, fast, max);
        ASSERT_EQ(n, col::SplitFieldsScalar(text, sep, slow, max)) << '"' << shown << "\" max " << max;
        ASSERT_TRUE(SameSpans(fast, slow, n)) << '"' << shown << "\" max " << max;
      }
    }
    Span all[201];
    int count = col::SplitFieldsScalar(text, Separators::kSpace, all, 201);
    ASSERT_EQ(col::CountFields(text), count) << '"' << shown << '"';
    for (int k = 0; k <= count + 1; ++k) {
      std::string_view unset = "unset", fast = unset, slow = unset;
      ASSERT_EQ(col::CountFieldsFind(text, k, fast), col::CountFieldsFindScalar(text, k, slow)) << '"' << shown << '"';
      ASSERT_EQ(fast.data(), slow.data()) << '"' << shown << "\" k " << k;
      ASSERT_EQ(fast.size(), slow.size()) << '"' << shown << "\" k " << k;
      ASSERT_EQ(col::FieldAt(text, k), k >= 1 && k <= count ? all[k - 1].view() : std::string_view());
    }

    std::vector<char> digits = RandomLine(rng, kDigits, 24);
    for (std::size_t end = 8; end <= digits.size(); ++end) {
      for (std::size_t n = 1; n <= 8; ++n) {
        int fast = -1, slow = -1;
        ASSERT_EQ(col::ReadDigitWord(digits.data() + end, n, fast), col::ReadDigitsScalar(digits.data() + end, n, slow))
            << std::string(digits.data() + end - n, n);
        ASSERT_EQ(fast, slow) << std::string(digits.data() + end - n, n);
      }
    }
  }
}

TEST(Scan, StrictDecimalsAndSaturatingDigits) {
  struct Case {
    const char* text;
    long long max;
    bool ok;
    long long value;
  };
  const Case cases[] = {
      {"0", 0, true, 0},         {"9", 9, true, 9},          {"10", 9, false, 0},        {"007", 7, true, 7},
      {"", 9, false, 0},         {"+1", 9, false, 0},        {"-0", 9, false, 0},        {" 1", 9, false, 0},
      {"1 ", 9, false, 0},       {"1x", 9, false, 0},        {"2147483647", INT_MAX, true, INT_MAX},
      {"2147483648", INT_MAX, false, 0},                     {"9223372036854775807", LLONG_MAX, true, LLONG_MAX},
      {"9223372036854775808", LLONG_MAX, false, 0},          {"99999999999999999999", LLONG_MAX, false, 0},
      {"7", 5, false, 0},        {"1", -1, false, 0},
  };
  for (const Case& c : cases) {
    long long value = -7;
    EXPECT_EQ(col::ReadDecimal(c.text, c.max, value), c.ok) << '"' << c.text << "\" max " << c.max;
    EXPECT_EQ(value, c.ok ? c.value : -7) << '"' << c.text << '"';
    if (c.max > INT_MAX) continue;
    int small = -7;
    EXPECT_EQ(col::ReadDecimal(c.text, static_cast<int>(c.max), small), c.ok) << '"' << c.text << '"';
    EXPECT_EQ(small, c.ok ? c.value : -7) << '"' << c.text << '"';
  }

  // Leading digits: none, some, too many (kept as the largest).
  const Case leading[] = {{"", 100, true, 0},      {"x1", 100, true, 0},    {"0042x", 100, true, 42},
                          {"101", 100, true, 100}, {"99999999999999999999", LLONG_MAX, true, LLONG_MAX},
                          {"7", 5, true, 5},       {"12", 9, true, 9}};
  for (const Case& c : leading) {
    std::string_view text = c.text;
    std::size_t used = 99;
    EXPECT_EQ(col::ReadLeadingDigits(text, c.max, used), c.value) << '"' << text << "\" max " << c.max;
    EXPECT_EQ(used, std::min(text.find_first_not_of("0123456789"), text.size())) << '"' << text << '"';
  }
}

TEST(Scan, WordsFieldsAndLines) {
  std::string_view parts[4];
  ASSERT_EQ(col::CutAt("a\t\tb\t", '\t', parts, 4), 4);  // empty parts kept
  EXPECT_EQ(parts[1], "");
  EXPECT_EQ(parts[3], "");
  ASSERT_EQ(col::CutAt("a\tb\tc", '\t', parts, 2), 2);  // the last part runs to the end
  EXPECT_EQ(parts[1], "b\tc");
  EXPECT_EQ(col::CutAt("", '\t', parts, 4), 1);
  EXPECT_EQ(col::CutAt("a\tb", '\t', parts, 0), 0);

  std::string_view line = " \tab\v c\r\n";
  std::size_t at = 0;
  EXPECT_EQ(col::NextWord(line, at), "ab");
  EXPECT_EQ(col::NextWord(line, at), "c");
  EXPECT_EQ(col::NextWord(line, at), "");
  EXPECT_EQ(at, line.size());
  EXPECT_EQ(col::CountFields(line), 2);
  EXPECT_EQ(col::FieldAt(line, 2), "c");
  EXPECT_EQ(col::FieldAt(line, 3), "");
  EXPECT_EQ(col::CountFields(""), 0);

  EXPECT_TRUE(col::IsBlank(""));
  EXPECT_TRUE(col::IsBlank(" \t\n\v\f\r"));
  EXPECT_FALSE(col::IsBlank(" \x85 "));
  EXPECT_EQ(col::WithoutLineEnd("a\r\n"), "a");
  EXPECT_EQ(col::WithoutLineEnd("a\n\n"), "a\n");
  EXPECT_EQ(col::WithoutLineEnd("a\n\r"), "a\n");
  EXPECT_EQ(col::WithoutLineEnd("\r"), "");
  EXPECT_EQ(col::TrimSpace("\r a b\f "), "a b");
  EXPECT_TRUE(col::StartsWith("LOCUS", "LOC"));
  EXPECT_FALSE(col::StartsWith("LO", "LOC"));
  EXPECT_FALSE(col::StartsWith("ab", "", 3));
}

}  // namespace
