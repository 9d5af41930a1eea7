// Reading text: the one home of the suite's character tests, decimal
// parsers, word and field splitters and the word-at-a-time fast paths.
//
// Every reader of outside text (col files, GenBank records, BED, VCF, the
// command line) scans through these, so that " 12", "+12" and "-0" mean the
// same everywhere and a field is cut the same way in every tool. Each fast
// path (SIMD masks, digits read a word at a time) has a plain scalar twin
// beside it that gives the same answer; the tests compare the two.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace col {

// ---------------------------------------------------------------------------
// Characters and lines

// White space: blank, tab, newline, vertical tab, form feed, carriage return.
constexpr bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A membership table of the 256 byte values: set for each of `letters`, in
// both cases where it is a letter. One load answers the test.
using LetterSet = std::array<bool, 256>;
constexpr LetterSet CaseBlindSet(std::string_view letters) {
  LetterSet set{};
  for (char c : letters) {
    set[static_cast<unsigned char>(c)] = true;
    if (c >= 'A' && c <= 'Z') set[static_cast<unsigned char>(c - 'A' + 'a')] = true;
  }
  return set;
}

// True when the text is empty or white space only.
bool IsBlank(std::string_view text);

// True when `text` begins with `prefix` at index `at` (false when `at` is
// past the end).
constexpr bool StartsWith(std::string_view text, std::string_view prefix, std::size_t at = 0) {
  return at <= text.size() && text.substr(at).starts_with(prefix);
}

// The line without its line end: a final "\n" and a "\r" before it.
std::string_view WithoutLineEnd(std::string_view line);

// The text without white space at either end.
std::string_view TrimSpace(std::string_view text);

// ---------------------------------------------------------------------------
// Decimal numbers

// What "%d" finds at the start of a text: white space, an optional sign, then
// at least one digit. `used` counts the characters up to the last digit;
// numbers beyond an int are found (and used up) but do not fit, and their
// value is then 0: they are never wrapped around.
struct ScannedInt {
  bool found = false;    // a sign-optional run of digits was there
  bool fits = false;     // and it makes an int
  int value = 0;         // when it fits
  std::size_t used = 0;  // characters read, 0 when nothing was found
};

ScannedInt ScanInt(std::string_view text);

// The same as a yes/no: true (with value and used set) when a number that fits
// in an int starts the text; false leaves both untouched.
bool ReadInt(std::string_view text, int& value, std::size_t& used);

// Strict: the whole text is decimal digits (at least one, no sign, no white
// space) whose value is at most `max`. False, with `value` unchanged,
// otherwise.
bool ReadDecimal(std::string_view text, long long max, long long& value);
bool ReadDecimal(std::string_view text, int max, int& value);

// The digits that start `text` (none, any number) as a value that saturates at
// `max`: "0042x" gives 42 and `used` 4. For readers that keep too-large
// numbers as the largest one.
long long ReadLeadingDigits(std::string_view text, long long max, std::size_t& used);

// Plain digits, 1 to 8 of them, that end at `end`, read in one word: the
// bytes before the digits are taken as "0" and the digits are joined in
// pairs, fours and eights, without a step per digit. The 8 bytes before
// `end` must be readable. False, with `value` unchanged, when one of the
// `count` characters is not a digit.
inline bool ReadDigitWord(const char* end, std::size_t count, int& value);
// Its scalar twin: the same answer, one digit at a time (any readable text).
bool ReadDigitsScalar(const char* end, std::size_t count, int& value);

// ---------------------------------------------------------------------------
// Words and fields

// A field of a line: plain data, so that an array of them costs nothing to
// set up.
struct Span {
  const char* data = nullptr;
  std::size_t size = 0;

  std::string_view view() const { return {data, size}; }
};

// The word (run of non-white characters) at or after `at`, white space before
// it skipped; `at` is left just after it. Empty at the end of the text.
std::string_view NextWord(std::string_view text, std::size_t& at);

// The characters that may separate fields.
enum class Separators {
  kSpace,     // the six white-space characters (col body lines)
  kBlankTab,  // blank and tab (BED)
};

