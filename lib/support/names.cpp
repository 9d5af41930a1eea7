#include "names.h"

#include <algorithm>

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

void NameIndex::Add(std::string_view name, std::uint32_t id) {
  exact_[name].push_back(id);
  std::string_view base = WithoutVersion(name);
  if (base.size() != name.size()) by_base_[base].push_back(id);
}

// The names that `own` answers to: equal to it, equal to it less its version,
// or, less their own version, equal to it.
void NameIndex::Collect(std::string_view own, std::vector<std::uint32_t>& ids) const {
  if (own.empty()) return;
  auto add = [&](const std::unordered_map<std::string_view, std::vector<std::uint32_t>>& map, std::string_view key) {
    auto it = map.find(key);
    if (it != map.end()) ids.insert(ids.end(), it->second.begin(), it->second.end());
  };
  add(exact_, own);
  std::string_view base = WithoutVersion(own);
  if (base.size() != own.size()) add(exact_, base);
  add(by_base_, own);
}

void NameIndex::Find(std::string_view entry_name, std::string_view accession_first_word,
                     std::vector<std::uint32_t>& ids) const {
  ids.clear();
  Collect(entry_name, ids);
  Collect(accession_first_word, ids);
  std::sort(ids.begin(), ids.end());
  ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
}

}  // namespace col
