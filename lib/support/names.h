// The one rule by which a name from another file (a BED chrom, a VCF CHROM)
// names a col entry or a GenBank record.
//
// The name names it when it equals the entry's ENTRY name (the LOCUS name of
// a record) or the first word of its ACCESSION text, or when it equals one of
// these once a final version suffix ("." followed by digits) is removed from
// either side: "NC_000932.1" names the entry NC_000932, and "NC_000932" names
// an entry whose accession reads "NC_000932.1". Two different versions
// ("X.1", "X.2") never name each other. Letter case counts.
#pragma once

#include <string_view>

namespace col {

// The name without a final version suffix ("." followed by one or more
// digits, with something before the dot), or the name itself.
std::string_view WithoutVersion(std::string_view name);

// True when `name` names the entry whose ENTRY name and first ACCESSION word
// are given (either may be empty: an empty one is named by nothing).
bool NameMatches(std::string_view name, std::string_view entry_name, std::string_view accession_first_word);

}  // namespace col