// Bit i set when character at + i of the text is a separator, for the `len`
// (1 to 64) characters from `at`; the bits from `len` up are set too. The
// block must end the text or be 64 characters long. With SSE2, texts of 16
// characters or more are loaded 16 at a time straight from the text.
inline std::uint64_t SeparatorMask(std::string_view text, std::size_t at, std::size_t len, Separators sep);
std::uint64_t SeparatorMaskScalar(std::string_view text, std::size_t at, std::size_t len, Separators sep);

// The fields of a text (runs of non-separators), at most `max` of them, into
// `fields`: their count. Found at the edges of the separator masks, not
// character by character.
inline int SplitFields(std::string_view text, Separators sep, Span* fields, int max);
int SplitFieldsScalar(std::string_view text, Separators sep, Span* fields, int max);

// Cuts a text at every `separator` character (empty parts kept, as in
// tab-separated text) into at most `max` parts, the last running to the end
// of the text: their count.
int CutAt(std::string_view text, char separator, std::string_view* parts, int max);

// The number of white-space separated fields of a text.
inline int CountFields(std::string_view text);

// Field k (1 or more) of a text, white space separated; empty when the text
// has fewer than k fields.
std::string_view FieldAt(std::string_view text, int k);

// The number of fields of a text, as CountFields, and field k (1 or more) in
// `field` when there are at least k (else `field` is unchanged). A text of 16
// to 64 characters is scanned at once through the white-space mask.
inline int CountFieldsFind(std::string_view text, int k, std::string_view& field);
int CountFieldsFindScalar(std::string_view text, int k, std::string_view& field);

// The set bits of a word, counted in place (std::popcount becomes a library
// call where the build does not assume the instruction).
inline int BitCount(std::uint64_t x) {
  x = x - ((x >> 1) & 0x5555555555555555u);
  x = (x & 0x3333333333333333u) + ((x >> 2) & 0x3333333333333333u);
  x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
  return static_cast<int>((x * 0x0101010101010101u) >> 56);
}

// ---------------------------------------------------------------------------
// The fast paths, inline since they run once per line.

inline bool ReadDigitWord(const char* end, std::size_t count, int& value) {
  if constexpr (std::endian::native != std::endian::little) {
    return ReadDigitsScalar(end, count, value);
  }
  std::uint64_t word;
  std::memcpy(&word, end - 8, 8);
  constexpr std::uint64_t kZeros = 0x3030303030303030u;
  std::uint64_t keep = ~std::uint64_t{0} << (8 * (8 - count));
  std::uint64_t digits = ((word & keep) | (kZeros & ~keep)) - kZeros;
  if (((digits + 0x7676767676767676u) | digits) & 0x8080808080808080u) return false;
  digits = digits * 10 + (digits >> 8);
  constexpr std::uint64_t kPairs = 0x000000FF000000FFu;
  digits = ((digits & kPairs) * (100 + (std::uint64_t{1000000} << 32)) +
            ((digits >> 16) & kPairs) * (1 + (std::uint64_t{10000} << 32))) >> 32;
  value = static_cast<int>(digits);
  return true;
}

#if defined(__SSE2__)
// Bit i set when character i of the 16 at p is a separator.
inline std::uint64_t SeparatorMask16(const char* p, Separators sep) {
  __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  __m128i blank = _mm_cmpeq_epi8(c, _mm_set1_epi8(' '));
  __m128i other;
  if (sep == Separators::kSpace) {
    __m128i t = _mm_sub_epi8(c, _mm_set1_epi8('\t'));  // tab .. CR become 0 .. 4
    other = _mm_cmpeq_epi8(_mm_min_epu8(t, _mm_set1_epi8(4)), t);
  } else {
    other = _mm_cmpeq_epi8(c, _mm_set1_epi8('\t'));
  }
  return static_cast<std::uint16_t>(_mm_movemask_epi8(_mm_or_si128(blank, other)));
}
#endif

