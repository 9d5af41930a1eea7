// colshow's page, checked by meaning: the data embedded for each entry,
// decoded by a reader of its own, gives back every field of every shown body
// line, the colours and the residues; input text never becomes markup.
#include "colshow.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "escape.h"
#include "out_of_memory.h"
#include "svg.h"
#include "view.h"

using namespace col;

namespace {

// ---------------------------------------------------------------------------
// Running colshow in process

std::string Show(std::vector<std::string> words, std::string_view input, int* status = nullptr) {
  words.insert(words.begin(), "colshow");
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  FILE* sink = std::tmpfile();
  int rc;
  {
    Output out(sink, 1 << 12);
    Input in;
    in.UseMemory(input);
    rc = colshow::Run(static_cast<int>(words.size()), argv.data(), in, out);
    out.Flush();
  }
  if (status) *status = rc;
  std::string text;
  std::rewind(sink);
  char buf[4096];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, sink)) > 0;) text.append(buf, n);
  std::fclose(sink);
  return text;
}

std::string Markup(std::string_view text) {
  FILE* sink = std::tmpfile();
  {
    Output out(sink);
    colshow::PutMarkup(out, text);
  }
  std::string s(1000, '\0');
  std::rewind(sink);
  s.resize(std::fread(s.data(), 1, s.size(), sink));
  std::fclose(sink);
  return s;
}

std::string Script(std::string_view text) {
  FILE* sink = std::tmpfile();
  {
    Output out(sink);
    colshow::PutScriptString(out, text);
  }
  std::string s(1000, '\0');
  std::rewind(sink);
  s.resize(std::fread(s.data(), 1, s.size(), sink));
  std::fclose(sink);
  return s;
}

// ---------------------------------------------------------------------------
// A reader of the page's data, written from the format alone

// The JavaScript string literal starting at text[i] (its opening quote),
// decoded; i ends after the closing quote. \ufffd decodes to U+FFFD.
std::string ReadString(std::string_view text, std::size_t& i) {
  EXPECT_EQ(text[i], '"');
  std::string s;
  for (++i; text[i] != '"'; ++i) {
    if (text[i] != '\\') {
      s += text[i];
      continue;
    }
    char c = text[++i];
    if (c == 'x') {
      s += static_cast<char>(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16));
      i += 2;
    } else if (c == 'u') {
      EXPECT_EQ(text.substr(i + 1, 4), "fffd");
      s += "\xef\xbf\xbd";
      i += 4;
    } else {
      s += c;
    }
  }
  ++i;
  return s;
}

std::vector<std::string> Words(std::string_view text) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i <= text.size() && !text.empty()) {
    std::size_t j = text.find(' ', i);
    if (j == std::string_view::npos) j = text.size();
    words.emplace_back(text.substr(i, j - i));
    i = j + 1;
  }
  return words;
}

// The values of a column's runs; "\x01missing" for a line without the field.
std::vector<std::string> DecodeRuns(std::string_view runs, std::string_view residues) {
  std::vector<std::string> values;
  std::vector<std::string> w = Words(runs);
  for (std::size_t j = 0; j < w.size();) {
    const std::string& head = w[j++];
    std::size_t kind = head.find_first_not_of("0123456789");
    long long n = std::stoll(head.substr(0, kind));
    char k = head[kind];
    std::size_t start = values.size();
    for (long long i = 0; i < n; ++i) {
      switch (k) {
        case 'c': values.push_back(w[j]); break;
        case 'i': values.push_back(std::to_string(std::stoll(w[j]) + i * std::stoll(w[j + 1]))); break;
        case 'p': values.push_back(w[j + i % std::stoi(head.substr(kind + 1))]); break;
        case 'r': values.push_back(std::string(1, residues[start + i])); break;
        case 'm': values.push_back("\x01missing"); break;
        default: ADD_FAILURE() << "unknown run " << head;
      }
    }
    j += k == 'c' ? 1 : k == 'i' ? 2 : k == 'p' ? std::stoi(head.substr(kind + 1)) : 0;
  }
  return values;
}

struct Shown {
  std::string name, residues;
  std::vector<std::string> labels;
  std::vector<std::vector<std::string>> columns;  // decoded, column by column
  std::vector<std::string> bg, fg;                // decoded colour per line
};

