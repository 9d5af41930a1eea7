// The colours of the gene-structure tracks, by the letter a field starts
// with: the one table that the page's legend, the page's script and the SVG
// figure all draw from.
#pragma once

#include <span>
#include <string_view>

namespace colshow {

struct TrackColour {
  char letter;              // the field's first character
  std::string_view colour;  // as CSS and SVG take it
  std::string_view legend;  // the legend's text (plain text, escaped when written)
};

// The intron/exon track.
inline constexpr TrackColour kIntronExonColours[] = {
    {'E', "#2e7d32", "E exon"},  {'I', "#b0b0b0", "I intron"},  {'G', "#64b5f6", "G gene"},
    {'M', "#ba68c8", "M mRNA"},  {'3', "#ff9800", "3 3'UTR"},   {'5', "#fdd835", "5 5'UTR"},
};

// The codonpos track.
inline constexpr TrackColour kCodonPosColours[] = {
    {'1', "#37474f", "codon position 1"},
    {'2', "#78909c", "2"},
    {'3', "#b0bec5", "3"},
};

// The colour of `letter` in a table; empty when the letter has none.
constexpr std::string_view ColourOf(std::span<const TrackColour> table, char letter) {
  for (const TrackColour& c : table) {
    if (c.letter == letter) return c.colour;
  }
  return {};
}

}  // namespace colshow
