// The figure: a standalone SVG of the same panels, rows, colours and tracks
// as the page, for papers and slides. Every letter is placed by itself, so
// the figure looks the same with any monospace font. It is written once all
// entries are read (its size comes first), so it holds at most
// kSvgResidueLimit residues.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "col.h"
#include "page.h"
#include "view.h"

namespace colshow {

constexpr long long kSvgResidueLimit = 100000;

class SvgWriter {
 public:
  SvgWriter(col::Output& out, const PageOptions& options) : out_(out), options_(options) {}

  // Keeps the entry's view (read with `detail`) for the figure.
  void AddEntry(const EntryView& view, int entryno);
  void Write(const col::Header& header);

 private:
  struct Kept {
    EntryView view;
    int entryno;
    std::string name;  // as the page calls it (EntryNames)
  };
  // The amino-acid letter at each shown line (' ' for none), per lane row
  // that holds a translation, then per strand of the codonpos and strand
  // columns that has codons.
  struct AminoLines {
    std::vector<int> lane_rows;  // the lane row of each line, or -1
    std::vector<std::string> letters;
  };
  double EntryHeight(const Kept& k) const;
  double RowHeight(const EntryView& v) const;
  double PutLegend(double y);
  void PutEntry(const Kept& k, double y);
  void PutRow(const EntryView& v, const AminoLines& amino, long long a, long long b, double y);
  double PutLane(const EntryView& v, const AminoLines& amino, long long a, long long b, double y);
  void PutAminoLine(const std::string& letters, std::string_view label, long long a, long long b, double y);
  void PutCells(const EntryView& v, const std::vector<long long>& index, double x0, double y);
  void PutAlignment(double y);
  double AlignmentHeight() const;

  col::Output& out_;
  PageOptions options_;
  std::vector<Kept> entries_;
  std::vector<const Kept*> aligned_;
  long long columns_ = 0;  // alignment positions
  EntryNames names_;
};

}  // namespace colshow
