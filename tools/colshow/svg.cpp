#include "svg.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "colours.h"
#include "escape.h"

using namespace col;

namespace colshow {

namespace {

constexpr double kCell = 9;      // width of one residue
constexpr double kLine = 18;     // height of a row of letters
constexpr double kTrack = 9;     // height of a track line
constexpr double kBar = 16;      // height of a feature lane row
constexpr double kSep = 9;       // space above a row that has a lane
constexpr double kLegendLine = 16;
constexpr double kLegend = 4 * kLegendLine + 8;
constexpr double kLeft = 12;     // page margin
constexpr double kLabel = 11 * kCell;  // position or name column
constexpr double kTitle = 40;    // title and meta lines of a panel

// The colour of a track's letter; empty when it has none.
std::string_view ColourOfTrack(int track, char c) {
  if (track == kIntronExon) return ColourOf(kIntronExonColours, c);
  if (track == kCodonPos) return ColourOf(kCodonPosColours, c);
  return {};
}

int TranslatedRows(const FeatureLane& lane) {
  return static_cast<int>(std::count(lane.translated.begin(), lane.translated.end(), true));
}

int TrackAminoLines(const FeatureLane& lane) {
  return !lane.track_codons[0].empty() + !lane.track_codons[1].empty();
}

// Characters of a UTF-8 text, for the width of a legend item.
double TextWidth(std::string_view text, double size) {
  auto n = std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xc0) != 0x80; });
  return static_cast<double>(n) * size * 0.6;
}

// Opens a feature's group with the title a viewer shows on hovering: key,
// name, strand, ranges and, for a CDS, codon start and genetic code.
void PutFeatureTitle(Output& out, const LaneFeature& f) {
  out.Write("<g><title>");
  PutMarkup(out, f.line.key);
  out.Put(' ');
  PutMarkup(out, f.line.name);
  out.Put(' ');
  out.Put(f.line.strand);
  out.Put(' ');
  PutRanges(out, f.line.ranges);
  if (f.line.codon_start) {
    out.Write(" codon start ");
    out.PutInt(f.line.codon_start);
    out.Write(", table ");
    out.PutInt(f.line.transl_table);
  }
  out.Write("</title>\n");
}

double CellX(double x0, long long k) { return x0 + static_cast<double>(k + k / 10) * kCell; }

void PutNumber(Output& out, double v) {
  char buf[32];
  int n = std::snprintf(buf, sizeof buf, "%.2f", v);
  while (n > 0 && buf[n - 1] == '0') --n;
  if (n > 0 && buf[n - 1] == '.') --n;
  out.Write(std::string_view(buf, n));
}

// The colours of line i of a view, background then foreground.
struct Colours {
  Rgb bg = kWhite, fg = kBlack;
  bool operator==(const Colours&) const = default;
};

// Walks the colour runs of a view in line order.
class ColourCursor {
 public:
  explicit ColourCursor(const std::vector<ColourRun>& runs, Rgb fallback) : runs_(runs), fallback_(fallback) {}
  Rgb At(long long i) {
    if (runs_.empty()) return fallback_;
    if (i < start_) run_ = 0, start_ = 0;
    while (run_ + 1 < runs_.size() && i >= start_ + runs_[run_].count) start_ += runs_[run_++].count;
    return runs_[run_].rgb;
  }

 private:
  const std::vector<ColourRun>& runs_;
  Rgb fallback_;
  std::size_t run_ = 0;
  long long start_ = 0;
};

int TrackCount(const EntryView& v) {
  int n = 0;
  for (int t = 0; t < kTracks; ++t) n += v.track_col[t] != 0;
  return n;
}

}  // namespace

void SvgWriter::AddEntry(const EntryView& view, int entryno) {
  entries_.push_back({view, entryno, names_.Next(view, entryno)});
}

double SvgWriter::RowHeight(const EntryView& v) const {
  const FeatureLane& lane = v.lane;
  return (lane.rows ? kSep : 0) + lane.rows * kBar + TranslatedRows(lane) * kLine + kLine + TrackCount(v) * kTrack +
         TrackAminoLines(lane) * kLine + 6;
}

double SvgWriter::EntryHeight(const Kept& k) const {
  long long rows = (k.view.count + options_.width - 1) / options_.width;
  return kTitle + static_cast<double>(rows) * RowHeight(k.view) + 10;
}

