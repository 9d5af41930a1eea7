// The figure: a standalone SVG of the same panels, rows, colours and tracks
// as the page, for papers and slides. Every letter is placed by itself, so
// the figure looks the same with any monospace font. It is written once all
// entries are read (its size comes first), so it holds at most
// kSvgResidueLimit residues.
#pragma once

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
  };
  double EntryHeight(const Kept& k) const;
  void PutEntry(const Kept& k, double y);
  void PutRow(const EntryView& v, long long a, long long b, double y);
  void PutCells(const EntryView& v, const std::vector<long long>& index, double x0, double y);
  void PutAlignment(double y);
  double AlignmentHeight() const;

  col::Output& out_;
  PageOptions options_;
  std::vector<Kept> entries_;
  std::vector<const Kept*> aligned_;
  long long columns_ = 0;  // alignment positions
};

}  // namespace colshow
