#include "variant_index.h"

#include <algorithm>
#include <climits>

#include "vcf.h"

namespace morvel {

namespace {

// Features are found through bins of 1024 positions: each bin lists, in
// feature-table order, the features whose certain ranges reach into it.
constexpr int kBinShift = 10;

// SNVs are found through buckets of 64 positions.
constexpr int kSnvShift = 6;

// Clipped span of a range in a record of `length` positions; lo > hi when empty.
void ClipRange(const Range& r, int length, int& lo, int& hi) {
  lo = r.start == kOpenStart ? 1 : std::max(r.start, 1);
  hi = r.end == kOpenEnd ? length : std::min(r.end, length);
}

// Whether the CDS's 5' end is open: "<" before its first plus-strand range,
// ">" after its first complement range.
bool OpenFivePrime(const Loc& loc) {
  const Range& first = loc.certain.front();
  if (first.comp == 0) {
    if (first.start == kOpenStart) return true;
    for (const Range& u : loc.uncertain)
      if (u.start == kOpenStart && u.end == first.start - 1) return true;
  } else {
    if (first.end == kOpenEnd) return true;
    for (const Range& u : loc.uncertain)
      if (u.end == kOpenEnd && u.start == first.end + 1) return true;
  }
  return false;
}

void MakeSegments(IndexedFeature& f, int length) {
  int offset = 0;
  for (const Range& r : f.loc->certain) {
    int lo, hi;
    ClipRange(r, length, lo, hi);
    if (lo > hi) continue;
    f.segments.push_back({lo, hi, r.comp != 0, offset});
    offset += hi - lo + 1;
  }
  f.cds_length = offset;
  f.by_position = f.segments;
  std::sort(f.by_position.begin(), f.by_position.end(),
            [](const CdsSegment& a, const CdsSegment& b) { return a.lo < b.lo; });
  for (std::size_t i = 1; i < f.by_position.size(); ++i) {
    if (f.by_position[i].lo <= f.by_position[i - 1].hi) {
      f.by_position.clear();  // overlapping segments: the first in reading order counts
      break;
    }
  }
}

// The certain ranges as InLocRange tests them: an open start is 1, an open
// end reaches every later position.
void MakeReaches(IndexedFeature& f) {
  for (const Range& r : f.loc->certain)
    f.reaches.push_back({r.start == kOpenStart ? 1 : r.start, r.end == kOpenEnd ? INT_MAX : r.end});
  std::sort(f.reaches.begin(), f.reaches.end(), [](const RangeReach& a, const RangeReach& b) { return a.lo < b.lo; });
  for (std::size_t i = 1; i < f.reaches.size(); ++i)
    f.reaches[i].reach = std::max(f.reaches[i].reach, f.reaches[i - 1].reach);
}

// Whether a certain range of the feature overlaps from..to (from <= to):
// InLocRange giving 1 or -1.
bool Touches(const IndexedFeature& f, int from, int to) {
  auto end = std::upper_bound(f.reaches.begin(), f.reaches.end(), to,
                              [](int at, const RangeReach& r) { return at < r.lo; });
  return end != f.reaches.begin() && (end - 1)->reach >= from;
}

// The bins of every feature, features in table order within each bin.
void MakeBins(Genome& g) {
  std::size_t bins = g.length() > 0 ? ((static_cast<std::size_t>(g.length()) - 1) >> kBinShift) + 1 : 0;
  std::vector<std::uint32_t> count(bins + 1, 0), last(bins, UINT32_MAX);
  auto each_bin = [&](auto&& visit) {
    for (std::uint32_t i = 0; i < g.features.size(); ++i) {
      for (const Range& r : g.features[i].loc->certain) {
        int lo, hi;
        ClipRange(r, g.length(), lo, hi);
        if (lo > hi) continue;
        for (int b = (lo - 1) >> kBinShift; b <= (hi - 1) >> kBinShift; ++b) {
          if (last[b] == i) continue;
          last[b] = i;
          visit(static_cast<std::size_t>(b), i);
        }
      }
    }
  };
  each_bin([&](std::size_t b, std::uint32_t) { ++count[b + 1]; });
  for (std::size_t b = 0; b < bins; ++b) count[b + 1] += count[b];
  g.bin_start = count;
  g.bin_items.resize(count[bins]);
  std::fill(last.begin(), last.end(), UINT32_MAX);
  each_bin([&](std::size_t b, std::uint32_t i) { g.bin_items[count[b]++] = i; });
}

bool SnvBefore(const Snv& a, const Snv& b) { return a.record != b.record ? a.record < b.record : a.pos < b.pos; }

}  // namespace

IndexedFeature MakeFeature(std::string_view key, const VariantQualifiers& q, LocPtr loc) {
  IndexedFeature f;
  f.key = EscapeInfo(key);
  f.name = EscapeInfo(!q.locus_tag.empty() ? q.locus_tag : !q.gene.empty() ? q.gene : std::string("-"));
  f.gene = EscapeInfo(q.gene);
  f.locus_tag = EscapeInfo(q.locus_tag);
  f.protein_id = EscapeInfo(q.protein_id);
  f.strand = loc->certain.front().comp ? '-' : '+';
  if (key == "CDS") {
    // An unknown table number is read with the standard code.
    f.code = FindGeneticCode(q.table);
    if (!f.code) f.code = FindGeneticCode(1);
    f.codon_start = q.codon_start >= 1 && q.codon_start <= 3 ? q.codon_start : 1;
    f.partial5 = OpenFivePrime(*loc);
  }
  f.loc = std::move(loc);
  return f;
}

Genome MakeGenome(std::string_view residues, std::vector<IndexedFeature> features) {
  Genome g;
  g.residues = residues;
  g.features = std::move(features);
  for (IndexedFeature& f : g.features) {
    MakeReaches(f);
    if (f.code) MakeSegments(f, g.length());
  }
  MakeBins(g);
  return g;
}

void CoveringFeatures(const Genome& g, long long a, long long b, std::vector<std::uint32_t>& out) {
  out.clear();
  if (a > g.length() || b < 1) return;
  int first = static_cast<int>(std::max(a, 1LL) - 1) >> kBinShift;
  int last = static_cast<int>(std::min<long long>(b, g.length()) - 1) >> kBinShift;
  for (int bin = first; bin <= last; ++bin) {
    for (std::uint32_t k = g.bin_start[bin]; k < g.bin_start[bin + 1]; ++k) out.push_back(g.bin_items[k]);
  }
  if (last > first) {
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
  }
  int from = static_cast<int>(a), to = static_cast<int>(std::min<long long>(b, INT_MAX));
  out.erase(std::remove_if(out.begin(), out.end(), [&](std::uint32_t i) { return !Touches(g.features[i], from, to); }),
            out.end());
}

void IndexSnvs(std::vector<Snv>& snvs, const std::vector<int>& chrom_genome, std::vector<Genome>& genomes) {
  std::size_t kept = 0;
  for (const Snv& s : snvs) {
    int genome = chrom_genome[s.record];
    if (genome < 0) continue;
    const std::string& residues = genomes[genome].residues;
    if (s.pos < 1 || s.pos > static_cast<int>(residues.size()) || UpperCase(residues[s.pos - 1]) != s.ref) continue;
    Snv& t = snvs[kept++];
    t = s;
    t.record = static_cast<std::uint32_t>(genome);
  }
  snvs.resize(kept);
  snvs.shrink_to_fit();
  std::sort(snvs.begin(), snvs.end(), [](const Snv& a, const Snv& b) { return SnvBefore(a, b); });
  std::size_t at = 0;
  for (std::uint32_t g = 0; g < genomes.size(); ++g) {
    std::vector<std::uint32_t>& start = genomes[g].snv_start;
    std::size_t buckets = (static_cast<std::size_t>(genomes[g].length()) >> kSnvShift) + 1;
    start.resize(buckets + 1);
    for (std::size_t b = 0; b <= buckets; ++b) {
      while (at < snvs.size() && snvs[at].record == g && static_cast<std::size_t>(snvs[at].pos - 1) >> kSnvShift < b)
        ++at;
      start[b] = static_cast<std::uint32_t>(at);
    }
    while (at < snvs.size() && snvs[at].record == g) ++at;
  }
}

void SnvsInCodon(const Genome& g, const std::vector<Snv>& snvs, const IndexedFeature& f, int codon,
                 std::vector<BaseChange>& found, bool& duplicate) {
  found.clear();
  duplicate = false;
  int pos[3];
  for (int j = 0; j < 3; ++j) {
    bool comp;
    pos[j] = CdsPos(f, f.codon_start - 1 + 3 * codon + j, comp);
  }
  std::sort(pos, pos + 3);
  const std::vector<std::uint32_t>& start = g.snv_start;
  for (int j = 0; j < 3; ++j) {
    if (j > 0 && pos[j] == pos[j - 1]) continue;
    std::size_t bucket = static_cast<std::size_t>(pos[j] - 1) >> kSnvShift;
    int here = 0;
    for (std::uint32_t k = start[bucket]; k < start[bucket + 1] && snvs[k].pos <= pos[j]; ++k) {
      if (snvs[k].pos != pos[j]) continue;
      found.push_back({pos[j], snvs[k].alt});
      ++here;
    }
    duplicate = duplicate || here > 1;
  }
}

}  // namespace morvel