double SvgWriter::AlignmentHeight() const {
  long long blocks = (columns_ + options_.width - 1) / options_.width;
  return kTitle + blocks * ((aligned_.size() + 1) * kLine + 10) + 10;
}

void SvgWriter::Write(const Header& header) {
  columns_ = 0;
  aligned_.clear();
  for (const Kept& k : entries_) {
    if (!options_.align && k.view.alignpos_col == 0) continue;
    aligned_.push_back(&k);
    for (long long i = 0; i < k.view.count; ++i) {
      long long p = k.view.alignpos_col ? k.view.alignpos[i] : std::atoll(k.view.positions[i].c_str());
      if (p >= 1 && p <= kSvgResidueLimit * 10) columns_ = std::max(columns_, p);
    }
  }
  int history = std::max(0, header.ntext() - 1);
  double width = 2 * kLeft + kLabel + (options_.width + (options_.width + 9) / 10) * kCell + kLabel;
  double height = 30 + history * 14 + 10 + kLegend;
  if (!aligned_.empty()) height += AlignmentHeight() + 10;
  for (const Kept& k : entries_) {
    if (std::find(aligned_.begin(), aligned_.end(), &k) == aligned_.end()) height += EntryHeight(k) + 10;
  }

  out_.Write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"");
  PutNumber(out_, width);
  out_.Write("\" height=\"");
  PutNumber(out_, height);
  out_.Write("\" viewBox=\"0 0 ");
  PutNumber(out_, width);
  out_.Put(' ');
  PutNumber(out_, height);
  out_.Write(
      "\" font-family=\"DejaVu Sans Mono, monospace\" font-size=\"14\">\n"
      "<rect width=\"100%\" height=\"100%\" fill=\"#e8eaee\"/>\n<text x=\"12\" y=\"22\" font-family=\"sans-serif\" "
      "font-weight=\"bold\" font-size=\"15\">");
  PutMarkup(out_, options_.source);
  out_.Write("</text>\n");
  double y = 30;
  for (int k = 0; k + 1 < header.ntext(); ++k) {
    std::string_view line = header.text[k];
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    out_.Write("<text x=\"12\" y=\"");
    PutNumber(out_, y + 11);
    out_.Write("\" font-size=\"11\" xml:space=\"preserve\">");
    PutMarkup(out_, line);
    out_.Write("</text>\n");
    y += 14;
  }
  y = PutLegend(y + 4) + 6;
  bool alignment_done = false;
  for (const Kept& k : entries_) {
    if (std::find(aligned_.begin(), aligned_.end(), &k) != aligned_.end()) {
      if (!alignment_done) {
        PutAlignment(y);
        y += AlignmentHeight() + 10;
        alignment_done = true;
      }
      continue;
    }
    PutEntry(k, y);
    y += EntryHeight(k) + 10;
  }
  out_.Write("</svg>\n");
}

// A panel's frame and its title: the name, then ACCESSION, LENGTH, STRAND
// and TYPE.
static void PutPanel(Output& out, double y, double height, const EntryView* v, std::string_view title) {
  out.Write("<rect x=\"6\" y=\"");
  PutNumber(out, y);
  out.Write("\" width=\"99%\" height=\"");
  PutNumber(out, height);
  out.Write("\" rx=\"6\" fill=\"#f4f5f7\" stroke=\"#c8ccd2\"/>\n<text x=\"12\" y=\"");
  PutNumber(out, y + 18);
  out.Write("\" font-family=\"sans-serif\" font-weight=\"bold\" font-size=\"15\">");
  PutMarkup(out, title);
  out.Write("</text>\n");
  if (!v) return;
  out.Write("<text x=\"12\" y=\"");
  PutNumber(out, y + 33);
  out.Write("\" font-family=\"sans-serif\" font-size=\"12\" fill=\"#57606a\">");
  struct Item {
    const char* key;
    const std::string& value;
  };
  for (const Item& item : {Item{"ACCESSION", v->accession}, Item{"LENGTH", v->length}, Item{"STRAND", v->strand},
                           Item{"TYPE", v->type}}) {
    if (item.value.empty()) continue;
    out.Write(item.key);
    out.Put(' ');
    PutMarkup(out, item.value);
    out.Write(" \xc2\xb7 ");
  }
  out.PutInt(v->count);
  out.Write(" residues</text>\n");
}