inline std::uint64_t SeparatorMask(std::string_view text, std::size_t at, std::size_t len, Separators sep) {
#if defined(__SSE2__)
  if (text.size() >= 16) {
    std::uint64_t mask = len < 64 ? ~std::uint64_t{0} << len : 0;
    const char* p = text.data() + at;
    std::size_t i = 0;
    for (; i + 16 <= len; i += 16) mask |= SeparatorMask16(p + i, sep) << i;
    if (i < len) mask |= SeparatorMask16(p + len - 16, sep) >> (i + 16 - len) << i;
    return mask;
  }
#endif
  return SeparatorMaskScalar(text, at, len, sep);
}

inline int SplitFields(std::string_view text, Separators sep, Span* fields, int max) {
  int n = 0;
  if (max <= 0) return 0;
  if (text.size() < 64) {
    // A short line, the usual case, pairs the k-th start with the k-th end
    // of its one mask (set from the end of the text on).
    std::uint64_t separators = SeparatorMask(text, 0, text.size(), sep);
    std::uint64_t starts = ~separators & ((separators << 1) | 1);
    std::uint64_t ends = separators & ~((separators << 1) | 1);
    for (; starts && n < max; starts &= starts - 1, ends &= ends - 1) {
      int begin = std::countr_zero(starts);
      fields[n++] = {text.data() + begin, static_cast<std::size_t>(std::countr_zero(ends) - begin)};
    }
    return n;
  }
  std::size_t start = 0;
  std::uint64_t previous = 1;  // a separator before the text
  for (std::size_t base = 0; base < text.size(); base += 64) {
    std::size_t len = text.size() - base < 64 ? text.size() - base : 64;
    std::uint64_t separators = SeparatorMask(text, base, len, sep);
    // An edge where a character differs in kind from the one before it.
    std::uint64_t edges = separators ^ ((separators << 1) | previous);
    previous = separators >> 63;
    for (; edges; edges &= edges - 1) {
      std::size_t at = base + static_cast<std::size_t>(std::countr_zero(edges));
      if (!(separators >> (at - base) & 1)) {
        start = at;  // a field begins
      } else {
        fields[n++] = {text.data() + start, at - start};
        if (n == max) return n;
      }
    }
  }
  if (!previous) fields[n++] = {text.data() + start, text.size() - start};  // runs to the end
  return n;
}

// 1 for the six white-space characters, else 0; branch-free so that the
// field count below runs over whole vectors of characters.
inline unsigned char WhiteBit(unsigned char c) { return (c == ' ') | (static_cast<unsigned char>(c - '\t') < 5); }

inline int CountFields(std::string_view text) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text.data());
  std::size_t n = text.size();
  if (n == 0) return 0;
  std::size_t count = WhiteBit(p[0]) ^ 1;
  // Counted in blocks small enough for byte-wide sums, which vectorise best.
  for (std::size_t i = 1; i < n;) {
    std::size_t stop = n < i + 255 ? n : i + 255;
    unsigned char block = 0;
    for (; i < stop; ++i) block += WhiteBit(p[i - 1]) & (WhiteBit(p[i]) ^ 1);
    count += block;
  }
  return count > 0x7fffffff ? 0x7fffffff : static_cast<int>(count);
}

inline int CountFieldsFind(std::string_view text, int k, std::string_view& field) {
#if defined(__SSE2__)
  std::size_t n = text.size();
  if (n >= 16 && n <= 64) {
    std::uint64_t white = SeparatorMask(text, 0, n, Separators::kSpace);  // white after the text
    std::uint64_t starts = ~white & ~(~white << 1);
    int count = BitCount(starts);
    if (k >= 1 && k <= count) {
      for (int j = 1; j < k; ++j) starts &= starts - 1;
      int begin = std::countr_zero(starts);
      std::uint64_t after = white >> begin;  // 0: the field runs to the 64th character
      int end = after ? begin + std::countr_zero(after) : 64;
      field = text.substr(begin, end - begin);
    }
    return count;
  }
#endif
  return CountFieldsFindScalar(text, k, field);
}

}  // namespace col
