#include "names.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <vector>

namespace {

TEST(NameMatches, OneRuleForBedChromsAndVcfChroms) {
  struct Case {
    const char* name;
    const char* entry;
    const char* accession;
    bool matches;
  };
  const Case cases[] = {
      {"NC_000932", "NC_000932", "", true},          // the ENTRY name
      {"NC_000932.1", "NC_000932", "", true},        // its version suffix removed
      {"NC_000932.1", "cp", "NC_000932", true},      // the ACCESSION word, versioned
      {"NC_000932", "cp", "NC_000932.1", true},      // a versioned accession
      {"NC_000932.1", "NC_000932.2", "", false},     // another version
      {"NC_000932.x", "NC_000932", "", false},       // not a version
      {"NC_000932.", "NC_000932", "", false},        // a dot without digits
      {"nc_000932", "NC_000932", "", false},         // case counts
      {"NC_000932", "NC_000932_1", "", false},
      {".1", "", "", false},                         // an entry without names
      {"chr1", "chr1.10", "", true},
  };
  // The index answers as the rule, also among names that are near misses.
  col::NameIndex index;
  for (std::uint32_t id = 0; id < std::size(cases); ++id) index.Add(cases[id].name, id);
  std::vector<std::uint32_t> found;
  for (const Case& c : cases) {
    EXPECT_EQ(col::NameMatches(c.name, c.entry, c.accession), c.matches)
        << c.name << " / " << c.entry << " / " << c.accession;
    std::vector<std::uint32_t> expected;
    for (std::uint32_t id = 0; id < std::size(cases); ++id) {
      if (col::NameMatches(cases[id].name, c.entry, c.accession)) expected.push_back(id);
    }
    index.Find(c.entry, c.accession, found);
    EXPECT_EQ(found, expected) << c.entry << " / " << c.accession;
  }
}

}  // namespace