// The cells of one line: index[c] is the view's line at cell c, or -1.
void SvgWriter::PutCells(const EntryView& v, const std::vector<long long>& index, double x0, double y) {
  ColourCursor bg(v.background, kWhite), fg(v.foreground, kBlack);
  auto x_of = [&](std::size_t c) { return x0 + (c + c / 10) * kCell; };
  // Backgrounds: one rectangle per run of equal colour within a block.
  for (std::size_t c = 0; c < index.size();) {
    std::size_t d = c + 1;
    Rgb colour = index[c] < 0 ? 0 : bg.At(index[c]);
    while (d < index.size() && d % 10 != 0 && index[d] >= 0 && index[c] >= 0 && bg.At(index[d]) == colour) ++d;
    if (index[c] >= 0) {
      out_.Write("<rect x=\"");
      PutNumber(out_, x_of(c));
      out_.Write("\" y=\"");
      PutNumber(out_, y);
      out_.Write("\" width=\"");
      PutNumber(out_, (d - c) * kCell);
      out_.Write("\" height=\"18\" fill=\"#");
      PutHex(out_, colour);
      out_.Write("\"/>\n");
    }
    c = d;
  }
  // Letters: one text element per run of equal foreground, each letter at
  // its own x.
  for (std::size_t c = 0; c < index.size();) {
    if (index[c] < 0) {
      ++c;
      continue;
    }
    Rgb colour = fg.At(index[c]);
    std::size_t d = c + 1;
    while (d < index.size() && index[d] >= 0 && fg.At(index[d]) == colour) ++d;
    out_.Write("<text y=\"");
    PutNumber(out_, y + 14);
    out_.Write("\" fill=\"#");
    PutHex(out_, colour);
    out_.Write("\" x=\"");
    for (std::size_t k = c; k < d; ++k) {
      if (k > c) out_.Put(' ');
      PutNumber(out_, x_of(k) + 1.5);
    }
    out_.Write("\" xml:space=\"preserve\">");
    std::string letters;
    for (std::size_t k = c; k < d; ++k) letters += v.residues[index[k]];
    PutMarkup(out_, letters);
    out_.Write("</text>\n");
    c = d;
  }
}

// The tracks' and the feature lane's colours, as on the page.
double SvgWriter::PutLegend(double y) {
  double x = kLeft;
  auto item = [&](std::string_view colour, std::string_view text, bool swatch) {
    if (swatch) {
      out_.Write("<rect x=\"");
      PutNumber(out_, x);
      out_.Write("\" y=\"");
      PutNumber(out_, y + 4);
      out_.Write("\" width=\"14\" height=\"8\" stroke=\"#999\" fill=\"");
      out_.Write(colour);
      out_.Write("\"/>\n");
      x += 18;
    }
    out_.Write("<text x=\"");
    PutNumber(out_, x);
    out_.Write("\" y=\"");
    PutNumber(out_, y + 12);
    out_.Write("\" font-size=\"11\"");
    if (!swatch && !colour.empty()) {
      out_.Write(" fill=\"");
      out_.Write(colour);
      out_.Put('"');
    }
    out_.Write(" xml:space=\"preserve\">");
    PutMarkup(out_, text);
    out_.Write("</text>\n");
    x += TextWidth(text, 11) + 14;
  };
  auto next_line = [&] {
    x = kLeft;
    y += kLegendLine;
  };
  item({}, "Tracks", false);
  for (const TrackColour& c : kIntronExonColours) item(c.colour, c.legend, true);
  next_line();
  for (const TrackColour& c : kCodonPosColours) item(c.colour, c.legend, true);
  for (const TrackColour& c : kStrandColours) item(c.colour, c.legend, false);
  item("#fff", "no colour: white background, black letter", true);
  next_line();
  item({}, "Features", false);
  for (const FeatureColour& c : kFeatureColours) item(c.colour, c.legend, true);
  next_line();
  item({}, "\xe2\x96\xb6 \xe2\x97\x80 reading direction; amino acids under the middle base of each codon, * a stop", false);
  return y + kLegendLine;
}

