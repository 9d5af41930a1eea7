// The feature lane: record positions to shown lines, the translation of CDS
// features and of the codonpos and strand columns, the stacking of bars, and
// the names by which entries are addressed.
#include "feature_lane.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "colours.h"
#include "view.h"

using col::FeatureLine;
using col::FeatureRange;

namespace {

FeatureLine Cds(char strand, std::vector<FeatureRange> ranges, int codon_start = 1, int table = 1) {
  return FeatureLine{.key = "CDS",
                     .strand = strand,
                     .ranges = std::move(ranges),
                     .name = std::string(1, 'x'),
                     .codon_start = codon_start,
                     .transl_table = table};
}

std::string Letters(const std::vector<colshow::Codon>& codons) {
  std::string s;
  for (const colshow::Codon& c : codons) s += c.amino;
  return s;
}

std::vector<long long> Lines(const std::vector<colshow::Codon>& codons) {
  std::vector<long long> v;
  for (const colshow::Codon& c : codons) v.push_back(c.line);
  return v;
}

TEST(FeatureLane, TranslatesCdsByItsFrameStrandAndCode) {
  struct Case {
    const char* what;
    std::string residues;
    std::string positions;  // runs of the position column; "" for 1, 2, 3...
    bool minus_entry;
    FeatureLine cds;
    std::string amino;
    std::vector<long long> lines;  // of the middle bases
  } cases[] = {
      {"plus", "atggcttaa", "", false, Cds('+', {{1, 9}}), "MA*", {1, 4, 7}},
      {"start codon of table 11 reads M", "gtggcttaa", "", false, Cds('+', {{1, 9}}, 1, 11), "MA*", {1, 4, 7}},
      {"a partial start keeps its amino acid", "cgtggcttaa", "", false, Cds('+', {{1, 10}}, 2, 11), "VA*", {2, 5, 8}},
      {"minus strand, complemented from the top down", "ttaagccat", "", false, Cds('-', {{1, 9}}), "MA*", {7, 4, 1}},
      {"a codon across an intron", "atggnnncttaa", "", false, Cds('+', {{1, 4}, {8, 12}}), "MA*", {1, 7, 10}},
      {"plus CDS on a minus entry", "ttaagccat", "9i 9 -1", true, Cds('+', {{1, 9}}), "MA*", {7, 4, 1}},
      {"a codon on lines not shown is left out", "atgtaa", "3i 1 1 3i 7 1", false, Cds('+', {{1, 9}}), "M*", {1, 4}},
      {"unknown table reads by the standard code", "tgaaaa", "", false, Cds('+', {{1, 6}}, 1, 99), "*K", {1, 4}},
      {"mixed strands: no translation", "atgtaa", "", false, Cds('.', {{1, 6}}), "", {}},
      {"a range far beyond the shown lines", "atggcttaa", "", false, Cds('+', {{1, 9999999999999}}), "MA*", {1, 4, 7}},
      {"the same on the minus strand", "ttaagccat", "", false, Cds('-', {{1, 9999999999999}}), "MA*", {7, 4, 1}},
      {"a frame set by bases not shown", "aggcttaa", "8i 2 1", false, Cds('+', {{1, 9}}), "A*", {3, 6}},
  };
  for (const Case& c : cases) {
    colshow::PositionIndex index;
    index.Build(c.positions, static_cast<long long>(c.residues.size()));
    auto codons = colshow::TranslateFeature(c.cds, index, c.residues, c.minus_entry);
    EXPECT_EQ(Letters(codons), c.amino) << c.what;
    EXPECT_EQ(Lines(codons), c.lines) << c.what;
  }
}

TEST(FeatureLane, TranslatesTheCodonposAndStrandColumns) {
  struct Case {
    const char* what;
    std::string residues, codonpos, strand;
    char strand_letter;
    std::string amino;
    std::vector<long long> lines;
  } cases[] = {
      {"plus", "atgtaa", "123123", "++++++", '+', "M*", {1, 4}},
      {"minus, read from the last line up", "ttacat", "321321", "------", '-', "M*", {4, 1}},
      {"the other strand's codons are not read", "atgtaa", "123123", "+++---", '+', "M", {1}},
      {"a broken codon starts again at position 1", "aatgtaa", "1212312", "+++++++", '+', "C", {3}},
  };
  for (const Case& c : cases) {
    auto codons = colshow::TranslateTracks(c.codonpos, c.strand, c.residues, false, c.strand_letter);
    EXPECT_EQ(Letters(codons), c.amino) << c.what;
    EXPECT_EQ(Lines(codons), c.lines) << c.what;
  }
}

TEST(FeatureLane, StacksOverlapsAndKeepsCdsRowsNextToTheResidues) {
  auto feature = [](const char* key, char strand, long long a, long long b) {
    FeatureLine f = Cds(strand, {{a, b}});
    f.key = key;
    return f;
  };
  std::vector<FeatureLine> lines = {feature("gene", '+', 1, 9), feature("CDS", '+', 1, 9),
                                    feature("misc_feature", '-', 5, 12), feature("CDS", '-', 10, 12),
                                    feature("tRNA", '+', 40, 50)};
  colshow::PositionIndex index;
  index.Build("", 12);
  auto lane = colshow::BuildLane(lines, index, "atggcttaattt", false);
  ASSERT_EQ(lane.features.size(), 4u) << "a feature on no shown line is left out";
  std::vector<std::pair<std::string, int>> rows;
  for (const auto& f : lane.features) rows.emplace_back(f.line.key + (f.direction > 0 ? ">" : "<"), f.row);
  EXPECT_EQ(rows, (std::vector<std::pair<std::string, int>>{{"gene>", 0}, {"CDS>", 2}, {"misc_feature<", 1}, {"CDS<", 2}}));
  EXPECT_EQ(lane.rows, 3);
  EXPECT_EQ(lane.translated, (std::vector<bool>{false, false, true}));
}

TEST(FeatureLane, FarApartSpansLeaveTheRowBetweenThemFree) {
  // A gene across the origin of a circular record, and one between.
  FeatureLine across = Cds('+', {{29990, 30000}, {1, 12}});
  FeatureLine between = Cds('-', {{100, 300}});
  colshow::PositionIndex index;
  index.Build("", 30000);
  auto lane = colshow::BuildLane({across, between}, index, std::string(30000, 'a'), false);
  ASSERT_EQ(lane.features.size(), 2u);
  EXPECT_EQ(lane.rows, 1);
  const auto& f = lane.features[0];
  EXPECT_EQ(f.blocks.size(), 2u);
  EXPECT_EQ(f.end_line, 11) << "its arrow head is where its last range ends";
  EXPECT_EQ(lane.features[1].end_line, 99);
}

TEST(FeatureLane, ThousandsOfOverlapsShareTheLastRow) {
  std::vector<FeatureLine> lines(5000, Cds('+', {{1, 6}}));
  colshow::PositionIndex index;
  index.Build("", 6);
  auto lane = colshow::BuildLane(lines, index, "atgtaa", false);
  EXPECT_EQ(lane.rows, static_cast<int>(colshow::kMaxLaneRows));
  EXPECT_EQ(lane.features.back().row, lane.rows - 1);
}

TEST(FeatureLane, CodonsAsThePageCarriesThem) {
  std::vector<colshow::Codon> codons = {{1, 'M'}, {4, 'A'}, {7, 'K'}, {13, 'L'}, {16, '*'}, {20, 'W'}};
  std::string text;
  colshow::AppendCodonText(text, codons);
  EXPECT_EQ(text, "1 3 MAK 13 3 L* 20 3 W");
}

TEST(EntryNames, EveryEntryHasANameOfItsOwn) {
  struct Entry {
    const char* name;  // null: no ENTRY line
    bool minus;
    const char* shown;
  } entries[] = {
      {"A", false, "A"},   {"A", true, "A (minus)"}, {"A", false, "A #2"}, {"A #3", false, "A #3"},
      {"A", false, "A #4"}, {"A", true, "A (minus) #2"}, {nullptr, false, "entry 7"},
  };
  colshow::EntryNames names;
  int entryno = 0;
  for (const Entry& e : entries) {
    colshow::EntryView v;
    v.has_name = e.name != nullptr;
    v.name = e.name ? e.name : "";
    v.minus = e.minus;
    EXPECT_EQ(names.Next(v, ++entryno), e.shown);
  }
}

TEST(Colours, CodingPositionsWithoutAnExonShowAsCds) {
  struct Case {
    char region, codonpos, shown;
  } cases[] = {{'G', '1', colshow::kCdsLetter}, {'.', '3', colshow::kCdsLetter}, {'E', '2', 'E'},
               {'I', '1', 'I'}, {'G', '.', 'G'}, {'5', '1', '5'}};
  for (const Case& c : cases) EXPECT_EQ(colshow::ShownRegion(c.region, c.codonpos), c.shown) << c.region << c.codonpos;
  // Every value of a track has a hue of its own.
  for (auto table : {std::span<const colshow::TrackColour>(colshow::kIntronExonColours),
                     std::span<const colshow::TrackColour>(colshow::kCodonPosColours)}) {
    for (std::size_t i = 0; i < table.size(); ++i) {
      for (std::size_t j = i + 1; j < table.size(); ++j) EXPECT_NE(table[i].colour, table[j].colour);
    }
  }
}

}  // namespace
