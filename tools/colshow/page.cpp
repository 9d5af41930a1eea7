#include "page.h"

#include <span>
#include <string_view>

#include "colours.h"
#include "escape.h"
#include "page_script.h"
#include "page_style.h"

using namespace col;

namespace colshow {

namespace {

// No request leaves the page: everything it needs is inline.
constexpr std::string_view kHead = R"HTML(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta http-equiv="Content-Security-Policy" content="default-src 'none'; style-src 'unsafe-inline'; script-src 'unsafe-inline'">
<meta name="viewport" content="width=device-width, initial-scale=1">
<meta name="generator" content="colshow">
)HTML";

// The viewer (page.js). It reads the data the entries pushed into CS.e, sets
// text only through textContent, and keeps in the document just the rows on
// screen. It takes the track colours from this line, which End() replaces.
constexpr std::string_view kColoursLine =
    "/* IE and CP, the track colours by letter, are written in here from colours.h. */\n";
// Found when the page is written, not at compile time: the sanitizer builds
// cannot search the embedded bytes in a constant expression. Every page
// test fails if the line is missing.
std::size_t ColoursAt() {
  static const std::size_t at = kPageScript.find(kColoursLine);
  return at;
}

// A legend line: a swatch and a text per letter of the table.
void PutLegendLine(Output& out, std::span<const TrackColour> table) {
  for (const TrackColour& c : table) {
    out.Write("<span><i style=\"background:");
    out.Write(c.colour);
    out.Write("\"></i>");
    PutMarkup(out, c.legend);
    out.Write("</span>");
  }
  out.Put('\n');
}

// The table as a script object from letter to colour: var IE = {E: "#2e7d32", "3": "#ff9800"};
void PutScriptColours(Output& out, std::string_view name, std::span<const TrackColour> table) {
  out.Write("var ");
  out.Write(name);
  out.Write(" = {");
  for (std::size_t k = 0; k < table.size(); ++k) {
    if (k) out.Write(", ");
    char letter = table[k].letter;
    bool bare = (letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z');
    if (!bare) out.Put('"');
    out.Put(letter);
    out.Write(bare ? ": \"" : "\": \"");
    out.Write(table[k].colour);
    out.Put('"');
  }
  out.Write("};\n");
}

void PutRuns(Output& out, const std::vector<ColourRun>& runs) {
  bool first = true;
  for (const ColourRun& run : runs) {
    if (!first) out.Put(' ');
    first = false;
    out.PutInt(run.count);
    out.Write("c ");
    PutHex(out, run.rgb);
  }
}

void PutIndex(Output& out, std::string_view key, int column) {
  out.Write(key);
  out.PutInt(column - 1);
}

}  // namespace

void PutHex(Output& out, Rgb rgb) {
  static const char kHex[] = "0123456789abcdef";
  for (int shift = 20; shift >= 0; shift -= 4) out.Put(kHex[(rgb >> shift) & 15]);
}

void PageWriter::Begin(const Header& header) {
  out_.Write(kHead);
  out_.Write("<title>");
  PutMarkup(out_, options_.source);
  out_.Write(" \xe2\x80\x94 colshow</title>\n");
  out_.Write("<style>\n");
  out_.Write(kPageStyle);
  out_.Write("</style>\n");
  out_.Write("<script>var CS={w:");
  out_.PutInt(options_.width);
  out_.Write(options_.align ? ",align:true,e:[]};</script>\n" : ",align:false,e:[]};</script>\n");
  out_.Write("</head>\n<body>\n<div id=\"bar\"><h1>");
  PutMarkup(out_, options_.source);
  out_.Write(
      "</h1><form id=\"go\"><label>Go to <select id=\"go-entry\"></select></label> <label>position "
      "<input id=\"go-pos\" type=\"number\" step=\"1\"></label> <button>Go</button> <span id=\"go-msg\"></span></form>"
      "</div>\n<main>\n");
  // The free header lines: the file's own notes and the history of the
  // programs that made it. The separator line is not shown.
  if (header.ntext() > 1) {
    out_.Write("<pre class=\"hist\">");
    for (int k = 0; k + 1 < header.ntext(); ++k) PutMarkup(out_, header.text[k]);
    out_.Write("</pre>\n");
  }
  out_.Write("<div class=\"legend\"><b>Tracks</b>\n");
  PutLegendLine(out_, kIntronExonColours);
  PutLegendLine(out_, kCodonPosColours);
  for (const TrackColour& c : kStrandColours) {
    out_.Write("<span style=\"color:");
    out_.Write(c.colour);
    out_.Write("\">");
    PutMarkup(out_, c.legend);
    out_.Write("</span>");
  }
  out_.Write("\n<span><i style=\"background:#fff\"></i>no colour: white background, black letter</span>\n<b>Features</b>\n");
  for (const FeatureColour& c : kFeatureColours) {
    out_.Write("<span><i style=\"background:");
    out_.Write(c.colour);
    out_.Write("\"></i>");
    PutMarkup(out_, c.legend);
    out_.Write("</span>");
  }
  out_.Write("\n<span>&#9654; &#9664; reading direction; amino acids under the middle base of each codon, * a stop</span>\n</div>\n");
}

void PageWriter::PutEntryText(const Entry& e) {
  out_.Write("<details><summary>entry text</summary><pre>");
  for (const std::string& line : e.text) PutMarkup(out_, line);
  out_.Write("</pre></details>\n");
}

void PageWriter::AddEntry(const Entry& e, const EntryView& v, int entryno) {
  ++entries_;
  out_.Write("<section class=\"entry\" id=\"entry-");
  out_.PutInt(entryno);
  out_.Write("\">\n<h2>");
  std::string name = names_.Next(v, entryno);
  PutMarkup(out_, name);
  out_.Write("</h2>\n<p class=\"meta\">");
  struct Item {
    const char* key;
    const std::string& value;
  };
  for (const Item& item : {Item{"ACCESSION", v.accession}, Item{"LENGTH", v.length}, Item{"STRAND", v.strand},
                           Item{"TYPE", v.type}}) {
    if (item.value.empty()) continue;
    out_.Write(item.key);
    out_.Put(' ');
    PutMarkup(out_, item.value);
    out_.Write(" \xc2\xb7 ");
  }
  out_.PutInt(v.count);
  out_.Write(v.count == 1 ? " residue shown</p>\n" : " residues shown</p>\n");
  PutEntryText(e);
  out_.Write("<div class=\"view\"></div>\n");
  PutData(v, entryno, name);
  out_.Write("</section>\n");
}

void PageWriter::PutData(const EntryView& v, int entryno, const std::string& name) {
  out_.Write("<script>CS.e.push({id:\"entry-");
  out_.PutInt(entryno);
  out_.Write("\",name:\"");
  PutScriptString(out_, name);
  out_.Write("\",n:");
  out_.PutInt(v.count);
  PutIndex(out_, ",res:", v.residue_col);
  PutIndex(out_, ",pos:", v.seqpos_col);
  PutIndex(out_, ",ali:", v.alignpos_col);
  out_.Write(",trk:[");
  for (int t = 0; t < kTracks; ++t) PutIndex(out_, t ? "," : "", v.track_col[t]);
  out_.Write("],\nlab:[");
  for (std::size_t k = 0; k < v.labels.size(); ++k) {
    out_.Write(k ? ",\"" : "\"");
    PutScriptString(out_, v.labels[k]);
    out_.Put('"');
  }
  out_.Write("],\ns:\"");
  PutScriptString(out_, v.residues);
  out_.Write("\",\nc:[");
  for (std::size_t k = 0; k < v.columns.size(); ++k) {
    out_.Write(k ? ",\n\"" : "\"");
    PutScriptString(out_, v.columns[k].Text());
    out_.Put('"');
  }
  out_.Write("]");
  if (v.coloured) {
    out_.Write(",\nbg:\"");
    PutRuns(out_, v.background);
    out_.Put('"');
  }
  if (v.fg_coloured) {
    out_.Write(",\nfg:\"");
    PutRuns(out_, v.foreground);
    out_.Put('"');
  }
  PutLane(v.lane);
  out_.Write("});</script>\n");
}

// The lane as ft: one array per feature, [row, class, key, name, strand,
// ranges, codon start, table, direction, [first, last, ...], codons, the
// line where it ends in reading order]; lt:
// the rows that hold a translation; tc: the codons of the codonpos and
// strand columns (plus, minus).
void PageWriter::PutLane(const FeatureLane& lane) {
  std::string text;
  if (!lane.features.empty()) {
    out_.Write(",\nft:[");
    bool first = true;
    for (const LaneFeature& f : lane.features) {
      out_.Write(first ? "[" : ",\n[");
      first = false;
      out_.PutInt(f.row);
      out_.Put(',');
      out_.PutInt(f.kind);
      out_.Write(",\"");
      PutScriptString(out_, f.line.key);
      out_.Write("\",\"");
      PutScriptString(out_, f.line.name);
      out_.Write("\",\"");
      out_.Put(f.line.strand);
      out_.Write("\",\"");
      PutRanges(out_, f.line.ranges);
      out_.Write("\",");
      out_.PutInt(f.line.codon_start);
      out_.Put(',');
      out_.PutInt(f.line.transl_table);
      out_.Put(',');
      out_.PutInt(f.direction);
      out_.Write(",[");
      for (std::size_t k = 0; k < f.spans.size(); ++k) {
        if (k) out_.Put(',');
        out_.PutInt(f.spans[k].first);
        out_.Put(',');
        out_.PutInt(f.spans[k].last);
      }
      out_.Write("],\"");
      text.clear();
      AppendCodonText(text, f.codons);
      PutScriptString(out_, text);
      out_.Write("\",");
      out_.PutInt(f.end_line);
      out_.Put(']');
    }
    out_.Write("],\nlt:[");
    for (int r = 0; r < lane.rows; ++r) out_.Write(r == 0 ? (lane.translated[r] ? "1" : "0") : (lane.translated[r] ? ",1" : ",0"));
    out_.Put(']');
  }
  if (lane.HasTrackCodons()) {
    out_.Write(",\ntc:[");
    for (int k = 0; k < 2; ++k) {
      text.clear();
      AppendCodonText(text, lane.track_codons[k]);
      out_.Write(k ? ",\"" : "\"");
      PutScriptString(out_, text);
      out_.Put('"');
    }
    out_.Put(']');
  }
}

void PageWriter::End() {
  if (entries_ == 0) out_.Write("<p class=\"none\">The file holds no entries to show.</p>\n");
  out_.Write("</main>\n");
  out_.Write("<script>\n");
  out_.Write(kPageScript.substr(0, ColoursAt()));
  PutScriptColours(out_, "IE", kIntronExonColours);
  PutScriptColours(out_, "CP", kCodonPosColours);
  PutScriptColours(out_, "ST", kStrandColours);
  out_.Write("var FC = [");
  for (std::size_t k = 0; k < std::size(kFeatureColours); ++k) {
    out_.Write(k ? ", [\"" : "[\"");
    out_.Write(kFeatureColours[k].colour);
    out_.Write("\", \"");
    out_.Write(kFeatureColours[k].ink);
    out_.Write("\"]");
  }
  out_.Write("];\nvar JL = ");
  out_.PutInt(kJoinLimit);
  out_.Write(";\nvar TN = [");
  for (std::size_t k = 0; k < std::size(kTrackNames); ++k) {
    out_.Write(k ? ", \"" : "\"");
    out_.Write(kTrackNames[k]);
    out_.Put('"');
  }
  out_.Write("];\n");
  out_.Write(kPageScript.substr(ColoursAt() + kColoursLine.size()));
  out_.Write("</script>\n");
  out_.Write("</body>\n</html>\n");
}

}  // namespace colshow
