// The records a VCF names, as morvel --variants looks variants up in them:
// each record's features (with their locations, reading frame and genetic
// code) indexed by position, and the VCF's SNVs indexed by record and
// position so that those sharing a codon are found.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "location.h"
#include "protein.h"

namespace morvel {

// ASCII case of a base letter; other characters are kept.
constexpr char UpperCase(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
constexpr char LowerCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The qualifiers of a feature that its annotation reads.
struct VariantQualifiers {
  std::string locus_tag, gene, protein_id;
  bool has_locus_tag = false, has_gene = false, has_protein_id = false;
  int table = 1;  // /transl_table
  int codon_start = 1;
};

// A certain range of a CDS, clipped to the record, with the index (in
// reading order along the CDS) of the first base it contributes.
struct CdsSegment {
  int lo = 0, hi = 0;
  bool comp = false;
  int offset = 0;
};

// A certain range of a feature as the overlap test reads it, in a list
// sorted by `lo`; `reach` is the largest `hi` of this range and those before.
struct RangeReach {
  int lo = 0, reach = 0;
};

struct IndexedFeature {
  std::string key;   // escaped for INFO
  std::string name;  // /locus_tag, else /gene, else "-", escaped for INFO
  std::string gene, locus_tag, protein_id;  // as written, escaped for INFO; empty when absent
  char strand = '+';
  LocPtr loc;
  // Whether a variant touches the feature takes a binary search, however
  // many ranges its join has.
  std::vector<RangeReach> reaches;
  // CDS only.
  std::vector<CdsSegment> segments;
  std::vector<CdsSegment> by_position;  // the segments sorted by `lo` when none overlap, else empty
  int cds_length = 0;
  const GeneticCode* code = nullptr;  // null for every feature but a CDS
  int codon_start = 1;
  bool partial5 = false;  // the 5' end is open ("<" on the plus strand)
};

// A record that some CHROM names: what the annotation needs of it.
struct Genome {
  std::string residues;  // position p at index p - 1
  std::vector<IndexedFeature> features;
  std::vector<std::uint32_t> bin_start;  // bin b lists bin_items[bin_start[b] .. bin_start[b + 1])
  std::vector<std::uint32_t> bin_items;
  // Its SNVs in the sorted list: those of positions b * 64 + 1 .. (b + 1) *
  // 64 from snv_start[b] on.
  std::vector<std::uint32_t> snv_start;
  int length() const { return static_cast<int>(residues.size()); }
};

// An SNV of the VCF (one REF base, one ALT base, both upper case).
struct Snv {
  std::uint32_t record = 0;  // CHROM id while the VCF is read, then genome index
  int pos = 0;
  char ref = 0, alt = 0;
};

// A base change on the plus strand.
struct BaseChange {
  int pos;
  char base;  // upper case
};

// The feature of a key, its qualifiers and its location (which has certain
// ranges): a CDS gets its genetic code (the standard one for an unknown
// /transl_table), its reading frame and whether its 5' end is open.
IndexedFeature MakeFeature(std::string_view key, const VariantQualifiers& q, LocPtr loc);

// A record of these residues and features, with its index of them.
Genome MakeGenome(std::string_view residues, std::vector<IndexedFeature> features);

// The features with a certain range over a..b, in feature-table order.
void CoveringFeatures(const Genome& g, long long a, long long b, std::vector<std::uint32_t>& out);

// The index of a position along the CDS in reading order; -1 outside it.
inline int CdsIndex(const IndexedFeature& f, int pos);

// The record position of a CDS index, and whether it is read on the minus strand.
inline int CdsPos(const IndexedFeature& f, int index, bool& comp);

// The codon (0-based, counted from /codon_start) holding a CDS index; -1
// for the bases before /codon_start and those of an incomplete last codon.
inline int CodonOf(const IndexedFeature& f, int index);

// After the GenBank input: keeps the SNVs of named records (chrom_genome:
// CHROM id -> genome, -1 for none) whose REF matches, sorted by genome and
// position, with each genome's index of them.
void IndexSnvs(std::vector<Snv>& snvs, const std::vector<int>& chrom_genome, std::vector<Genome>& genomes);

// The SNVs of the genome in the codon `codon` of the CDS, by position.
// `duplicate`: two of them share a position.
void SnvsInCodon(const Genome& g, const std::vector<Snv>& snvs, const IndexedFeature& f, int codon,
                 std::vector<BaseChange>& found, bool& duplicate);

// ---------------------------------------------------------------------------
// Inline, as they run for every base of every codon looked at.

inline int CdsIndex(const IndexedFeature& f, int pos) {
  auto index = [pos](const CdsSegment& s) { return s.offset + (s.comp ? s.hi - pos : pos - s.lo); };
  if (!f.by_position.empty()) {
    auto end = std::upper_bound(f.by_position.begin(), f.by_position.end(), pos,
                                [](int at, const CdsSegment& s) { return at < s.lo; });
    return end != f.by_position.begin() && pos <= (end - 1)->hi ? index(*(end - 1)) : -1;
  }
  for (const CdsSegment& s : f.segments) {
    if (pos >= s.lo && pos <= s.hi) return index(s);
  }
  return -1;
}

inline int CdsPos(const IndexedFeature& f, int index, bool& comp) {
  auto after = std::upper_bound(f.segments.begin(), f.segments.end(), index,
                                [](int at, const CdsSegment& s) { return at < s.offset; });
  const CdsSegment* seg = after == f.segments.begin() ? &f.segments.front() : &*(after - 1);
  comp = seg->comp;
  return comp ? seg->hi - (index - seg->offset) : seg->lo + (index - seg->offset);
}

inline int CodonOf(const IndexedFeature& f, int index) {
  int skip = f.codon_start - 1;
  if (index < skip) return -1;
  int codon = (index - skip) / 3;
  return skip + 3 * codon + 2 < f.cds_length ? codon : -1;
}

}  // namespace morvel