// A line of amino-acid letters under the cells of lines a..b-1.
void SvgWriter::PutAminoLine(const std::string& letters, std::string_view label, long long a, long long b, double y) {
  double x0 = kLeft + kLabel;
  out_.Write("<text x=\"");
  PutNumber(out_, x0 - kCell);
  out_.Write("\" y=\"");
  PutNumber(out_, y + 13);
  out_.Write("\" text-anchor=\"end\" font-family=\"sans-serif\" font-size=\"10\" fill=\"#57606a\">");
  out_.Write(label);
  out_.Write("</text>\n");
  std::string shown;
  std::string xs;
  for (long long i = a; i < b; ++i) {
    char c = letters[static_cast<std::size_t>(i)];
    if (c == ' ') continue;
    if (!shown.empty()) xs += ' ';
    char buf[32];
    int n = std::snprintf(buf, sizeof buf, "%.2f", CellX(x0, i - a) + 1.5);
    xs.append(buf, static_cast<std::size_t>(n));
    shown += c;
  }
  if (shown.empty()) return;
  out_.Write("<text class=\"aa\" y=\"");
  PutNumber(out_, y + 14);
  out_.Write("\" font-weight=\"bold\" x=\"");
  out_.Write(xs);
  out_.Write("\">");
  PutMarkup(out_, shown);
  out_.Write("</text>\n");
}

// The lane rows of lines a..b-1 from y, each CDS row with its translation
// under it; the y after them.
double SvgWriter::PutLane(const EntryView& v, const AminoLines& amino, long long a, long long b, double y) {
  const FeatureLane& lane = v.lane;
  double x0 = kLeft + kLabel;
  auto rect = [&](double x, double ry, double w, double h, std::string_view fill) {
    out_.Write("<rect x=\"");
    PutNumber(out_, x);
    out_.Write("\" y=\"");
    PutNumber(out_, ry);
    out_.Write("\" width=\"");
    PutNumber(out_, w);
    out_.Write("\" height=\"");
    PutNumber(out_, h);
    out_.Write("\" fill=\"");
    out_.Write(fill);
    out_.Write("\"/>\n");
  };
  for (int row = 0; row < lane.rows; ++row) {
    for (const LaneFeature& f : lane.features) {
      auto meets = [&](const LineSpan& s) { return s.last >= a && s.first < b; };
      if (f.row != row || std::none_of(f.blocks.begin(), f.blocks.end(), meets)) continue;
      const FeatureColour& colour = kFeatureColours[f.kind];
      PutFeatureTitle(out_, f);
      for (const LineSpan& block : f.blocks) {
        if (!meets(block)) continue;
        double left = CellX(x0, std::max(a, block.first) - a), right = CellX(x0, std::min(b - 1, block.last) - a) + kCell;
        rect(left, y + 7, right - left, 2, colour.colour);
      }
      bool named = false;
      for (const LineSpan& s : f.spans) {
        if (s.last < a || s.first >= b) continue;
        double x = CellX(x0, std::max(a, s.first) - a), w = CellX(x0, std::min(b - 1, s.last) - a) + kCell - x;
        rect(x, y + 1, w, 14, colour.colour);
        // The arrow head where the feature ends in its reading direction.
        bool head_right = f.direction > 0 && s.last == f.end_line && f.end_line < b;
        bool head_left = f.direction < 0 && s.first == f.end_line && f.end_line >= a;
        if (head_right || head_left) {
          double tip = head_right ? x + w + 6 : x - 6, base = head_right ? x + w : x;
          out_.Write("<polygon fill=\"");
          out_.Write(colour.colour);
          out_.Write("\" points=\"");
          PutNumber(out_, base);
          out_.Put(',');
          PutNumber(out_, y + 1);
          out_.Put(' ');
          PutNumber(out_, tip);
          out_.Put(',');
          PutNumber(out_, y + 8);
          out_.Put(' ');
          PutNumber(out_, base);
          out_.Put(',');
          PutNumber(out_, y + 15);
          out_.Write("\"/>\n");
        }
        if (named) continue;
        named = true;
        std::string name = f.line.name == "." ? f.line.key : f.line.name;
        name = f.direction > 0 ? name + " \xe2\x96\xb6" : f.direction < 0 ? "\xe2\x97\x80 " + name : name;
        out_.Write("<text x=\"");
        PutNumber(out_, x + 3);
        out_.Write("\" y=\"");
        PutNumber(out_, y + 12);
        out_.Write("\" font-family=\"sans-serif\" font-size=\"10\" fill=\"");
        out_.Write(colour.ink);
        out_.Write("\" textLength=\"");
        double fit = std::min(TextWidth(name, 10), std::max(w - 6, 1.0));
        PutNumber(out_, fit);
        out_.Write("\" lengthAdjust=\"spacingAndGlyphs\">");
        PutMarkup(out_, name);
        out_.Write("</text>\n");
      }
      out_.Write("</g>\n");
    }
    y += kBar;
    if (amino.lane_rows[static_cast<std::size_t>(row)] >= 0) {
      PutAminoLine(amino.letters[static_cast<std::size_t>(amino.lane_rows[static_cast<std::size_t>(row)])],
                   "translation", a, b, y);
      y += kLine;
    }
  }
  return y;
}