// Every entry's data in a page.
std::vector<Shown> ReadPage(std::string_view page) {
  std::vector<Shown> entries;
  for (std::size_t at = 0; (at = page.find("CS.e.push({", at)) != std::string_view::npos;) {
    Shown e;
    std::size_t end = page.find("});</script>", at);
    auto string_after = [&](std::string_view key) {
      std::size_t i = page.find(key, at);
      EXPECT_LT(i, end) << key;
      i += key.size();
      return ReadString(page, i);
    };
    e.name = string_after(",name:");
    e.residues = string_after("\ns:");
    for (std::size_t i = page.find("lab:[", at) + 5; page[i] == '"';) {
      e.labels.push_back(ReadString(page, i));
      if (page[i] == ',') ++i;
    }
    std::vector<std::string> runs;
    for (std::size_t i = page.find("\nc:[", at) + 4; page[i] == '"';) {
      e.columns.push_back(DecodeRuns(ReadString(page, i), e.residues));
      if (page[i] == ',') i += 2;
    }
    std::size_t bg = page.find(",\nbg:", at);
    if (bg < end) e.bg = DecodeRuns(string_after(",\nbg:"), "");
    std::size_t fg = page.find(",\nfg:", at);
    if (fg < end) e.fg = DecodeRuns(string_after(",\nfg:"), "");
    entries.push_back(e);
    at = end;
  }
  return entries;
}

std::vector<std::string> SplitWhite(std::string_view line) {
  std::vector<std::string> f;
  std::size_t i = 0;
  while (true) {
    i = line.find_first_not_of(" \t\n\v\f\r", i);
    if (i == std::string_view::npos) return f;
    std::size_t j = line.find_first_of(" \t\n\v\f\r", i);
    if (j == std::string_view::npos) j = line.size();
    f.emplace_back(line.substr(i, j - i));
    i = j;
  }
}

template <typename... Args>
std::string Format(const char* format, Args... args) {
  char line[200];
  std::snprintf(line, sizeof line, format, args...);
  return std::string(line) + "\n";
}

constexpr const char* kHeader = "; made by hand\n; ==========\n";

std::string EntryText(std::string_view name, std::vector<std::string> labels, std::string_view more = "") {
  std::string t = "; TYPE              DNA\n";
  for (std::size_t k = 0; k < labels.size(); ++k) t += "; COL " + std::to_string(k + 1) + "             " + labels[k] + "\n";
  return t + "; ENTRY             " + std::string(name) + "\n" + std::string(more) + "; ----------\n";
}

// Every body line, field by field, comes back from the page; the residue
// text holds the residue letters.
void ExpectRoundTrip(const Shown& e, const std::vector<std::string>& lines, int residue_col) {
  std::size_t n = 0;
  for (const auto& c : e.columns) n = std::max(n, c.size());
  ASSERT_EQ(n, lines.size());
  ASSERT_EQ(e.residues.size(), lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::vector<std::string> f = SplitWhite(lines[i]);
    for (std::size_t k = 0; k < e.columns.size(); ++k) {
      std::string want = k < f.size() ? f[k] : "\x01missing";
      EXPECT_EQ(e.columns[k][i], want) << "line " << i + 1 << " column " << k + 1;
    }
    if (residue_col > 0 && static_cast<std::size_t>(residue_col) <= f.size() && f[residue_col - 1].size() == 1) {
      EXPECT_EQ(e.residues[i], f[residue_col - 1][0]) << "line " << i + 1;
    }
  }
}

// ---------------------------------------------------------------------------
// Round trips

