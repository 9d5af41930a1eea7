#include "feature_lane.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <iterator>
#include <map>

#include "genetic_code.h"
#include "view.h"

namespace colshow {

namespace {

long long ToNumber(std::string_view s, bool& ok) {
  long long v = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  ok = ec == std::errc() && end == s.data() + s.size();
  return v;
}

constexpr std::array<char, 256> MakeComplements() {
  std::array<char, 256> t{};
  t.fill('N');
  constexpr std::string_view from = "ACGTUacgtu", to = "TGCAAtgcaa";
  for (std::size_t i = 0; i < from.size(); ++i) t[static_cast<unsigned char>(from[i])] = to[i];
  return t;
}

constexpr std::array<char, 256> kComplement = MakeComplements();

char Base(std::string_view residues, long long line, bool complement) {
  char c = residues[static_cast<std::size_t>(line)];
  return complement ? kComplement[static_cast<unsigned char>(c)] : c;
}

const col::GeneticCode& CodeOf(int table) {
  const col::GeneticCode* code = col::FindGeneticCode(table);
  return code ? *code : *col::FindGeneticCode(1);
}

}  // namespace

// ---------------------------------------------------------------------------
// Positions to lines

void PositionIndex::Add(Segment s) {
  if (s.count > 0) segments_.push_back(s);
}

void PositionIndex::Build(std::string_view runs, long long count) {
  segments_.clear();
  reach_.clear();
  last_ = 0;
  if (runs.empty()) {
    Add({0, 1, 1, count});
  } else {
    long long line = 0;
    ForEachRun(runs, [&](long long n, char kind, const std::vector<std::string_view>& v) {
      bool ok = true;
      if (kind == 'i') {
        long long a = ToNumber(v[0], ok), d = ToNumber(v[1], ok);
        if (ok) Add({line, a, d, n});
      } else if (kind == 'c') {
        long long a = ToNumber(v[0], ok);
        if (ok) Add({line, a, 0, n});
      } else if (kind == 'p') {
        // A period of positions is rare: each line on its own, a few at most.
        for (long long k = 0; k < std::min<long long>(n, 3); ++k) {
          long long a = ToNumber(v[static_cast<std::size_t>(k % static_cast<long long>(v.size()))], ok);
          if (ok) Add({line + k, a, 0, 1});
        }
      }
      line += n;
    });
  }
  std::stable_sort(segments_.begin(), segments_.end(),
                   [](const Segment& a, const Segment& b) { return a.Low() < b.Low(); });
  long long reach = INT64_MIN;
  for (const Segment& s : segments_) reach_.push_back(reach = std::max(reach, s.High()));
  low_ = segments_.empty() ? 0 : segments_.front().Low();
  high_ = segments_.empty() ? -1 : reach;
}

long long PositionIndex::LineOf(long long p) const {
  auto line_in = [p](const Segment& s) -> long long {
    if (p < s.Low() || p > s.High()) return -1;
    return s.step == 0 ? s.line : s.line + (p - s.value) / s.step;
  };
  if (last_ < segments_.size()) {
    if (long long line = line_in(segments_[last_]); line >= 0) return line;
  }
  // The segments that begin at or below p, from the last, while one of
  // them may still reach p.
  auto end = std::upper_bound(segments_.begin(), segments_.end(), p,
                              [](long long v, const Segment& s) { return v < s.Low(); });
  for (std::size_t k = static_cast<std::size_t>(end - segments_.begin()); k-- > 0 && reach_[k] >= p;) {
    if (long long line = line_in(segments_[k]); line >= 0) {
      last_ = k;
      return line;
    }
  }
  return -1;
}

std::vector<LineSpan> PositionIndex::LinesIn(long long a, long long b) const {
  std::vector<LineSpan> spans;
  auto end = std::upper_bound(segments_.begin(), segments_.end(), b,
                              [](long long v, const Segment& s) { return v < s.Low(); });
  for (std::size_t k = static_cast<std::size_t>(end - segments_.begin()); k-- > 0 && reach_[k] >= a;) {
    const Segment& s = segments_[k];
    long long lo = std::max(a, s.Low()), hi = std::min(b, s.High());
    if (lo > hi) continue;
    if (s.step == 0) {
      spans.push_back({s.line, s.line + s.count - 1});
      continue;
    }
    long long x = s.line + (lo - s.value) / s.step, y = s.line + (hi - s.value) / s.step;
    spans.push_back({std::min(x, y), std::max(x, y)});
  }
  std::sort(spans.begin(), spans.end(), [](const LineSpan& x, const LineSpan& y) { return x.first < y.first; });
  std::vector<LineSpan> merged;
  for (const LineSpan& s : spans) {
    if (!merged.empty() && s.first <= merged.back().last + 1) {
      merged.back().last = std::max(merged.back().last, s.last);
    } else {
      merged.push_back(s);
    }
  }
  return merged;
}

// ---------------------------------------------------------------------------
// Keys

FeatureClass ClassOf(std::string_view key) {
  static constexpr std::string_view kRna[] = {"tRNA", "rRNA", "tmRNA", "ncRNA", "misc_RNA"};
  static constexpr std::string_view kRegulatory[] = {
      "regulatory", "promoter",    "terminator",  "RBS",       "enhancer",    "-10_signal",   "-35_signal",
      "polyA_signal", "attenuator", "CAAT_signal", "TATA_signal", "misc_signal", "protein_bind", "rep_origin"};
  if (key == "CDS") return kCdsClass;
  if (key == "gene") return kGeneClass;
  if (key == "mRNA") return kMrnaClass;
  if (std::find(std::begin(kRna), std::end(kRna), key) != std::end(kRna)) return kRnaClass;
  if (std::find(std::begin(kRegulatory), std::end(kRegulatory), key) != std::end(kRegulatory)) {
    return kRegulatoryClass;
  }
  return kOtherClass;
}

// ---------------------------------------------------------------------------
// Translation

std::vector<Codon> TranslateFeature(const col::FeatureLine& cds, const PositionIndex& index,
                                    std::string_view residues, bool minus_entry) {
  std::vector<Codon> codons;
  if (cds.strand != '+' && cds.strand != '-') return codons;
  const col::GeneticCode& code = CodeOf(cds.transl_table);
  bool complement = (cds.strand == '-') != minus_entry;
  long long skip = cds.codon_start > 1 ? cds.codon_start - 1 : 0;
  long long lines[3];
  int k = 0;
  bool first = true;
  auto take = [&](long long p) {
    if (skip > 0) {
      --skip;
      return;
    }
    lines[k++] = index.LineOf(p);
    if (k < 3) return;
    k = 0;
    bool shown = lines[0] >= 0 && lines[1] >= 0 && lines[2] >= 0 &&
                 static_cast<std::size_t>(std::max({lines[0], lines[1], lines[2]})) < residues.size();
    if (shown) {
      char b[3] = {Base(residues, lines[0], complement), Base(residues, lines[1], complement),
                   Base(residues, lines[2], complement)};
      char amino = col::TranslateCodon(code, b[0], b[1], b[2]);
      if (first && cds.codon_start <= 1 && col::IsStartCodon(code, b[0], b[1], b[2])) amino = 'M';
      codons.push_back({lines[1], amino});
    }
    first = false;
  };
  // Positions outside the shown ones read as no line: a range reaching far
  // beyond them (a broken file's "1-9999999999999") costs no more than the
  // codons that count its bases to set the frame.
  auto outside = [&](long long from, long long to) {
    long long n = to - from + 1;
    if (n <= 0) return;
    if (skip > 0) {
      long long skipped = std::min(skip, n);
      skip -= skipped;
      n -= skipped;
    }
    k = static_cast<int>((k + n) % 3);
    for (int j = 0; j < k; ++j) lines[j] = -1;
    if (n > 0) first = false;
  };
  for (const col::FeatureRange& r : cds.ranges) {
    long long lo = std::max(r.first, index.Low()), hi = std::min(r.last, index.High());
    if (lo > hi) {
      outside(r.first, r.last);
    } else if (cds.strand == '+') {
      outside(r.first, lo - 1);
      for (long long p = lo; p <= hi; ++p) take(p);
      outside(hi + 1, r.last);
    } else {
      outside(hi + 1, r.last);
      for (long long p = hi; p >= lo; --p) take(p);
      outside(r.first, lo - 1);
    }
  }
  return codons;
}

std::vector<Codon> TranslateTracks(std::string_view codonpos, std::string_view strand, std::string_view residues,
                                   bool minus_entry, char strand_letter) {
  std::vector<Codon> codons;
  const col::GeneticCode& code = CodeOf(1);
  auto n = static_cast<long long>(std::min({codonpos.size(), strand.size(), residues.size()}));
  bool ascending = (strand_letter == '+') != minus_entry;
  long long lines[3];
  int k = 0;  // codon positions seen of the open codon
  for (long long i = 0; i < n; ++i) {
    long long line = ascending ? i : n - 1 - i;
    auto at = static_cast<std::size_t>(line);
    char c = codonpos[at];
    if (strand[at] != strand_letter || c < '1' || c > '3') continue;
    int phase = c - '1';
    if (phase != k) {
      // A codon broken off: start again at the next first position.
      k = 0;
      if (phase != 0) continue;
    }
    lines[k++] = line;
    if (k < 3) continue;
    k = 0;
    char b[3];
    for (int j = 0; j < 3; ++j) b[j] = Base(residues, lines[j], !ascending);
    codons.push_back({lines[1], col::TranslateCodon(code, b[0], b[1], b[2])});
  }
  return codons;
}

// ---------------------------------------------------------------------------
// The lane

FeatureLane BuildLane(const std::vector<col::FeatureLine>& lines, const PositionIndex& index,
                      std::string_view residues, bool minus_entry) {
  FeatureLane lane;
  for (const col::FeatureLine& line : lines) {
    LaneFeature f;
    for (const col::FeatureRange& r : line.ranges) {
      for (const LineSpan& s : index.LinesIn(r.first, r.last)) f.spans.push_back(s);
    }
    if (f.spans.empty()) continue;
    std::sort(f.spans.begin(), f.spans.end(), [](const LineSpan& a, const LineSpan& b) { return a.first < b.first; });
    for (const LineSpan& s : f.spans) {
      if (!f.blocks.empty() && s.first - f.blocks.back().last - 1 <= kJoinLimit) {
        f.blocks.back().last = std::max(f.blocks.back().last, s.last);
      } else {
        f.blocks.push_back(s);
      }
    }
    f.line = line;
    f.kind = ClassOf(line.key);
    f.direction = line.strand == '.' ? 0 : (line.strand == '+') != minus_entry ? 1 : -1;
    const col::FeatureRange& last = line.ranges.back();
    f.end_line = index.LineOf(line.strand == '-' ? last.first : last.last);
    if (f.kind == kCdsClass) f.codons = TranslateFeature(line, index, residues, minus_entry);
    lane.features.push_back(std::move(f));
  }
  std::stable_sort(lane.features.begin(), lane.features.end(),
                   [](const LaneFeature& a, const LaneFeature& b) { return a.spans[0].first < b.spans[0].first; });
  // Each feature on the first row where its blocks meet none of the row's;
  // the CDS rows below the others, next to the residues, each with its
  // translation under it.
  std::vector<std::map<long long, long long>> taken;  // per row: first line -> last line
  auto fits = [](const std::map<long long, long long>& row, const LineSpan& b) {
    auto next = row.lower_bound(b.first);
    if (next != row.end() && next->first <= b.last) return false;
    return next == row.begin() || std::prev(next)->second < b.first;
  };
  auto stack = [&](bool cds) {
    std::size_t first_row = taken.size();
    for (LaneFeature& f : lane.features) {
      if ((f.kind == kCdsClass) != cds) continue;
      std::size_t row = first_row;
      auto free = [&](std::size_t r) {
        return std::all_of(f.blocks.begin(), f.blocks.end(), [&](const LineSpan& b) { return fits(taken[r], b); });
      };
      while (row < taken.size() && !free(row)) ++row;
      if (row == first_row + kMaxLaneRows) --row;
      if (row == taken.size()) {
        taken.emplace_back();
        lane.translated.push_back(false);
      }
      for (const LineSpan& b : f.blocks) taken[row][b.first] = b.last;
      f.row = static_cast<int>(row);
      if (!f.codons.empty()) lane.translated[row] = true;
    }
  };
  stack(false);
  stack(true);
  lane.rows = static_cast<int>(taken.size());
  return lane;
}

void AppendCodonText(std::string& out, const std::vector<Codon>& codons) {
  char buf[24];
  for (std::size_t k = 0; k < codons.size();) {
    std::size_t j = k + 1;
    long long step = j < codons.size() ? codons[j].line - codons[k].line : 3;
    while (j < codons.size() && codons[j].line - codons[j - 1].line == step) ++j;
    if (!out.empty()) out += ' ';
    out.append(buf, static_cast<std::size_t>(std::to_chars(buf, buf + sizeof buf, codons[k].line).ptr - buf));
    out += ' ';
    out.append(buf, static_cast<std::size_t>(std::to_chars(buf, buf + sizeof buf, step).ptr - buf));
    out += ' ';
    for (; k < j; ++k) out += codons[k].amino;
  }
}

void PutRanges(col::Output& out, const std::vector<col::FeatureRange>& ranges) {
  for (std::size_t k = 0; k < ranges.size(); ++k) {
    if (k) out.Put(',');
    out.PutInt(ranges[k].first);
    out.Put('-');
    out.PutInt(ranges[k].last);
  }
}

}  // namespace colshow
