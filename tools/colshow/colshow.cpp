#include "colshow.h"

#include <cstdio>
#include <optional>
#include <string>

#include "choice.h"
#include "scan.h"
#include "page.h"
#include "svg.h"
#include "tool.h"
#include "version.h"
#include "view.h"

using namespace col;

namespace colshow {

namespace {

struct Settings {
  Choice selection;
  PageOptions page;
  bool svg = false;
  bool info = false;  // --help or --version was answered
  const char* filename = nullptr;
  std::string_view range_list, seq_list;  // the texts of the last -r and -s
  std::string refused;                    // what the command line was refused for
};

constexpr int kMaxWidth = 10000;

constexpr std::string_view kHelp =
      "Usage: colshow [OPTIONS] [FILE] > page.html\n"
      "Show a col file (FILE, or standard input; gzip too) as one self-contained\n"
      "HTML page: a panel per entry with its residues in rows, each residue in its\n"
      "background (color_r/g/b) and foreground (color2_r/g/b) colour, the position\n"
      "at both ends of each row, and the intron/exon, codonpos and strand tracks.\n"
      "Entries with an alignpos column are shown together as an alignment. Pointing\n"
      "at a residue shows every field of its line; #pos=N or #entry=NAME&pos=N in\n"
      "the page's address opens it at that position.\n"
      "\n"
      "Options (values follow the letter directly, as in tindra: -r100-200):\n"
      "  -s<seqrange>, --seq=<seqrange>  show only these entries: numbers and\n"
      "                                  ranges such as 2-3, or names (--seq= only)\n"
      "  -r<range>, --range=<range>      show only these positions (alignpos, else\n"
      "                                  seqpos, else line number), e.g. 1-100,250\n"
      "  -w<n>, --width=<n>              residues per row (default 60)\n"
      "  --align                         show every entry in the alignment view\n"
      "  --svg                           write an SVG figure instead (at most\n"
      "                                  100000 residues)\n"
      "  -h, --help                      this text\n"
      "  --version                       the version\n";

// "--help" (also "-h") and "--version": true when `piece` is one of them,
// after writing the answer on `out`.
bool AnswerInfo(std::string_view piece, Output& out) {
  InfoOption option = piece == "h" ? InfoOption::kHelp : ReadInfoOption(piece);
  if (option == InfoOption::kHelp) out.Write(kHelp);
  if (option == InfoOption::kVersion) {
    out.Write("colshow ");
    out.Write(SuiteVersion());
    out.Put('\n');
  }
  return option != InfoOption::kNone;
}

// A width is digits only ("-w60"), 1 to kMaxWidth.
bool ReadWidth(std::string_view text, int& width) {
  int value;
  if (!ReadDecimal(text, kMaxWidth, value) || value < 1) return false;
  width = value;
  return true;
}

// A width option: false, with the refusal, for a bad width.
bool ApplyWidth(Settings& s, std::string_view piece, std::string_view name) {
  if (ReadWidth(piece.substr(name.size()), s.page.width)) return true;
  s.refused = Concat({"'", AsTyped(piece), "' takes a number from 1 to 10000, as in ", AsTyped(name), "60"});
  return false;
}

// Applies one option piece; false, with the refusal, for an unknown option
// or a bad value.
bool ApplyOption(Settings& s, std::string_view piece) {
  auto after = [&](std::string_view name) { return piece.substr(name.size()); };
  if (piece.starts_with("r")) {
    s.range_list = after("r");
    s.selection.SetRanges(s.range_list);
  } else if (piece.starts_with("-range=")) {
    s.range_list = after("-range=");
    s.selection.SetRanges(s.range_list);
  } else if (piece.starts_with("s")) {
    s.seq_list = after("s");
    s.selection.SetEntries(s.seq_list);
  } else if (piece.starts_with("-seq=")) {
    s.seq_list = after("-seq=");
    s.selection.SetEntries(s.seq_list);
  } else if (piece.starts_with("w")) {
    return ApplyWidth(s, piece, "w");
  } else if (piece.starts_with("-width=")) {
    return ApplyWidth(s, piece, "-width=");
  } else if (piece == "-align") {
    s.page.align = true;
  } else if (piece == "-svg") {
    s.svg = true;
  } else {
    s.refused = Concat({"unknown option '", AsTyped(piece), "'"});
    return false;
  }
  return true;
}

// False after a bad command line (the caller prints the usage text).
bool ReadCommandLine(int argc, char** argv, Settings& s, Output* info) {
  Args args = InitArgument(argc, argv);
  while (auto piece = GetArgument(args)) {
    if (info && AnswerInfo(*piece, *info)) {
      s.info = true;
      return true;
    }
    if (!ApplyOption(s, *piece)) return false;
  }
  s.filename = GetFilename(args);
  if (const char* second = s.filename ? GetFilename(args) : nullptr) {
    s.refused = Concat({"a second file '", second, "': colshow reads one file"});
    return false;
  }
  s.page.source = s.filename ? s.filename : "standard input";
  return true;
}

// A line number as a position, as tindra counts it.
int LineNumber(long long n) { return n < INT32_MAX ? static_cast<int>(n) : INT32_MAX; }

enum class Body { kRead, kError, kTooLarge };

class Shower {
 public:
  Shower(const Settings& s, Output& out) : s_(s), out_(out), page_(out, s.page), svg_(out, s.page) {}