void SvgWriter::PutRow(const EntryView& v, const AminoLines& amino, long long a, long long b, double y) {
  double x0 = kLeft + kLabel;
  if (v.lane.rows) {
    out_.Write("<rect x=\"");
    PutNumber(out_, x0 - kLabel);
    out_.Write("\" y=\"");
    PutNumber(out_, y);
    out_.Write("\" width=\"");
    PutNumber(out_, kLabel + CellX(0, options_.width));
    out_.Write("\" height=\"1\" fill=\"#d0d4da\"/>\n");
    y = PutLane(v, amino, a, b, y + kSep);
  }
  auto label = [&](double x, const char* anchor, const std::string& text) {
    out_.Write("<text x=\"");
    PutNumber(out_, x);
    out_.Write("\" y=\"");
    PutNumber(out_, y + 14);
    out_.Write("\" text-anchor=\"");
    out_.Write(anchor);
    out_.Write("\" fill=\"#57606a\">");
    PutMarkup(out_, text);
    out_.Write("</text>\n");
  };
  label(x0 - kCell, "end", v.positions[a]);
  std::vector<long long> index;
  for (long long i = a; i < b; ++i) index.push_back(i);
  PutCells(v, index, x0, y);
  std::size_t n = index.size();
  label(x0 + (n + (n + 9) / 10) * kCell, "start", v.positions[b - 1]);
  double ty = y + kLine;
  for (int t = 0; t < kTracks; ++t) {
    if (!v.track_col[t]) continue;
    out_.Write("<text x=\"");
    PutNumber(out_, x0 - kCell);
    out_.Write("\" y=\"");
    PutNumber(out_, ty + 7);
    out_.Write("\" text-anchor=\"end\" font-family=\"sans-serif\" font-size=\"8\" fill=\"#57606a\">");
    out_.Write(kTrackNames[t]);
    out_.Write("</text>\n");
    for (long long i = a; i < b; ++i) {
      auto at = static_cast<std::size_t>(i);
      char c = t == kIntronExon ? ShownRegion(v.tracks[t][at], v.tracks[kCodonPos][at]) : v.tracks[t][at];
      double x = CellX(x0, i - a);
      if (std::string_view colour = ColourOfTrack(t, c); !colour.empty()) {
        out_.Write("<rect x=\"");
        PutNumber(out_, x);
        out_.Write("\" y=\"");
        PutNumber(out_, ty);
        out_.Write("\" width=\"9\" height=\"8\" fill=\"");
        out_.Write(colour);
        out_.Write("\"/>\n");
      } else if (t == kStrand && (c == '+' || c == '-')) {
        // A chevron pointing along the strand.
        double x1 = c == '+' ? x + 3 : x + 6, x2 = c == '+' ? x + 6 : x + 3;
        out_.Write("<polyline fill=\"none\" stroke=\"");
        out_.Write(ColourOf(kStrandColours, c));
        out_.Write("\" stroke-width=\"1.5\" points=\"");
        PutNumber(out_, x1);
        out_.Put(',');
        PutNumber(out_, ty);
        out_.Put(' ');
        PutNumber(out_, x2);
        out_.Put(',');
        PutNumber(out_, ty + 4);
        out_.Put(' ');
        PutNumber(out_, x1);
        out_.Put(',');
        PutNumber(out_, ty + 8);
        out_.Write("\"/>\n");
      }
    }
    ty += kTrack;
  }
  // The codons of the codonpos and strand columns, plus strand first.
  std::size_t k = static_cast<std::size_t>(TranslatedRows(v.lane));
  for (int strand = 0; strand < 2; ++strand) {
    if (v.lane.track_codons[strand].empty()) continue;
    PutAminoLine(amino.letters[k++], strand ? "minus aa" : "plus aa", a, b, ty);
    ty += kLine;
  }
}

