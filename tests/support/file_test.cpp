#include "file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace col;

namespace {

std::vector<std::string> Pieces(std::vector<std::string> words) {
  words.insert(words.begin(), "prog");
  std::vector<char*> argv;
  for (auto& w : words) argv.push_back(w.data());
  Args args = InitArgument(static_cast<int>(argv.size()), argv.data());
  std::vector<std::string> out;
  while (auto piece = GetArgument(args)) out.emplace_back(*piece);
  EXPECT_FALSE(GetArgument(args)) << "null stays null";
  out.push_back("|");
  while (const char* name = GetFilename(args)) out.emplace_back(name);
  return out;
}

TEST(Arguments, CutsWordsIntoPieces) {
  struct Case {
    std::vector<std::string> words, expected;
  } cases[] = {
      {{"-i25g", "--gene", "file.gb"}, {"i25", "g", "-gene", "|", "file.gb"}},
      {{"-gx", "--", "-odd", "x"}, {"g", "x", "|", "-odd", "x"}},
      {{"in", "-g"}, {"|", "in", "-g"}},
      {{"-extend=5"}, {"e", "x", "t", "e", "n", "d=5", "|"}},
      {{"--extend=5", "-25", "-a1b2", "-i-5"}, {"-extend=5", "25", "a1", "b2", "i-5", "|"}},
      {{"--"}, {"|"}},
      {{"---x"}, {"--x", "|"}},
      {{}, {"|"}},
      {{"--", "--", "a"}, {"|", "--", "a"}},
      {{"-=a"}, {"=", "a", "|"}},
      {{"-", "x"}, {"|", "x"}},
  };
  for (const auto& c : cases) EXPECT_EQ(Pieces(c.words), c.expected) << c.words.size();
}

TEST(Arguments, FilenamesIndependentOfOptions) {
  std::string w0 = "p", w1 = "-g", w2 = "f";
  char* argv[] = {w0.data(), w1.data(), w2.data()};
  Args args = InitArgument(3, argv);
  EXPECT_STREQ(GetFilename(args), "f");
  EXPECT_EQ(GetArgument(args).value(), "g");
}

std::vector<std::string> Lines(const std::string& text) {
  Input in;
  in.UseMemory(text);
  std::vector<std::string> lines;
  std::string line;
  while (GetLine(in, line)) lines.push_back(line);
  return lines;
}

TEST(GetLine, KeepsEveryByte) {
  std::string big(3 * 1024 * 1024 + 7, 'x');
  std::string nul("a\0b\n", 4);
  struct Case {
    std::string text;
    std::vector<std::string> lines;
  } cases[] = {
      {"", {}},
      {"a\nb", {"a\n", "b"}},
      {"\n\n", {"\n", "\n"}},
      {"a\r\n", {"a\r\n"}},
      {nul + "z\n", {nul, "z\n"}},
      {big + "\nq\n", {big + "\n", "q\n"}},
  };
  for (const auto& c : cases) EXPECT_EQ(Lines(c.text), c.lines);
}

TEST(GetLine, ReadsFileAcrossBufferRefills) {
  std::string path = testing::TempDir() + "/lines.txt";
  std::string text;
  for (int i = 0; i < 200000; ++i) text += "line " + std::to_string(i) + "\n";
  text += std::string(5 << 20, 'y');  // a last line longer than the buffer, no newline
  FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
  Input in;
  ASSERT_TRUE(in.Open(path.c_str()));
  std::string all, line;
  std::size_t count = 0;
  while (GetLine(in, line)) {
    all += line;
    ++count;
  }
  EXPECT_EQ(count, 200001u);
  EXPECT_EQ(in.LinesRead(), 200001);  // the last line, without its newline, counts
  EXPECT_EQ(all, text);
  EXPECT_FALSE(in.Failed());
  EXPECT_TRUE(in.Close());
}

TEST(GetLine, DirectoryReadFailsAsEndOfInput) {
  Input in;
  ASSERT_TRUE(in.Open("/"));
  std::string line;
  EXPECT_FALSE(GetLine(in, line));
  EXPECT_TRUE(in.Failed());
}

TEST(GetFile, WholeStreamOrNothing) {
  Input in;
  in.UseMemory("a\nb");
  EXPECT_EQ(GetFile(in).value(), "a\nb");
  EXPECT_FALSE(GetFile(in));
}

TEST(GetConnect, JoinsBackslashLinesAndReturnsPushedBackFirst) {
  struct Case {
    std::string text;
    std::vector<std::string> lines;
  } cases[] = {
      {"abc \\\ndef\n", {"abc def\n"}},
      {"a\\\nb\\\nc\n", {"abc\n"}},
      {"  \n\t\nx\n", {"x\n"}},
      {"a\\  \nb\n", {"ab\n"}},
      {"a\\\n", {"a\\\n"}},
      {"", {}},
  };
  for (const auto& c : cases) {
    InitConnect();
    Input in;
    in.UseMemory(c.text);
    std::vector<std::string> got;
    while (auto line = GetConnect(in)) got.push_back(*line);
    EXPECT_EQ(got, c.lines) << c.text;
  }
  InitConnect();
  PutConnect("x");
  PutConnect("y");
  Input in;
  in.UseMemory("z\n");
  EXPECT_EQ(GetConnect(in).value(), "y");
  EXPECT_EQ(GetConnect(in).value(), "x");
  EXPECT_EQ(GetConnect(in).value(), "z\n");
  EXPECT_FALSE(GetConnect(in));
}

TEST(StrCmp, CaseBlind) {
  EXPECT_EQ(StrCmp("Header", "HEADER"), 0);
  EXPECT_LT(StrCmp("abc", "abd"), 0);
  EXPECT_EQ(StrCmp("ab", "a"), 'b');
  EXPECT_EQ(StrnCmp("; ==========x", "; ==========", 12), 0);
  EXPECT_NE(StrnCmp("; ==========x", "; ==========", 13), 0);
  EXPECT_EQ(StrnCmp("abc", "abd", 2), 0);
  EXPECT_EQ(StrnCmp("a", "b", 0), 0);
  EXPECT_EQ(StrnCmp("ab", "AB", 10), 0);
  EXPECT_LT(StrCmp("\xe9", "a"), 0) << "bytes above 127 compare as negative";
}

}  // namespace