TEST(RoundTrip, EveryKindOfRunComesBack) {
  // Counting up and down, periods of 2 and 3 that start late, constants,
  // fields missing at the end of lines, a column found only on line 5.
  std::vector<std::string> lines;
  const char* codon[] = {"1", "2", "3"};
  for (int i = 1; i <= 40; ++i) {
    std::string line = "N " + std::string(1, "acgt"[i % 4]) + " " + std::to_string(i < 20 ? i : 60 - i) + " ";
    line += i < 7 ? "." : codon[i % 3];
    line += i % 2 ? " + " : " - ";
    line += i < 30 ? std::to_string(i / 9) : "x";
    if (i == 5 || i > 35) line += " extra" + std::to_string(i > 37);
    if (i == 33) line = "N g";  // a short line
    lines.push_back(line + "\n");
  }
  std::string input = std::string(kHeader) + EntryText("runs", {"label", "residue", "seqpos", "codonpos", "strand"});
  for (const std::string& l : lines) input += l;
  input += "; **********\n";
  int status;
  std::vector<Shown> page = ReadPage(Show({}, input, &status));
  EXPECT_EQ(status, 0);
  ASSERT_EQ(page.size(), 1u);
  EXPECT_EQ(page[0].name, "runs");
  EXPECT_EQ(page[0].labels, (std::vector<std::string>{"label", "residue", "seqpos", "codonpos", "strand", "column 6",
                                                       "column 7"}));
  ExpectRoundTrip(page[0], lines, 2);
}

TEST(RoundTrip, NumbersThatAreNoPlainIntegersStayText) {
  std::vector<std::string> lines = {"A 007\n", "C 8\n", "G 9\n", "T 10\n", "A -1\n", "C -0\n", "G +1\n",
                                    "T 1234567890123456\n", "A 1234567890123457\n", "C 99\n", "G 100\n",
                                    "T 101\n", "A 100\n", "C 99\n", "G 98\n"};
  std::string input = std::string(kHeader) + EntryText("numbers", {"residue", "seqpos"});
  for (const std::string& l : lines) input += l;
  input += "; **********\n";
  std::vector<Shown> page = ReadPage(Show({}, input));
  ASSERT_EQ(page.size(), 1u);
  ExpectRoundTrip(page[0], lines, 1);
}

TEST(RoundTrip, OddResiduesKeepTheirFields) {
  // A residue field of two letters, a quote, a backslash, "<", NUL, a byte
  // that is no UTF-8 and a missing residue field.
  std::vector<std::string> lines = {"N ab 1\n", "N \" 2\n", "N \\ 3\n", "N < 4\n", std::string("N \0 5\n", 6),
                                    "N \xff 6\n", "N\n", "N \xc3\xa9 8\n"};
  std::string input = std::string(kHeader) + EntryText("odd", {"label", "residue", "seqpos"});
  for (const std::string& l : lines) input += l;
  input += "; **********\n";
  std::vector<Shown> page = ReadPage(Show({}, input));
  ASSERT_EQ(page.size(), 1u);
  const Shown& e = page[0];
  EXPECT_EQ(e.residues, "?\"\\<?? ?");
  EXPECT_EQ(e.columns[1][0], "ab");
  EXPECT_EQ(e.columns[1][4], std::string(1, '\0'));
  EXPECT_EQ(e.columns[1][5], "\xef\xbf\xbd");  // shown as the replacement character
  EXPECT_EQ(e.columns[1][6], "\x01missing");
  EXPECT_EQ(e.columns[1][7], "\xc3\xa9");
  EXPECT_EQ(e.columns[2][6], "\x01missing");
}

TEST(RoundTrip, ColoursAreClampedAndDefaultToWhiteOnBlack) {
  std::string input = std::string(kHeader) +
                      EntryText("colours", {"residue", "seqpos", "color_r", "color_g", "color_b", "color2_r"}) +
                      "a 1 1.000 1.000 1.000 0.000\n"
                      "c 2 1.000 0.000 0.000 1.000\n"
                      "g 3 0.500 2.000 -1.00 0.200\n"
                      "t 4 nan x 0.0\n"
                      "a 5 1.000\n"
                      "; **********\n" +
                      EntryText("plain", {"residue", "seqpos"}) + "a 1\n; **********\n";
  std::vector<Shown> page = ReadPage(Show({}, input));
  ASSERT_EQ(page.size(), 2u);
  EXPECT_EQ(page[0].bg, (std::vector<std::string>{"ffffff", "ff0000", "80ff00", "ffff00", "ffffff"}));
  // Only color2_r is there: green and blue stay black.
  EXPECT_EQ(page[0].fg, (std::vector<std::string>{"000000", "ff0000", "330000", "000000", "000000"}));
  EXPECT_TRUE(page[1].bg.empty());
  EXPECT_TRUE(page[1].fg.empty());
}

