// FEATURE lines of entry text: the input read as a col file, the text of
// every entry through ReadFeatureLines (what colshow and tindra's choice by
// feature name read), and every line of the input through ReadFeatureLine
// alone, so that lines outside a well-formed file reach the word reader too.
// Each line that reads must hold what its readers rely on (ranges in order
// from 1, a known strand, a name, a codon start of 1 to 3) and must read back
// the same once written out again; the first line's bytes must survive the
// percent-encoding of names. A broken promise is a trap, reported like a
// crash.
// Then tindra chooses positions by feature name over the same text, the names
// being the input's second line (free header text, so seed files stay valid;
// its leading "; " is not part of them).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <cstdio>

#include "col.h"
#include "feature_lines.h"
#include "fuzz_input.h"
#include "tindra.h"

using namespace col;

namespace {

void Check(bool holds) {
  if (!holds) __builtin_trap();
}

bool SameRanges(const std::vector<FeatureRange>& a, const std::vector<FeatureRange>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].first != b[i].first || a[i].last != b[i].last) return false;
  }
  return true;
}

// A feature as read: sound on its own, and the same after a write and a read.
void CheckFeature(const FeatureLine& feature) {
  Check(!feature.key.empty() && !feature.name.empty());
  Check(feature.strand == '+' || feature.strand == '-' || feature.strand == '.');
  Check(!feature.ranges.empty());
  for (const FeatureRange& r : feature.ranges) Check(1 <= r.first && r.first <= r.last);
  Check(feature.codon_start >= 0 && feature.codon_start <= 3);
  Check(feature.transl_table >= 0 && feature.transl_table <= 999);

  std::string written;
  AppendFeatureLine(written, feature);
  FeatureLine again;
  Check(ReadFeatureLine(written, again));
  Check(again.key == feature.key && again.strand == feature.strand && again.name == feature.name);
  Check(SameRanges(again.ranges, feature.ranges));
  // The frame and the code are written together, the code as 1 when unset.
  Check(again.codon_start == feature.codon_start);
  int table = feature.codon_start == 0 ? 0 : (feature.transl_table > 0 ? feature.transl_table : 1);
  Check(again.transl_table == table);
}

void ReadEveryLine(std::string_view text) {
  FeatureLine feature;
  while (!text.empty()) {
    if (ReadFeatureLine(TakeLine(text), feature)) CheckFeature(feature);
  }
}

void ReadEveryEntry(std::string_view text) {
  Input in;
  in.UseMemory(text);
  Header header = MakeHeader();
  if (ReadHeader(in, header) != 0) return;
  Entry e = MakeEntry();
  for (int entries = 0; entries < 256 && ReadEntry(in, e) == 0; ++entries) {
    for (const FeatureLine& feature : ReadFeatureLines(e.text)) CheckFeature(feature);
  }
}

void CheckPercentEncoding(std::string_view bytes) {
  std::string encoded;
  AppendPercentEncoded(encoded, bytes);
  for (char c : encoded) Check(c > ' ' && c < 0x7f);
  Check(PercentDecoded(encoded) == (bytes.empty() ? "." : bytes));
}

// tindra --feature= as the program runs it, output thrown away.
void ChooseByName(std::string_view text, std::string_view names) {
  RunOverText(tindra::Run, {"tindra", "--feature=" + Word(names)}, text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  ReadEveryLine(text);
  ReadEveryEntry(text);
  std::string_view lines = text;
  CheckPercentEncoding(TakeLine(lines));
  std::string_view names = TakeLine(lines);
  while (!names.empty() && (names.front() == ';' || names.front() == ' ')) names.remove_prefix(1);
  ChooseByName(text, names);
  return 0;
}