  int Run(Input& in);

 private:
  Body ReadBody(Input& in, Entry& e);
  Body SkipBody(Input& in);

  const Settings& s_;
  Output& out_;
  PageWriter page_;
  SvgWriter svg_;
  EntryView view_;
  std::string line_;
  std::string lines_[2];  // body lines are read into these in turn (TakeLine)
  long long shown_ = 0;  // residues kept for the figure
};

Body Shower::SkipBody(Input& in) {
  int rc;
  while ((rc = ReadBodyLine(in, line_)) == 0) {
  }
  return rc == -1 ? Body::kRead : Body::kError;
}

Body Shower::ReadBody(Input& in, Entry& e) {
  bool ranges = s_.selection.HasRanges();
  view_.Start(e, s_.svg, !ranges);
  std::size_t position_col = static_cast<std::size_t>(Choice::PositionColumn(e));
  int rc;
  for (long long n = 1; (rc = ReadBodyLine(in, lines_[n & 1])) == 0; ++n) {
    const std::string& line = lines_[n & 1];
    if (view_.AddPredicted(line)) continue;
    view_.TakeLine(line);
    if (ranges) {
      int position = LineNumber(n);
      if (position_col != 0) {
        position = Choice::ReadPosition(view_.Field(position_col));
      }
      if (!s_.selection.ChoosesPosition(position)) continue;
    }
    view_.AddLine(n);
    if (s_.svg && shown_ + view_.count > kSvgResidueLimit) {
      std::fprintf(stderr,
                   "colshow: --svg draws at most %lld residues and this selection has more; choose fewer with -s "
                   "or -r\n",
                   kSvgResidueLimit);
      return Body::kTooLarge;
    }
  }
  if (rc == 1) return Body::kError;  // the reader has reported the entry cut short
  view_.Finish();
  return Body::kRead;
}

int Shower::Run(Input& in) {
  Header header = MakeHeader();
  if (ReadHeader(in, header) != 0) return 1;
  if (!s_.svg) page_.Begin(header);
  Entry e = MakeEntry();
  int entryno = 1;
  int rc;
  Body body = Body::kRead;
  while ((rc = ReadEntryText(in, e)) == 0) {
    bool chosen = s_.selection.ChoosesEntry(e, entryno);
    body = chosen ? ReadBody(in, e) : SkipBody(in);
    if (body != Body::kRead) break;
    if (chosen && s_.svg) {
      svg_.AddEntry(view_, entryno);
      shown_ += view_.count;
    } else if (chosen) {
      page_.AddEntry(e, view_, entryno);
    }
    if (entryno < INT32_MAX) ++entryno;
  }
  bool failed = rc == 1 || body != Body::kRead;
  if (s_.svg) {
    if (!failed) svg_.Write(header);
  } else {
    // The page is closed even after an error, so that the entries before it
    // can be seen; the exit status tells the error.
    if (failed) {
      out_.Write("<p class=\"none\">The input is malformed after the entries above; they are shown, nothing after.</p>\n");
    }
    page_.End();
  }
  return failed ? 1 : 0;
}

int RunProgram(int argc, char** argv) {
  Settings s;
  if (!ReadCommandLine(argc, argv, s, &StdOut())) {
    if (!s.refused.empty()) ReportUsage("colshow", s.refused.c_str());
    Usage();
    return 1;
  }
  if (s.info) return 0;
  WarnReversedRange("colshow", {s.range_list, s.seq_list});
  Input in;
  if (!OpenInput(in, "colshow", s.filename)) return 1;
  Shower shower(s, StdOut());
  return FinishInput(in, "colshow", shower.Run(in));
}

}  // namespace

void Usage() {
  std::fputs(
      "usage: colshow [-s<seqrange> | --seq=<seqrange>] [-r<range> | --range=<range>]\n"
      "               [-w<width> | --width=<width>] [--align] [--svg] [<file>]\n"
      "       colshow --help | --version\n",
      stderr);
}

int Run(int argc, char** argv, Input& in, Output& out) {
  Settings s;
  if (!ReadCommandLine(argc, argv, s, nullptr)) return 1;
  Shower shower(s, out);
  return shower.Run(in);
}

int Main(int argc, char** argv) { return RunTool("colshow", RunProgram, argc, argv); }

}  // namespace colshow
