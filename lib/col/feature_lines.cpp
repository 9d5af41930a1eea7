#include "feature_lines.h"

#include <limits>

#include "col.h"
#include "scan.h"

namespace col {
namespace {

constexpr long long kMaxPosition = std::numeric_limits<long long>::max();

bool ReadRange(std::string_view text, FeatureRange& range) {
  std::size_t dash = text.find('-');
  if (dash == std::string_view::npos) return false;
  if (!ReadDecimal(text.substr(0, dash), kMaxPosition, range.first)) return false;
  if (!ReadDecimal(text.substr(dash + 1), kMaxPosition, range.last)) return false;
  return 1 <= range.first && range.first <= range.last;
}

bool ReadRanges(std::string_view text, std::vector<FeatureRange>& ranges) {
  ranges.clear();
  while (true) {
    std::size_t comma = text.find(',');
    FeatureRange range;
    if (!ReadRange(text.substr(0, comma), range)) return false;
    ranges.push_back(range);
    if (comma == std::string_view::npos) return true;
    text.remove_prefix(comma + 1);
  }
}

// "codon_start=N" and "transl_table=N"; any other word is left alone.
bool ReadExtra(std::string_view word, FeatureLine& feature) {
  constexpr std::string_view kCodonStart = "codon_start=";
  constexpr std::string_view kTranslTable = "transl_table=";
  if (StartsWith(word, kCodonStart)) {
    int value = 0;
    if (!ReadDecimal(word.substr(kCodonStart.size()), 3, value) || value < 1) return false;
    feature.codon_start = value;
  } else if (StartsWith(word, kTranslTable)) {
    int value = 0;
    if (!ReadDecimal(word.substr(kTranslTable.size()), 999, value)) return false;
    feature.transl_table = value;
  }
  return true;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

bool ReadFeatureLine(std::string_view line, FeatureLine& feature) {
  line = WithoutLineEnd(line);
  if (line.empty() || line[0] != ';') return false;
  std::size_t at = 1;
  if (NextWord(line, at) != kFeatureKey) return false;
  feature = FeatureLine{};
  std::string_view key = NextWord(line, at);
  std::string_view strand = NextWord(line, at);
  std::string_view ranges = NextWord(line, at);
  std::string_view name = NextWord(line, at);
  if (name.empty()) return false;
  if (strand.size() != 1 || (strand[0] != '+' && strand[0] != '-' && strand[0] != '.')) return false;
  if (!ReadRanges(ranges, feature.ranges)) return false;
  feature.key.assign(key);
  feature.strand = strand[0];
  feature.name = PercentDecoded(name);
  for (std::string_view word = NextWord(line, at); !word.empty(); word = NextWord(line, at)) {
    if (!ReadExtra(word, feature)) return false;
  }
  return true;
}

std::vector<FeatureLine> ReadFeatureLines(const std::vector<std::string>& text) {
  std::vector<FeatureLine> features;
  FeatureLine feature;
  for (const std::string& line : text) {
    if (ReadFeatureLine(line, feature)) features.push_back(std::move(feature));
  }
  return features;
}

void AppendFeatureLine(std::string& out, const FeatureLine& feature) {
  AppendTextKey(out, kFeatureKey);
  out += feature.key;
  out += ' ';
  out += feature.strand;
  out += ' ';
  for (std::size_t i = 0; i < feature.ranges.size(); ++i) {
    if (i > 0) out += ',';
    out += std::to_string(feature.ranges[i].first);
    out += '-';
    out += std::to_string(feature.ranges[i].last);
  }
  out += ' ';
  if (feature.name == ".") {
    out += '.';
  } else {
    AppendPercentEncoded(out, feature.name);
  }
  if (feature.codon_start > 0) {
    out += " codon_start=";
    out += std::to_string(feature.codon_start);
    out += " transl_table=";
    out += std::to_string(feature.transl_table > 0 ? feature.transl_table : 1);
  }
  out += '\n';
}

void AppendPercentEncoded(std::string& out, std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  if (text.empty()) {
    out += '.';
    return;
  }
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if (byte > ' ' && byte < 0x7f && byte != '%') {
      out += c;
    } else {
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 15];
    }
  }
}

std::string PercentDecoded(std::string_view text) {
  std::string decoded;
  decoded.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    int high = i + 2 < text.size() && text[i] == '%' ? HexValue(text[i + 1]) : -1;
    int low = high >= 0 ? HexValue(text[i + 2]) : -1;
    if (low >= 0) {
      decoded += static_cast<char>(high * 16 + low);
      i += 2;
    } else {
      decoded += text[i];
    }
  }
  return decoded;
}

}  // namespace col
