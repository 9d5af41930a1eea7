// tindra --feature=NAME[,NAME...]: the positions of the features that an
// entry's FEATURE lines name. A listed item matches a feature's NAME, or
// "KEY:NAME" its key and name; items are percent-decoded first, so a name
// may be given as written in the FEATURE line ("16S%20rRNA") or as text.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "ranges.h"

namespace tindra {

class FeatureChoice {
 public:
  // The comma-separated list of the option; empty items name nothing.
  explicit FeatureChoice(std::string_view list);

  // The positions of the listed features of an entry text, in the record
  // positions its FEATURE lines give; marks the names it has as found.
  const col::RangeIndex& Prepare(const std::vector<std::string>& text);

  // One "tindra: Warning: ..." line per listed name that no prepared entry
  // had.
  void WarnMissing(std::FILE* err) const;

 private:
  std::vector<std::string> names_;  // in the order listed, once each
  std::vector<bool> found_;
  std::unordered_map<std::string, std::size_t> index_;  // name to its place in names_
  col::RangeIndex positions_;
};

}  // namespace tindra
