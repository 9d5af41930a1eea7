#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "col_test_util.h"

using col_test::EntryOf;
using col_test::Printed;
using namespace std::string_literals;

namespace {

std::string PrintedEntry(const Entry& e) {
  return Printed([&](Output& out) { PrintEntry(out, e); });
}

TEST(ReadEntry, ResultsMessagesAndStates) {
  struct Case {
    std::string input;
    std::vector<int> results;  // of successive reads
    std::string err;
  } cases[] = {
      {"", {-1, -1}, ""},
      {"; TYPE DNA\n", {1}, "Error in entry text\n"},
      {"; ----------\nA 1\n", {1}, "Error in entry\n"},
      {"; ----------\n; **********\n\n", {0, 1}, "Error in entry text\n"},
      {"; ----------\n; **********\n; ----------\n; **********", {0, 0, -1}, ""},
  };
  for (const auto& c : cases) {
    Input in;
    in.UseMemory(c.input);
    Entry e = MakeEntry();
    testing::internal::CaptureStderr();
    for (int expected : c.results) {
      EXPECT_EQ(ReadEntry(in, e), expected) << c.input;
      if (expected != 0) {
        EXPECT_EQ(PrintedEntry(e), "") << "left empty: " << c.input;
      }
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.err) << c.input;
  }
}

TEST(ReadEntry, MarkersCountOnlyInTheirOwnSection) {
  Entry e = EntryOf("; **********\n; ==========\n; ----------\n; ----------\n\n; **********xyz\n");
  EXPECT_EQ(e.ntext(), 3);
  EXPECT_EQ(e.line, (std::vector<std::string>{"; ----------\n", "\n"}));
  EXPECT_EQ(e.end, "; **********xyz\n");
  Entry empty = EntryOf("; ----------\n; **********\n");
  EXPECT_EQ(EntryLength(empty), 0);
  EXPECT_EQ(PrintedEntry(empty), "; ----------\n; **********\n");
}

TEST(ReadEntry, ReusesTheStringsOfEarlierReads) {
  // Lines longer than any in-object buffer, so that each owns heap storage.
  std::string file =
      "; ---------- of the first entry\n"s + std::string(3, '\0') + "a long first body line\n"
      "another long line of body text\n; ********** first end\n"
      "; ---------- of the second one\nshort line, still long\nx, as long as the others\n"
      "; ********** second end\n";
  Input in;
  in.UseMemory(file);
  Entry e = MakeEntry();
  ASSERT_EQ(ReadEntry(in, e), 0);
  std::set<const char*> storage;
  for (auto& line : e.text) storage.insert(line.data());
  for (auto& line : e.line) storage.insert(line.data());
  ASSERT_EQ(ReadEntry(in, e), 0);
  EXPECT_EQ(e.line, (std::vector<std::string>{"short line, still long\n", "x, as long as the others\n"}));
  EXPECT_EQ(e.end, "; ********** second end\n");
  for (auto& line : e.line) EXPECT_TRUE(storage.count(line.data())) << "reallocated: " << line;
}

// The sanitizers make every string operation far slower.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kUnderSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kUnderSanitizer = true;
#else
constexpr bool kUnderSanitizer = false;
#endif
#else
constexpr bool kUnderSanitizer = false;
#endif

// All strings an entry holds, spare ones included, and their storage.
std::size_t HeldStrings(const Entry& e) { return e.text.size() + e.line.size() + e.spare.size() + 1; }
std::size_t HeldBytes(const Entry& e) {
  std::size_t bytes = e.end.capacity();
  for (const auto* lines : {&e.text, &e.line, &e.spare})
    for (const std::string& s : *lines) bytes += s.capacity();
  return bytes;
}

TEST(ReadEntry, SpareStringsStayBoundedOverManyColouredEntries) {
  // Each entry gains lines (the COL lines of EnsureCol, a history line) that
  // become spare strings when it is read again; they must not pile up, read
  // whole (ReadEntry) or in two phases, body line by body line.
  constexpr int kEntries = kUnderSanitizer ? 20000 : 100000;
  std::string file;
  for (int i = 0; i < kEntries; ++i) file += col_test::kSeq1;
  for (bool two_phase : {false, true}) {
    Input in;
    in.UseMemory(file);
    Entry e = MakeEntry();
    int entries = 0;
    std::size_t most = 0;
    while (two_phase ? ReadEntryText(in, e) == 0 && ReadEntryLines(in, e, 1) == 0 : ReadEntry(in, e) == 0) {
      EnsureCol(e, "color_r", "1.000");
      AddEntryExt(e, "; COL 5             color_g\n");
      AddEntryExt(e, "; COL 6             color_b\n");
      AddEntryText(e, "; coloured %d\n", entries);
      most = std::max(most, HeldStrings(e));
      if (two_phase) while (ReadEntryLines(in, e, 1) == 0) {}
      ++entries;
    }
    EXPECT_EQ(entries, kEntries) << two_phase;
    // One entry: 8 + 4 text lines, 3 body lines (1 in two phases), the end.
    EXPECT_LE(most, 16u) << two_phase;
    EXPECT_LE(HeldStrings(e), 16u) << two_phase;
  }
}

TEST(ReadEntry, KeptStorageFollowsTheEntriesNotTheRun) {
  // Entries of many lines, each with one long line at a different place,
  // then one entry of short lines: what stays held is in proportion to one
  // entry, however the long lines were spread over the strings.
  constexpr int kLines = 60;
  const std::string long_line(100000, 'x');
  std::string file;
  for (int k = 0; k < kLines; ++k) {
    file += "; ----------\n";
    for (int n = 0; n < kLines; ++n) file += (n == k ? long_line : "N a 1") + "\n";
    file += "; **********\n";
  }
  file += "; ----------\nN a 1\n; **********\n";
  Input in;
  in.UseMemory(file);
  Entry e = MakeEntry();
  std::size_t most = 0;
  while (ReadEntry(in, e) == 0) most = std::max(most, HeldBytes(e));
  EXPECT_LE(most, 4 * long_line.size());
  EXPECT_LE(HeldBytes(e), 3 * long_line.size());
}

TEST(NewEntry, BuildsAFullEntryThatTakesLines) {
  Entry e = NewEntry("DNA", "x", 2);
  EXPECT_EQ(PrintedEntry(e),
            "; TYPE              DNA\n; ENTRY             x\n; ----------\n\n\n; **********\n");
  AddEntryText(e, "; NOTE %d\n", 1);
  AddEntryExt(e, "; COL %-3d           %s\n", 1, "label");
  EXPECT_EQ(e.text, (std::vector<std::string>{"; TYPE              DNA\n", "; COL 1             label\n",
                                              "; ENTRY             x\n", "; NOTE 1\n", "; ----------\n"}));
  Entry copy = MakeEntry();
  CopyEntry(copy, e);
  AddField(copy, 1, "%s", "A");
  EXPECT_EQ(e.line[0], "\n");
  EXPECT_EQ(copy.line[0], " A\n");
  EXPECT_EQ(CopyEntryLine(copy, 1), " A\n");
}

TEST(AddEntryExt, InsertsAfterTheLeadingDeclarations) {
  struct Case {
    std::vector<std::string> text;
    int at;
  } cases[] = {
      {{"; ENTRY x\n", "; TYPE DNA\n", "; ----------\n"}, 0},
      {{";TYPEX\n", ";  COLOR\n", "; ----------\n"}, 2},
      {{"; TYPE DNA\n", "", "; COL 3 seqpos\n", "; ----------\n"}, 1},
      {{"; type dna\n", "; ----------\n"}, 0},
  };
  for (const auto& c : cases) {
    Entry e = MakeEntry();
    e.text = c.text;
    AddEntryExt(e, "new\n");
    EXPECT_EQ(e.text[c.at], "new\n") << c.text[0];
  }
}

TEST(ReadEntryLines, HandsOutTheBodyInChunks) {
  const std::string entry = "; TYPE DNA\n; ----------\na\nb\nc\n; **********\n";
  struct Case {
    int chunk;
    std::vector<int> results;
    std::vector<int> lengths;
  } cases[] = {{3, {0, -1}, {3, 0}}, {4, {-1}, {3}}, {2, {0, -1}, {2, 1}}, {0, {0}, {0}}};
  for (const auto& c : cases) {
    const std::string two = entry + entry;
    Input in;
    in.UseMemory(two);
    Entry e = MakeEntry();
    ASSERT_EQ(ReadEntryText(in, e), 0);
    for (std::size_t i = 0; i < c.results.size(); ++i) {
      EXPECT_EQ(ReadEntryLines(in, e, c.chunk), c.results[i]) << c.chunk;
      EXPECT_EQ(EntryLength(e), c.lengths[i]) << c.chunk;
    }
    if (c.chunk == 0) continue;
    EXPECT_EQ(e.end, "; **********\n");
    ASSERT_EQ(ReadEntryText(in, e), 0) << "the next entry follows";
    EXPECT_EQ(e.end, "");
  }
  Input in;
  in.UseMemory("; ----------\na\n");
  Entry e = MakeEntry();
  ASSERT_EQ(ReadEntryText(in, e), 0);
  testing::internal::CaptureStderr();
  EXPECT_EQ(ReadEntryLines(in, e, 5), 1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error in entry\n");
  EXPECT_EQ(EntryLength(e), 0);
}

TEST(ReadColfile, HoldsAllEntriesOrNothing) {
  Input good;
  good.UseMemory("; ==========\n; ----------\na\n; **********\n; ----------\n; **********\n");
  auto file = ReadColfile(good);
  ASSERT_TRUE(file);
  EXPECT_EQ(file->header.ntext(), 1);
  ASSERT_EQ(file->entries.size(), 2u);
  EXPECT_EQ(file->entries[0].line[0], "a\n");

  Input bad;
  bad.UseMemory("; ==========\n; ----------\na\n; **********\n; ----------\nb\n");
  testing::internal::CaptureStderr();
  EXPECT_FALSE(ReadColfile(bad));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error in entry\n");
}

TEST(PrintEntryText_tex, WritesParagraphsUpToAStopLine) {
  Entry e = MakeEntry();
  e.text = {";\n", "; TYPE  DNA\n", "free\n", "; %%\n", "; %% stop\n", "; after\n"};
  auto tex = [&] { return Printed([&](Output& out) { PrintEntryText_tex(out, e); }); };
  EXPECT_EQ(tex(), "\\noindent \n\\noindent TYPE  DNA\n\n\\noindent free\n\n\\noindent %%\n\n");
  e.text = {"; a\n", ";%%x\n", "; b\n"};
  EXPECT_EQ(tex(), "\\noindent a\n\n");
}

// Reading and printing a file that reads without error gives back its bytes.
TEST(RoundTrip, GivesBackTheBytes) {
  const std::string huge(3 << 20, 'G');
  const std::string files[] = {
      "; ==========",
      "\n; ==========\n\n; ----------\n\n\n; **********\n",
      "h\r\n; ==========\r\n; TYPE DNA\r\n; ----------\r\nN a 1\r\n; **********\r\n",
      "; ==========\n; ----------\nN  " + huge + "  1\n; **********",
      "; ==========\n; ----------\n; ----------\nx\0y\n; **********\n; x\n; ----------\n; **********\n"s,
  };
  for (const auto& file : files) {
    Input in;
    in.UseMemory(file);
    Header h = MakeHeader();
    ASSERT_EQ(ReadHeader(in, h), 0);
    Entry e = MakeEntry();
    std::string printed = Printed([&](Output& out) {
      PrintHeader(out, h);
      while (ReadEntry(in, e) == 0) PrintEntry(out, e);
    });
    EXPECT_TRUE(printed == file) << file.substr(0, 40);
  }
}

}  // namespace
