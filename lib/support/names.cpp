#include "names.h"

#include "scan.h"

namespace col {

std::string_view WithoutVersion(std::string_view name) {
  std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot == 0 || dot + 1 == name.size()) return name;
  for (std::size_t i = dot + 1; i < name.size(); ++i) {
    if (!IsDigit(name[i])) return name;
  }
  return name.substr(0, dot);
}

namespace {

// One side of the rule: `name` and `own` (an entry's name) are equal as they
// stand or with the version suffix taken off one of them.
bool NamesOne(std::string_view name, std::string_view own) {
  if (own.empty() || name.empty()) return false;
  return name == own || WithoutVersion(name) == own || name == WithoutVersion(own);
}

}  // namespace

bool NameMatches(std::string_view name, std::string_view entry_name, std::string_view accession_first_word) {
  return NamesOne(name, entry_name) || NamesOne(name, accession_first_word);
}

}  // namespace col