TEST(RoundTrip, LongEntryStaysCompact) {
  // What morvel --gene | tindra writes: a count, constants and codon periods.
  std::string input = std::string(kHeader) + EntryText("long", {"label", "residue", "seqpos", "intron/exon",
                                                                "codonpos", "strand", "color_r", "color_g", "color_b"});
  std::vector<std::string> lines;
  for (int i = 1; i <= 30000; ++i) {
    char line[100];
    bool cds = i > 1000 && i <= 20000;
    std::snprintf(line, sizeof line, "N     %c %5d     %c     %c     %c %s\n", "acgt"[(i * 7) % 4], i, cds ? 'E' : '.',
                  cds ? "123"[(i - 1001) % 3] : '.', cds ? '+' : '.',
                  i > 5000 && i < 6000 ? "1.000 0.000 0.000" : "1.000 1.000 1.000");
    lines.push_back(line);
    input += line;
  }
  input += "; **********\n";
  std::string html = Show({}, input);
  std::vector<Shown> page = ReadPage(html);
  ASSERT_EQ(page.size(), 1u);
  ExpectRoundTrip(page[0], lines, 2);
  EXPECT_EQ(page[0].bg[5000], "ff0000");
  EXPECT_EQ(page[0].bg[6000], "ffffff");
  // The residue letters, one letter per codon of the translation row, and
  // little else.
  std::size_t data = html.find("CS.e.push");
  EXPECT_LT(html.find("});</script>", data) - data, lines.size() + 19000 / 3 + 2000);
}

// Lines that continue every run go a shorter way than the others; every
// place where a run stops continuing must still come back exactly: counts
// that gain or lose a digit (right-aligned or not), that pass zero, periods
// broken or with values of other sizes, colours that change in a period,
// residues that are no single letter, lines that lose a field.
TEST(RoundTrip, EveryBreakInARunComesBack) {
  using Line = std::string (*)(int);
  struct Case {
    const char* name;
    Line line;
  } cases[] = {
      {"aligned counts", [](int i) { return Format("N %c %5d E %c +", "acgt"[i % 4], i * 7 / 8, "123"[i % 3]); }},
      {"growing counts", [](int i) { return Format("N %c %d E %c", "acgt"[i % 4], 95 + i, "123"[i % 3]); }},
      {"counts down past zero", [](int i) { return Format("N %c %4d", "ac"[i % 2 == 0], 60 - i); }},
      {"counts that turn below zero", [](int i) {
         return Format("N %c %4d", "ac"[i % 2], i <= 60 ? i - 70 : i <= 75 ? 50 - i : i - 100);
       }},
      {"broken periods", [](int i) {
         const char* codon = i % 3 == 0 ? "1" : i % 3 == 1 ? "2" : "3";
         const char* p = i % 37 < 7 ? (i % 2 ? "1" : "22") : i % 37 < 20 ? codon : ".";
         return Format("N %c %3d %s %s", "acgt"[i / 3 % 4], i, p, i % 5 ? "1.000" : "0.000");
       }},
      {"colours in a period", [](int i) {
         return Format("%c %3d %s 0.000 1.000", "acgt"[i % 4], i, i > 40 && i % 2 ? "1.000" : "0.000");
       }},
      {"odd residues and short lines", [](int i) {
         const char* r = i % 23 == 5 ? "ab" : i % 29 == 7 ? "\xc3\xa9" : i % 31 == 3 ? "<" : "g";
         return i % 41 == 40 ? std::string("N\n") : Format("N %s %3d 1.000", r, i);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> lines;
    for (int i = 1; i <= 120; ++i) lines.push_back(c.line(i));
    bool label = lines[0][0] == 'N';
    std::vector<std::string> labels = {"label", "residue", "seqpos", "codonpos", "color_r", "color_g"};
    if (!label) labels = {"residue", "seqpos", "color_r", "color_g", "color_b"};
    // Twice, so that the second entry starts from what the first left.
    std::string input = kHeader;
    for (const char* name : {"first", "second"}) {
      input += EntryText(name, labels);
      for (const std::string& l : lines) input += l;
      input += "; **********\n";
    }
    std::vector<Shown> page = ReadPage(Show({}, input));
    ASSERT_EQ(page.size(), 2u);
    for (const Shown& e : page) {
      ExpectRoundTrip(e, lines, label ? 2 : 1);
      if (label) continue;
      for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(e.bg[i], SplitWhite(lines[i])[2] == "1.000" ? "ff00ff" : "0000ff") << "line " << i + 1;
      }
    }
  }
}

// ---------------------------------------------------------------------------
// Selection: tindra's -s and -r

TEST(Selection, EntriesAndPositionsAsTindraChoosesThem) {
  std::string input = kHeader;
  for (const char* name : {"one", "two", "three"}) {
    input += EntryText(name, {"residue", "seqpos"});
    for (int i = 1; i <= 9; ++i) input += std::string(1, "acgtacgta"[i - 1]) + " " + std::to_string(i) + "\n";
    input += "; **********\n";
  }
  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> names;
    std::string residues;  // of the first shown entry
  } cases[] = {
      {{}, {"one", "two", "three"}, "acgtacgta"},
      {{"-s2-3"}, {"two", "three"}, "acgtacgta"},
      {{"--seq=three,1"}, {"one", "three"}, "acgtacgta"},
      {{"-s"}, {}, ""},
      {{"-r2-3,7"}, {"one", "two", "three"}, "cgg"},
      {{"--range=x,9", "-s2"}, {"two"}, "a"},
      {{"-r"}, {"one", "two", "three"}, ""},
  };
  for (const Case& c : cases) {
    std::vector<Shown> page = ReadPage(Show(c.args, input));
    std::vector<std::string> names;
    for (const Shown& e : page) names.push_back(e.name);
    EXPECT_EQ(names, c.names) << ::testing::PrintToString(c.args);
    if (!page.empty()) {
      EXPECT_EQ(page[0].residues, c.residues) << ::testing::PrintToString(c.args);
    }
  }
}

