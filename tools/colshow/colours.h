// The colours of the gene-structure tracks, by the letter a field starts
// with, and of the feature lane, by the key's class: the one table that the
// page's legend, the page's script and the SVG figure all draw from.
//
// The palette is Okabe and Ito's, which readers with any colour-vision
// deficiency tell apart: within a track every value has a hue of its own,
// none is told from another by its grey alone.
#pragma once

#include <span>
#include <string_view>

namespace colshow {

struct TrackColour {
  char letter;              // the field's first character
  std::string_view colour;  // as CSS and SVG take it
  std::string_view legend;  // the legend's text (plain text, escaped when written)
};

// A CDS painted without an exon feature: codon positions under a region
// letter other than E, I, 3 and 5. Only drawn so; the col data keeps its
// letter.
constexpr char kCdsLetter = 'C';

// The gene-structure (intron/exon) track.
inline constexpr TrackColour kIntronExonColours[] = {
    {'E', "#009e73", "E exon"},  {'I', "#cc79a7", "I intron"},  {'G', "#56b4e9", "G gene"},
    {'M', "#f0e442", "M mRNA"},  {'3', "#d55e00", "3 3'UTR"},   {'5', "#e69f00", "5 5'UTR"},
    {kCdsLetter, "#0072b2", "CDS (coding, no exon feature)"},
};

// The codonpos track.
inline constexpr TrackColour kCodonPosColours[] = {
    {'1', "#d55e00", "codon position 1"},
    {'2', "#009e73", "2"},
    {'3', "#0072b2", "3"},
};

// The strand track's chevrons.
inline constexpr TrackColour kStrandColours[] = {
    {'+', "#0072b2", "\xe2\x80\xba\xe2\x80\xba plus strand"},
    {'-', "#d55e00", "\xe2\x80\xb9\xe2\x80\xb9 minus strand"},
};

// The feature lane, by FeatureClass (features.h): bar and letter colours.
struct FeatureColour {
  std::string_view colour;
  std::string_view ink;
  std::string_view legend;
};
inline constexpr FeatureColour kFeatureColours[] = {
    {"#0072b2", "#ffffff", "CDS"},         {"#009e73", "#ffffff", "gene"},
    {"#cc79a7", "#000000", "mRNA"},        {"#d55e00", "#ffffff", "tRNA/rRNA"},
    {"#e69f00", "#000000", "regulatory"},  {"#999999", "#000000", "other"},
};

// The labels at the left of the track rows, by Track (view.h).
inline constexpr std::string_view kTrackNames[] = {"gene structure", "codon", "strand"};

// The colour of `letter` in a table; empty when the letter has none.
constexpr std::string_view ColourOf(std::span<const TrackColour> table, char letter) {
  for (const TrackColour& c : table) {
    if (c.letter == letter) return c.colour;
  }
  return {};
}

// The letter the gene-structure track shows for a region letter and a codon
// position: a coding position without an exon letter shows as a CDS.
constexpr char ShownRegion(char region, char codonpos) {
  bool coding = codonpos >= '1' && codonpos <= '3';
  bool exonic = region == 'E' || region == 'I' || region == '3' || region == '5';
  return coding && !exonic ? kCdsLetter : region;
}

}  // namespace colshow
