// The HTML page: one self-contained file (styles, data and script inline, no
// network) with a panel per entry, an alignment panel for aligned entries, a
// legend and a "go to position" box. The residues of each entry travel as
// text, its columns and colours as runs (view.h); the page's script draws
// only the rows on screen, so a page of ten million residues stays light.
#pragma once

#include <string>

#include "col.h"
#include "view.h"

namespace colshow {

struct PageOptions {
  int width = 60;      // residues per row
  bool align = false;  // every entry in the alignment view
  std::string source;  // the input's name, for the title
};

class PageWriter {
 public:
  PageWriter(col::Output& out, const PageOptions& options) : out_(out), options_(options) {}

  // Everything up to the first entry: head, bar, history, legend.
  void Begin(const col::Header& header);
  // One entry's panel and data; `entryno` counts every entry of the input.
  void AddEntry(const col::Entry& e, const EntryView& view, int entryno);
  // The viewer script and the end of the page.
  void End();

 private:
  void PutEntryText(const col::Entry& e);
  void PutData(const EntryView& view, int entryno, const std::string& name);
  void PutLane(const FeatureLane& lane);

  col::Output& out_;
  PageOptions options_;
  int entries_ = 0;
  EntryNames names_;
};

// The colour as six hexadecimal digits.
void PutHex(col::Output& out, Rgb rgb);

}  // namespace colshow
