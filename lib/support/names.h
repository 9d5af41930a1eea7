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

#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace col {

// The name without a final version suffix ("." followed by one or more
// digits, with something before the dot), or the name itself.
std::string_view WithoutVersion(std::string_view name);

// True when `name` names the entry whose ENTRY name and first ACCESSION word
// are given (either may be empty: an empty one is named by nothing).
bool NameMatches(std::string_view name, std::string_view entry_name, std::string_view accession_first_word);

// Names from another file, each with an id, looked up by the rule without a
// walk over all of them: the ids of the names that name one entry cost a few
// hash look-ups.
class NameIndex {
 public:
  // Adds `name` with `id`; the name is kept as a view, so its text must
  // outlive the index.
  void Add(std::string_view name, std::uint32_t id);
  bool empty() const { return exact_.empty(); }
  // The ids of the names that name the entry with these names (as
  // NameMatches), each once, in ascending order, into `ids`.
  void Find(std::string_view entry_name, std::string_view accession_first_word, std::vector<std::uint32_t>& ids) const;

 private:
  void Collect(std::string_view own, std::vector<std::uint32_t>& ids) const;

  std::unordered_map<std::string_view, std::vector<std::uint32_t>> exact_;    // by the name
  std::unordered_map<std::string_view, std::vector<std::uint32_t>> by_base_;  // by the name less its version
};

}  // namespace col
