// Feature lines: the features of a GenBank record carried in a col entry's
// text, one keyed line each:
//
//   "; FEATURE           KEY STRAND RANGES NAME [codon_start=N transl_table=N]\n"
//
// KEY is the feature key ("CDS", "gene", ...); STRAND "+", "-" (a complemented
// location) or "." (mixed); RANGES the location's ranges in record positions
// and reading order, "A-B" with A <= B, joined by ","; NAME one word, with
// white space, "%" and bytes outside printable ASCII percent-encoded ("%20"),
// "." when the feature has no name. CDS lines end with the reading frame and
// the genetic code their codons were read with.
//
// morvel writes the lines, tindra chooses positions by NAME and colshow
// draws them; every other reader keeps them as entry text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace col {

inline constexpr std::string_view kFeatureKey = "FEATURE";

// One range, first <= last, both counted from 1.
struct FeatureRange {
  long long first = 0;
  long long last = 0;
};

struct FeatureLine {
  std::string key;
  char strand = '.';                  // '+', '-' or '.'
  std::vector<FeatureRange> ranges;   // reading order, at least one
  std::string name;                   // decoded; "." when there is none
  int codon_start = 0;                // 1 to 3 on CDS lines, else 0
  int transl_table = 0;               // the genetic code on CDS lines, else 0
};

// Reads one entry-text line (its newline optional). False, with `feature`
// unspecified, when it is not a FEATURE line or one of its words does not
// read: a strand other than + - ., a range that is not "A-B" with
// 1 <= A <= B, no name. Words after NAME other than codon_start= and
// transl_table= are ignored.
bool ReadFeatureLine(std::string_view line, FeatureLine& feature);

// The FEATURE lines of an entry text that read, in their order.
std::vector<FeatureLine> ReadFeatureLines(const std::vector<std::string>& text);

// Appends the whole line as morvel writes it, NAME encoded; codon_start= and
// transl_table= are written when codon_start is set.
void AppendFeatureLine(std::string& out, const FeatureLine& feature);

// Appends `text` with white space, "%" and bytes outside printable ASCII as
// "%XX" (two upper-case hex digits); an empty text as ".".
void AppendPercentEncoded(std::string& out, std::string_view text);

// Undoes AppendPercentEncoded; a "%" not followed by two hex digits stays.
std::string PercentDecoded(std::string_view text);

}  // namespace col