TEST(Selection, LinesSkippedByRangesStillCountAsChanges) {
  // Line 2 changes the last column and is not shown; line 3 repeats line 2.
  std::string input = std::string(kHeader) + EntryText("skips", {"residue", "seqpos", "note"}) +
                      "a 1 x\nc 2 y\ng 3 y\nt 4 y\n; **********\n";
  std::vector<Shown> page = ReadPage(Show({"-r1,3-4"}, input));
  ASSERT_EQ(page.size(), 1u);
  EXPECT_EQ(page[0].columns[2], (std::vector<std::string>{"x", "y", "y"}));
  EXPECT_EQ(page[0].columns[1], (std::vector<std::string>{"1", "3", "4"}));
}

TEST(Selection, GapPositionsReadAsZero) {
  std::string input = std::string(kHeader) + EntryText("gapped", {"residue", "seqpos", "alignpos"}) +
                      "a 1 1\n- . .\nc 2 3\n; **********\n";
  std::vector<Shown> page = ReadPage(Show({"-r0"}, input));
  ASSERT_EQ(page.size(), 1u);
  EXPECT_EQ(page[0].residues, "-");
}

// ---------------------------------------------------------------------------
// Escaping

struct EscapeCase {
  const char* name;
  std::string text;
  std::string markup;
  std::string script;
};

TEST(Escape, HostileTextNeverBecomesMarkup) {
  const EscapeCase cases[] = {
      {"script", "<script>alert(1)</script>", "&lt;script&gt;alert(1)&lt;/script&gt;",
       "\\x3cscript\\x3ealert(1)\\x3c/script\\x3e"},
      {"comment", "<!--", "&lt;!--", "\\x3c!--"},
      {"quotes", "\"'", "&quot;&#39;", "\\\"\\'"},
      {"ampersand", "a&amp;b", "a&amp;amp;b", "a&amp;b"},
      {"backslash", "a\\b", "a\\b", "a\\\\b"},
      {"nul", std::string("a\0b", 3), "a\xe2\x90\x80" "b", "a\\x00b"},
      {"controls", "\t\n\r\x1b\x7f", "\t\n\xe2\x90\x8d\xe2\x90\x9b\xe2\x90\xa1", "\\x09\\x0a\\x0d\\x1b\\x7f"},
      {"utf-8", "\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80", "\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80",
       "\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80"},
      {"no utf-8", "\xff\xc3(\xed\xa0\x80\xc0\xaf", "\xef\xbf\xbd\xef\xbf\xbd(\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd",
       "\\ufffd\\ufffd(\\ufffd\\ufffd\\ufffd\\ufffd\\ufffd"},
      {"cut short", "a\xe2\x82", "a\xef\xbf\xbd\xef\xbf\xbd", "a\\ufffd\\ufffd"},
  };
  for (const EscapeCase& c : cases) {
    EXPECT_EQ(Markup(c.text), c.markup) << c.name;
    EXPECT_EQ(Script(c.text), c.script) << c.name;
  }
}

