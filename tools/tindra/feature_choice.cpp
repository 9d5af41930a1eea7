#include "feature_choice.h"

#include <algorithm>
#include <climits>

#include "feature_lines.h"

namespace tindra {

FeatureChoice::FeatureChoice(std::string_view list) {
  for (;;) {
    std::size_t comma = list.find(',');
    std::string name = col::PercentDecoded(list.substr(0, comma));
    if (!name.empty() && index_.emplace(name, names_.size()).second) names_.push_back(name);
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
  }
  found_.assign(names_.size(), false);
}

const col::RangeIndex& FeatureChoice::Prepare(const std::vector<std::string>& text) {
  std::vector<col::RangeSpan> spans;
  col::FeatureLine feature;
  std::string keyed;
  for (const std::string& line : text) {
    if (!col::ReadFeatureLine(line, feature)) continue;
    keyed = feature.key + ':' + feature.name;
    bool chosen = false;
    for (const std::string* name : {&feature.name, &keyed}) {
      auto it = index_.find(*name);
      if (it == index_.end()) continue;
      found_[it->second] = true;
      chosen = true;
    }
    if (!chosen) continue;
    // Positions beyond an int are beyond every position column.
    for (const col::FeatureRange& r : feature.ranges) {
      if (r.first > INT_MAX) continue;
      spans.push_back({static_cast<int>(r.first), static_cast<int>(std::min<long long>(r.last, INT_MAX)), 0});
    }
  }
  positions_ = col::RangeIndex::Union(std::move(spans));
  return positions_;
}

// A name with control bytes is shown percent-encoded, so that the warning
// stays one line.
void FeatureChoice::WarnMissing(std::FILE* err) const {
  for (std::size_t i = 0; i < names_.size(); ++i) {
    if (found_[i]) continue;
    const std::string& name = names_[i];
    bool plain = std::none_of(name.begin(), name.end(), [](char c) { return c >= 0 && c < ' '; }) &&
                 name.find('\x7f') == std::string::npos;
    std::string shown;
    if (plain) {
      shown = name;
    } else {
      col::AppendPercentEncoded(shown, name);
    }
    std::fprintf(err, "tindra: Warning: no entry coloured has a feature named '%s'\n", shown.c_str());
  }
}

}  // namespace tindra
