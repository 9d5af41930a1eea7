#include "trasply.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// The rows that transpose_body writes for an entry of the given text and body.
std::string Rows(std::vector<std::string> text, std::vector<std::string> body) {
  Entry e = MakeEntry();
  e.text = std::move(text);
  e.text.push_back("; ----------\n");
  e.line = std::move(body);
  e.end = "; **********\n";
  FILE* file = std::tmpfile();
  std::vector<LineColumn> columns;
  {
    Output out(file);
    transpose_body(e, columns, out);
    out.Flush();
  }
  std::rewind(file);
  std::string rows;
  for (int c; (c = std::fgetc(file)) != EOF;) rows += static_cast<char>(c);
  std::fclose(file);
  return rows;
}

TEST(TransposeBody, NumbersResiduesAndRows) {
  EXPECT_EQ(Rows({"; COL 1 label\n", "; COL 2 residue\n", "; COL 3 seqpos\n", "; COL 4 alignpos\n"},
                 {"2 N N N N N\n", "6 A C - G T\n", "6\n", "6\n"}),
            " N     A     1     1\n"
            " N     C     2     2\n"
            " N     -     .     3\n"
            " N     G     3     4\n"
            " N     T     4     5\n");
}

TEST(TransposeBody, ResidueLabelsInOrderOfPreference) {
  // residue wins over nucleotide, aminoacid and code
  EXPECT_EQ(Rows({"; COL 1 code\n", "; COL 2 residue\n", "; COL 3 seqpos\n"}, {"2 - a\n", "2 a -\n", "2\n"}),
            " - a 1\n a - .\n");
  EXPECT_EQ(
      Rows({"; COL 1 code\n", "; COL 2 aminoacid\n", "; COL 3 seqpos\n"}, {"2 - a\n", "2 a -\n", "2\n"}),
      " - a 1\n a - .\n");
  EXPECT_EQ(Rows({"; COL 1 code\n", "; COL 2 x\n", "; COL 3 seqpos\n"}, {"2 - a\n", "2 a -\n", "2\n"}),
            " - a .\n a - 1\n");
}

TEST(TransposeBody, SameLineForSeqposAndAlignpos) {
  // With values the line is no longer the alignpos line but stays the seqpos
  // line, whose positions are generated.
  EXPECT_EQ(Rows({"; COL 1 residue\n", "; COL 2 seqpos\n", "; COL 2 alignpos\n"}, {"2 a c\n", "3 7 8\n"}),
            " a  1\n c  2\n");
}

TEST(TransposeBody, LinesOutsideTheBodyDoNotCount) {
  // A residue line beyond the body gives no rows; nothing is read past it.
  EXPECT_EQ(Rows({"; COL 5 residue\n"}, {"2 a c\n"}), "");
  EXPECT_EQ(Rows({"; COL 1 alignpos\n"}, {"3\n"}), "");
  EXPECT_EQ(Rows({"; COL 1 residue\n", "; COL 9 seqpos\n"}, {"2 a c\n"}), " a\n c\n");
}

TEST(TransposeBody, WidthsAndPadding) {
  // Widths carry a sign and stop at the first other character; text and
  // numbers beyond an int read 0. A negative width aligns to the left.
  EXPECT_EQ(Rows({"; COL 1 residue\n", "; COL 2 x\n"}, {"+3x a\n", "abc 7\n"}), "  a 7\n");
  EXPECT_EQ(Rows({"; COL 1 residue\n", "; COL 2 x\n"}, {"-3 a\n", "2147483648 7\n"}), " a    7\n");
  // Values far wider than the output buffer's small-field path.
  std::string wide(5000, 'w');
  EXPECT_EQ(Rows({"; COL 1 residue\n"}, {"6000 " + wide + "\n"}), " " + std::string(999, ' ') + wide + "\n");
  EXPECT_EQ(Rows({"; COL 1 residue\n"}, {"-6000 " + wide + "\n"}),
            " " + wide + std::string(1001, ' ') + "\n");
}

TEST(TransposeBody, LinesWithoutNewlineOrWithNul) {
  std::string nul("2 a\0b c\n", 8);
  EXPECT_EQ(Rows({"; COL 1 residue\n", "; COL 2 x\n"}, {nul, "3 1 2"}), std::string(" a\0b  1\n c  2\n", 14));
}

}  // namespace

// ---------------------------------------------------------------------------
// Running out of memory

#if defined(__SANITIZE_ADDRESS__)
#define TRASPLY_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TRASPLY_UNDER_ASAN 1
#endif
#endif

namespace {

// Runs the program over the file with 256 MB of address space.
[[noreturn]] void RunWithin256MB(char* path) {
  rlimit limit{rlim_t{256} << 20, rlim_t{256} << 20};
  setrlimit(RLIMIT_AS, &limit);
  char name[] = "trasply";
  char* argv[] = {name, path, nullptr};
  std::exit(trasply_main(2, argv));
}

TEST(TrasplyMain, OutOfMemoryIsReported) {
#ifdef TRASPLY_UNDER_ASAN
  GTEST_SKIP() << "an address-space limit does not work with the address sanitizer";
#endif
  // One line of 512 MB (a sparse file of NUL bytes) cannot be held in 256 MB.
  char path[] = "/tmp/trasply_memoryXXXXXX";
  int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(ftruncate(fd, off_t{512} << 20), 0);
  close(fd);
  EXPECT_EXIT(RunWithin256MB(path), ::testing::ExitedWithCode(1), "^trasply: Out of memory\n$");
  unlink(path);
}

}  // namespace
