#include "output.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>

using namespace col;

namespace {

std::string Written(void (*fill)(Output&), std::size_t capacity) {
  char* data = nullptr;
  std::size_t size = 0;
  FILE* mem = open_memstream(&data, &size);
  {
    Output out(mem, capacity);
    fill(out);
    EXPECT_TRUE(out.Flush());
  }
  std::fclose(mem);
  std::string text(data, size);
  std::free(data);
  return text;
}

TEST(Output, IntegersMatchPrintf) {
  for (long long v : {0LL, 7LL, -7LL, 99999LL, 100000LL, 1234567LL, (long long)INT_MIN, LLONG_MIN}) {
    for (int width : {0, 1, 5, 8}) {
      char expected[64];
      std::snprintf(expected, sizeof expected, "%*lld", width, v);
      char got[64];
      *FormatInt(got, v, width) = '\0';
      EXPECT_STREQ(got, expected) << v << " width " << width;
    }
  }
}

TEST(Output, SmallBufferKeepsOrder) {
  std::string text = Written(
      [](Output& out) {
        out.Write("abc");
        out.Put('d');
        out.Write(std::string(100, 'e'));
        out.PutInt(-42, 5);
        out.Put('\n');
      },
      16);
  EXPECT_EQ(text, "abcd" + std::string(100, 'e') + "  -42\n");
}

TEST(Output, WriteFailureIsReported) {
  FILE* full = std::fopen("/dev/full", "w");
  if (!full) GTEST_SKIP() << "/dev/full absent";
  Output out(full, 64);
  out.Write(std::string(1000, 'x'));
  EXPECT_FALSE(out.Close());
}

}  // namespace
