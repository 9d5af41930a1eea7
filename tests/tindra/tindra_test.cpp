#include "tindra.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <ostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "out_of_memory.h"

using namespace col;

namespace {

struct RangeCase {
  const char* ranges;
  int position;
  int expected;
};

void PrintTo(const RangeCase& c, std::ostream* os) { *os << '"' << c.ranges << "\" at " << c.position; }

class InRange : public ::testing::TestWithParam<RangeCase> {};

TEST_P(InRange, CoversPosition) {
  const RangeCase& c = GetParam();
  EXPECT_EQ(inrange(c.position, c.ranges), c.expected)
      << "ranges \"" << c.ranges << "\" position " << c.position;
}

INSTANTIATE_TEST_SUITE_P(
    Items, InRange,
    ::testing::Values(
        // ranges and single numbers, with blanks before the numbers and around the dash
        RangeCase{"2-3", 1, 0}, RangeCase{"2-3", 2, 1}, RangeCase{"2-3", 3, 1}, RangeCase{"2-3", 4, 0},
        RangeCase{" 4 - 5", 5, 1}, RangeCase{"7", 7, 1}, RangeCase{"  7", 7, 1}, RangeCase{"7", 8, 0},
        // separators: comma and newline; empty items and an empty text cover nothing
        RangeCase{"1,9", 9, 1}, RangeCase{"1\n9", 9, 1}, RangeCase{",,", 0, 0}, RangeCase{"", 0, 0},
        // signs
        RangeCase{"-5--3", -4, 1}, RangeCase{"-5--3", 3, 0}, RangeCase{"+2", 2, 1},
        // a reversed range covers nothing; text after the numbers is ignored
        RangeCase{"10-5", 7, 0}, RangeCase{"5x", 5, 1}, RangeCase{"5-", 5, 1}, RangeCase{"5-x", 5, 1},
        // items that are no number cover nothing, the others still apply
        RangeCase{"x,5", 5, 1}, RangeCase{"x", 0, 0}, RangeCase{"- 5", 5, 0},
        // a newline ends an item even between the numbers of a range
        RangeCase{"5\n-7", 6, 0}, RangeCase{"5\n-7", -7, 1},
        // numbers beyond an int cover nothing and never wrap around
        RangeCase{"4294967297", 1, 0}, RangeCase{"1-4294967297", 1, 0}, RangeCase{"-4294967297-1", 0, 0},
        RangeCase{"2147483647", 2147483647, 1}, RangeCase{"-2147483648--2147483648", -2147483647 - 1, 1},
        RangeCase{"99999999999999999999999,3", 3, 1}));

Entry Named(const char* text) {
  Entry e = MakeEntry();
  e.text = {"; TYPE              DNA\n", text, "; ----------\n"};
  e.end = "; **********\n";
  return e;
}

struct SeqCase {
  const char* selection;
  int entryno;
  const char* entry_line;
  int expected;
};

void PrintTo(const SeqCase& c, std::ostream* os) { *os << '"' << c.selection << "\" entry " << c.entryno; }

class InSeqRange : public ::testing::TestWithParam<SeqCase> {};

TEST_P(InSeqRange, CoversEntry) {
  const SeqCase& c = GetParam();
  Entry e = Named(c.entry_line);
  EXPECT_EQ(inseqrange(e, c.entryno, c.selection), c.expected)
      << "selection \"" << c.selection << "\" entry " << c.entryno << " " << c.entry_line;
}

INSTANTIATE_TEST_SUITE_P(
    Items, InSeqRange,
    ::testing::Values(SeqCase{"2-3", 2, "; ENTRY             x\n", 1},
                      SeqCase{"2-3", 4, "; ENTRY             x\n", 0},
                      SeqCase{"2-3,demo", 9, "; ENTRY             demo\n", 1},
                      // names are exact: letter case, blanks and the whole value count
                      SeqCase{"Demo", 1, "; ENTRY             demo\n", 0},
                      SeqCase{" demo", 1, "; ENTRY             demo\n", 0},
                      SeqCase{"my seq", 1, "; ENTRY             my seq\n", 1},
                      SeqCase{"dem", 1, "; ENTRY             demo\n", 0},
                      // the CR of a CR LF line end is no part of the name
                      SeqCase{"demo", 1, "; ENTRY             demo\r\n", 1},
                      SeqCase{"demo ", 1, "; ENTRY             demo \r\n", 1},
                      // a name beginning with digits is read as a number
                      SeqCase{"1ABC", 1, "; ENTRY             1ABC\n", 1},
                      SeqCase{"1ABC", 2, "; ENTRY             1ABC\n", 0},
                      // an entry without an ENTRY line is named by nothing, the empty name included
                      SeqCase{"x,,y", 1, "; COL 1             residue\n", 0}, SeqCase{",", 1, "; ENTRY\n", 1},
                      // an empty selection chooses nothing; big numbers never wrap around
                      SeqCase{"", 1, "; ENTRY             x\n", 0},
                      SeqCase{"4294967297", 1, "; ENTRY             x\n", 0},
                      SeqCase{"4294967297x", 1, "; ENTRY             4294967297x\n", 0}));

struct TindraRun {
  int status;
  std::string out;
};

// Runs the program's colouring over `input` with the given options.
TindraRun Tindra(std::vector<std::string> args, const std::string& input) {
  args.insert(args.begin(), "tindra");
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  char* buffer = nullptr;
  std::size_t size = 0;
  FILE* stream = open_memstream(&buffer, &size);
  int status;
  {
    Output out(stream);
    Input in;
    in.UseMemory(input);
    status = tindra::Run(static_cast<int>(args.size()), argv.data(), in, out);
  }
  std::fclose(stream);
  TindraRun run{status, std::string(buffer, size)};
  std::free(buffer);
  return run;
}

// A BED file in the test's temporary folder; its option "--bed=<path>".
std::string BedOption(const std::string& text) {
  static int count = 0;
  // CTest runs the cases of this file at the same time: names per process.
  std::string path = ::testing::TempDir() + "tindra_test_" + std::to_string(getpid()) + "_" +
                     std::to_string(count++) + ".bed";
  std::ofstream(path, std::ios::binary) << text;
  return "--bed=" + path;
}

// The output without the history line, which names the options.
std::string WithoutHistory(const std::string& out) {
  std::istringstream lines(out);
  std::string line, kept;
  while (std::getline(lines, line)) {
    if (line.find("was run on this file") == std::string::npos) kept += line + "\n";
  }
  return kept;
}

std::string Entry5(const char* name, bool minus) {
  std::string text = "; COL 1             label\n; COL 2             residue\n; COL 3             seqpos\n";
  text += std::string("; ENTRY             ") + name + "\n";
  if (minus) text += "; STRAND            Minus\n";
  text += "; ----------\n";
  for (int p = 1; p <= 5; ++p) text += "N     a     " + std::to_string(p) + "\n";
  return text + "; **********\n";
}

// Entries: chr1 (plus), chr1 (minus), chr2.
const std::string kThreeEntries = "; h\n; ==========\n" + Entry5("chr1", false) + Entry5("chr1", true) + Entry5("chr2", false);

// One letter per body line for its last three fields: x no colour fields,
// . white, k black, o red, G green, b blue, g 0,128,0.
std::vector<std::string> Paints(const std::string& out) {
  static const std::map<std::string, char> kLetters = {
      {"1.000 1.000 1.000", '.'}, {"0.000 0.000 0.000", 'k'}, {"1.000 0.000 0.000", 'o'},
      {"0.000 1.000 0.000", 'G'}, {"0.000 0.000 1.000", 'b'}, {"0.000 0.502 0.000", 'g'}};
  std::vector<std::string> entries;
  std::istringstream lines(out);
  std::string line;
  bool body = false;
  while (std::getline(lines, line)) {
    if (line.starts_with("; ----------")) {
      entries.emplace_back();
      body = true;
    } else if (line.starts_with("; **********")) {
      body = false;
    } else if (body) {
      std::istringstream fields(line);
      std::vector<std::string> f;
      for (std::string w; fields >> w;) f.push_back(w);
      if (f.size() < 6) {
        entries.back() += 'x';
        continue;
      }
      auto it = kLetters.find(f[f.size() - 3] + " " + f[f.size() - 2] + " " + f[f.size() - 1]);
      entries.back() += it == kLetters.end() ? '?' : it->second;
    }
  }
  return entries;
}

struct BedCase {
  const char* what;
  std::vector<std::string> options;
  const char* bed;
  std::vector<std::string> paints;  // of chr1 plus, chr1 minus, chr2
};

TEST(TindraBed, StrandItemRgbOverlapsAndOtherOptions) {
  const BedCase cases[] = {
      {"chrom names the entries", {}, "chr1 0 2\n", {"oo...", "oo...", "....."}},
      {"a strand does not restrict", {}, "chr1 0 2 n 0 +\n", {"oo...", "oo...", "....."}},
      {"plus strand only", {"--bed-strand"}, "chr1 0 2 n 0 +\n", {"oo...", ".....", "....."}},
      {"minus strand only", {"--bed-strand"}, "chr1\t0\t2\tn\t0\t-\n", {".....", "oo...", "....."}},
      {"the later region wins", {}, "chr1 0 3 n 0 . 0 3 0,0,255\nchr1 2 5 n 0 . 2 5 0,128,0\n",
       {"bbggg", "bbggg", "....."}},
      {"the later region wins, reversed", {}, "chr1 2 5 n 0 . 2 5 0,128,0\nchr1 0 3 n 0 . 0 3 0,0,255\n",
       {"bbbgg", "bbbgg", "....."}},
      {"itemRgb 0 takes the options' colour", {"-C0,1,0"}, "chr1 1 2 n 0 . 1 2 0\nchr2 4 5 n 0 . 4 5 0,0,255\n",
       {".G...", ".G...", "....b"}},
      {"-r positions take the options' colour", {"-r5", "--bed-strand"}, "chr1 0 5 n 0 + 0 5 0,0,255\n",
       {"bbbbo", "....o", "....o"}},
      {"-s must select the entry too", {"-s2-3"}, "chr1 0 5\nchr2 0 1\n", {"xxxxx", "ooooo", "o...."}},
      {"--seq= names", {"--seq=chr2"}, "chr1 0 5\nchr2 0 1\n", {"xxxxx", "xxxxx", "o...."}},
      {"foreground only: itemRgb is a background colour", {"-f"}, "chr1 0 1 n 0 . 0 1 0,0,255\n",
       {"okkkk", "okkkk", "kkkkk"}},
      {"an empty region covers nothing", {}, "chr1 2 2\n", {".....", ".....", "....."}},
      {"comments and track lines", {}, "track x\n# c\nbrowser y\nchr2 0 5\n", {".....", ".....", "ooooo"}},
  };
  for (const BedCase& c : cases) {
    std::vector<std::string> options = c.options;
    options.push_back(BedOption(c.bed));
    TindraRun run = Tindra(options, kThreeEntries);
    EXPECT_EQ(run.status, 0) << c.what;
    EXPECT_EQ(Paints(run.out), c.paints) << c.what;
  }
}

TEST(TindraBed, BadLineWritesNothing) {
  struct Case {
    const char* bed;
    const char* line;
    const char* reason;
  } cases[] = {
      {"chr1 0 2\nchr1 3\n", "line 2", "fewer than 3 fields (chrom, start, end)"},
      {"track\nchr1 5 4\n", "line 2", "the start 5 is greater than the end 4"},
      {"chr1 0 2147483648\n", "line 1", "the end '2147483648' is not a number from 0 to 2147483647"},
  };
  for (const Case& c : cases) {
    std::string option = BedOption(c.bed);
    std::string path = option.substr(option.find('=') + 1);
    ::testing::internal::CaptureStderr();
    TindraRun run = Tindra({option}, kThreeEntries);
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(run.status, 1) << c.bed;
    EXPECT_EQ(run.out, "") << c.bed;
    EXPECT_EQ(err, std::string("tindra: Error in BED file, ") + c.line + "\ntindra: " + path + ", " + c.line + ": " +
                       c.reason + "\n")
        << c.bed;
  }
}

// A BED file of N regions colours what the -r list of the same positions
// colours, in entries named by its chrom, with the same colour.
TEST(TindraBed, SameAsTheEquivalentRangeList) {
  std::string input = "; h\n; ==========\n";
  for (const char* strand : {"", "; STRAND            Plus\n"}) {
    input += std::string("; COL 3             seqpos\n; ENTRY             chrX\n") + strand + "; ----------\n";
    for (int p = 1; p <= 300; ++p) input += "N     a " + std::to_string(p % 7 == 0 ? 1 : p) + "\n";
    input += "; **********\n";
  }
  std::mt19937 rng(21);
  std::uniform_int_distribution<int> count(0, 30), start(0, 320), length(0, 12), part(0, 255);
  for (int round = 0; round < 200; ++round) {
    int r = part(rng), g = part(rng), b = part(rng);
    bool rgb = round % 2 == 1;
    std::string bed, list;
    for (int n = count(rng); n > 0; --n) {
      int s = start(rng), e = s + length(rng);
      bed += "chrX\t" + std::to_string(s) + "\t" + std::to_string(e) + "\tn\t0\t" + (n % 2 ? "+" : ".");
      if (rgb) bed += "\t0\t0\t" + std::to_string(r) + "," + std::to_string(g) + "," + std::to_string(b);
      bed += "\n";
      if (s < e) list += (list.empty() ? "" : ",") + std::to_string(s + 1) + "-" + std::to_string(e);
    }
    char colour[100];
    std::snprintf(colour, sizeof colour, "--color=%.17g,%.17g,%.17g", r / 255.0, g / 255.0, b / 255.0);
    TindraRun from_bed = Tindra({rgb ? "-c" : colour, BedOption(bed)}, input);
    TindraRun from_list = Tindra({colour, "--range=" + list}, input);
    ASSERT_EQ(WithoutHistory(from_bed.out), WithoutHistory(from_list.out)) << bed;
  }
}

// New fields go before the CR of a CRLF body line; other lines keep their end.
TEST(TindraLineEnds, FieldsGoBeforeTheCr) {
  const std::string input =
      "; h\r\n; ==========\r\n; COL 3             seqpos\r\n; ----------\r\n"
      "N a 1\r\n"
      "N a 2\r\n"
      "N a 3\n"
      "N a 4 extra\r\n"  // the slow path
      "; **********\r\n";
  TindraRun run = Tindra({"-r2-4"}, input);
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("; ----------\r\n"
                         "N a 1 1.000 1.000 1.000\r\n"
                         "N a 2 1.000 0.000 0.000\r\n"
                         "N a 3 1.000 0.000 0.000\n"
                         "N a 4 1.000 0.000 0.000 1.000\r\n"  // "extra" is color_r

                         "; **********\r\n"),
            std::string::npos)
      << run.out;
}

}  // namespace

TEST(TindraMain, OutOfMemoryIsReported) { ExpectOutOfMemory(tindra::Main, "tindra"); }