// Counts the elements of each kind that open in a text.
std::map<std::string, int> Tags(std::string_view html) {
  std::map<std::string, int> tags;
  for (std::size_t i = 0; (i = html.find('<', i)) != std::string_view::npos; ++i) {
    std::size_t j = i + 1;
    while (j < html.size() && std::isalpha(static_cast<unsigned char>(html[j]))) ++j;
    if (j > i + 1) ++tags[std::string(html.substr(i + 1, j - i - 1))];
  }
  return tags;
}

TEST(Escape, HostileFileAddsNoElement) {
  const std::string hostile[] = {"<script>alert(1)</script>", "</script><img src=x onerror=alert(2)>",
                                 "\"><svg onload=alert(3)>", "&lt;b&gt;", std::string("nul\0<b>", 7),
                                 "<!--<script>", "'];alert(4);//"};
  std::string plain = std::string(kHeader) + EntryText("plain", {"residue", "seqpos"}) + "a 1\n; **********\n";
  std::string input = "; <script>alert(0)</script>\n; ==========\n";
  int entries = 0;
  for (const std::string& h : hostile) {
    // The text in a name, a label, a value of the entry text and a field
    // (which holds no blanks).
    std::string field = h;
    std::erase(field, ' ');
    input += EntryText(h, {"residue", field}, "; ACCESSION         " + h + "\n") + "a " + field + "\n; **********\n";
    ++entries;
  }
  std::map<std::string, int> expected = Tags(Show({}, plain));
  std::map<std::string, int> got = Tags(Show({}, input));
  // The same elements as a page of one plain entry, per entry.
  EXPECT_EQ(got["script"], expected["script"] + entries - 1);
  EXPECT_EQ(got["section"], entries);
  for (auto& [tag, n] : got) EXPECT_TRUE(expected.count(tag)) << "unexpected <" << tag << ">";
  EXPECT_EQ(got["b"], expected["b"]);
  // And the figure is well formed enough to hold no foreign element either.
  std::map<std::string, int> svg = Tags(Show({"--svg"}, input));
  EXPECT_EQ(svg["svg"], 1);
  for (auto& [tag, n] : svg) EXPECT_TRUE(tag == "svg" || tag == "rect" || tag == "text" || tag == "polyline") << tag;
}

// ---------------------------------------------------------------------------
// Failures

TEST(Failures, SvgLimitAndBrokenInput) {
  std::string big = std::string(kHeader) + EntryText("big", {"residue"});
  for (long long i = 0; i <= colshow::kSvgResidueLimit; ++i) big += "a\n";
  big += "; **********\n";
  int status;
  EXPECT_EQ(Show({"--svg"}, big, &status), "");
  EXPECT_EQ(status, 1);
  EXPECT_NE(Show({"--svg", "-r1-100000"}, big, &status), "");
  EXPECT_EQ(status, 0);
  // An entry cut short: the page still ends, with the entries before it.
  std::string cut = std::string(kHeader) + EntryText("whole", {"residue"}) + "a\n; **********\n" +
                    EntryText("cut", {"residue"}) + "c\n";
  std::string html = Show({}, cut, &status);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(ReadPage(html).size(), 1u);
  EXPECT_TRUE(html.ends_with("</html>\n"));
  EXPECT_EQ(Show({}, "; no separator\n", &status), "");
  EXPECT_EQ(status, 1);
}

TEST(Failures, OutOfMemory) { ExpectOutOfMemory(colshow::Main, "colshow"); }

}  // namespace