void SvgWriter::PutEntry(const Kept& k, double y) {
  const EntryView& v = k.view;
  PutPanel(out_, y, EntryHeight(k), &v, k.name);
  AminoLines amino;
  auto letters = [&](const std::vector<Codon>& codons, std::string& into) {
    for (const Codon& c : codons) {
      if (c.line >= 0 && c.line < v.count) into[static_cast<std::size_t>(c.line)] = c.amino;
    }
  };
  amino.lane_rows.assign(static_cast<std::size_t>(v.lane.rows), -1);
  for (int row = 0; row < v.lane.rows; ++row) {
    if (!v.lane.translated[static_cast<std::size_t>(row)]) continue;
    amino.lane_rows[static_cast<std::size_t>(row)] = static_cast<int>(amino.letters.size());
    amino.letters.emplace_back(static_cast<std::size_t>(v.count), ' ');
  }
  for (const LaneFeature& f : v.lane.features) {
    if (!f.codons.empty()) letters(f.codons, amino.letters[static_cast<std::size_t>(amino.lane_rows[f.row])]);
  }
  for (const std::vector<Codon>& codons : v.lane.track_codons) {
    if (codons.empty()) continue;
    amino.letters.emplace_back(static_cast<std::size_t>(v.count), ' ');
    letters(codons, amino.letters.back());
  }
  double row_height = RowHeight(v);
  double ry = y + kTitle;
  for (long long a = 0; a < v.count; a += options_.width) {
    PutRow(v, amino, a, std::min(v.count, a + options_.width), ry);
    ry += row_height;
  }
}

void SvgWriter::PutAlignment(double y) {
  std::string title = "Alignment of " + std::to_string(aligned_.size()) + (aligned_.size() == 1 ? " entry" : " entries");
  PutPanel(out_, y, AlignmentHeight(), nullptr, title);
  // Each entry's line at each alignment position.
  std::vector<std::vector<long long>> at(aligned_.size(), std::vector<long long>(columns_, -1));
  for (std::size_t e = 0; e < aligned_.size(); ++e) {
    const EntryView& v = aligned_[e]->view;
    for (long long i = 0; i < v.count; ++i) {
      long long p = v.alignpos_col ? v.alignpos[i] : std::atoll(v.positions[i].c_str());
      if (p >= 1 && p <= columns_ && at[e][p - 1] < 0) at[e][p - 1] = i;
    }
  }
  double x0 = kLeft + kLabel + 7 * kCell, by = y + kTitle;
  for (long long a = 0; a < columns_; a += options_.width) {
    long long b = std::min(columns_, a + options_.width);
    for (long long s = a; s < b; s += 10) {
      out_.Write("<text x=\"");
      PutNumber(out_, x0 + ((s - a) + (s - a) / 10) * kCell + 1.5);
      out_.Write("\" y=\"");
      PutNumber(out_, by + 14);
      out_.Write("\" fill=\"#57606a\">");
      out_.PutInt(s + 1);
      out_.Write("</text>\n");
    }
    double ly = by + kLine;
    for (std::size_t e = 0; e < aligned_.size(); ++e) {
      const EntryView& v = aligned_[e]->view;
      out_.Write("<text x=\"12\" y=\"");
      PutNumber(out_, ly + 14);
      out_.Write("\">");
      PutMarkup(out_, aligned_[e]->name.substr(0, 16));
      out_.Write("</text>\n");
      std::vector<long long> index(at[e].begin() + a, at[e].begin() + b);
      PutCells(v, index, x0, ly);
      ly += kLine;
    }
    by += (aligned_.size() + 1) * kLine + 10;
  }
}

}  // namespace colshow
