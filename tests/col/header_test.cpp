#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "col_test_util.h"

using col_test::Printed;

namespace {

struct Read {
  int result;
  std::string printed, err;
};

Read ReadAndPrint(const std::string& text) {
  Input in;
  in.UseMemory(text);
  Header h = MakeHeader();
  testing::internal::CaptureStderr();
  int result = ReadHeader(in, h);
  std::string err = testing::internal::GetCapturedStderr();
  return {result, Printed([&](Output& out) { PrintHeader(out, h); }), err};
}

TEST(ReadHeader, EndsAtTheSeparatorLine) {
  struct Case {
    std::string input, header;
    int result;
  } cases[] = {
      {"; ==========\n", "; ==========\n", 0},
      {"; ==========xyz\nrest\n", "; ==========xyz\n", 0},
      {"\nfree text\n; ----------\n; ==========", "\nfree text\n; ----------\n; ==========", 0},
      {"; ==========\r\n", "; ==========\r\n", 0},
      {"", "", 1},
      {"; =========\n", "", 1},
      {"; header\n; **********\n", "", 1},
  };
  for (const auto& c : cases) {
    Read r = ReadAndPrint(c.input);
    EXPECT_EQ(r.result, c.result) << c.input;
    EXPECT_EQ(r.printed, c.header) << c.input;
    EXPECT_EQ(r.err, c.result ? "Error in header\n" : "") << c.input;
  }
}

// The header lines AddHeaderInfo gives for a separator-only header.
std::string History(std::vector<std::string> words) {
  std::vector<char*> argv;
  for (auto& w : words) argv.push_back(w.data());
  Header h = MakeHeader();
  h.text = {"; ==========\n"};
  AddHeaderInfo(h, static_cast<int>(argv.size()), argv.data());
  EXPECT_EQ(h.ntext(), 3);
  EXPECT_EQ(h.text[0], ";\n");
  EXPECT_EQ(h.text.back(), "; ==========\n");
  return h.text[1];
}

TEST(AddHeaderInfo, EchoesTheOptionPieces) {
  const std::string p30 = "-" + std::string(29, 'x');  // piece of 30 characters
  struct Case {
    std::vector<std::string> words;
    std::string line;
  } cases[] = {
      {{"tindra", "-r2-3", "-c", "in.col"}, "; 'tindra -r2-3 -c' was run on this file\n"},
      {{"./tindra"}, "; './tindra' was run on this file\n"},
      {{"tindra", "--color=1.0,0.5,0.5"}, "; 'tindra --color=1.0,0.5,0.5' was run on this file\n"},
      {{"tindra", "--fgcolor=0.333333,0.666666,0.999999"},
       "; 'tindra --fgcolor=0.333333,0.666666,...' was run on this file\n"},
      {{"t", "-" + p30}, "; 't --" + p30.substr(1) + "' was run on this file\n"},
      {{"t", "-" + p30 + "y"}, "; 't --" + p30.substr(1, 26) + "...' was run on this file\n"},
      {{"t%s%n", "--c%d", "-%%x", "--", "-y"}, "; 't%s%n --c%d -%% -x' was run on this file\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(History(c.words), c.line) << c.words.back();
}

TEST(AddHeaderInfo, LeavesTheCallersScanAndOlderHistoryAlone) {
  std::string prog = "tindra", opt = "-ab";
  char* argv[] = {prog.data(), opt.data()};
  Args args = InitArgument(2, argv);
  EXPECT_EQ(GetArgument(args), "a");
  Header h = MakeHeader();
  h.text = {"; ==========\n"};
  AddHeaderInfo(h, 2, argv);
  AddHeaderText(h, "; second %d\n", 2);
  EXPECT_EQ(GetArgument(args), "b");
  EXPECT_EQ(Printed([&](Output& out) { PrintHeader(out, h); }),
            ";\n; 'tindra -a -b' was run on this file\n; second 2\n; ==========\n");
}

TEST(AddHeaderText, HasNoLengthLimit) {
  Header h = MakeHeader();
  h.text = {"; ==========\n"};
  std::string big(25000, 'z');
  AddHeaderText(h, "; %s\n", big.c_str());
  EXPECT_EQ(h.text[0], "; " + big + "\n");
}

}  // namespace
