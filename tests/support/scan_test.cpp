#include "scan.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct IntCase {
  const char* text;
  bool found;
  bool fits;
  int value;
  std::size_t used;
};

TEST(ScanInt, ReadsLikeScanfPercentD) {
  const IntCase cases[] = {
      {"42", true, true, 42, 2},
      {"  \t\n\v\f\r7x", true, true, 7, 8},  // every white space character before the number
      {"+5", true, true, 5, 2},
      {"-0", true, true, 0, 2},
      {"-12-3", true, true, -12, 3},
      {"007", true, true, 7, 3},
      {"2147483647", true, true, 2147483647, 10},
      {"-2147483648", true, true, -2147483647 - 1, 11},
      // beyond an int: found and used up, but not a value
      {"2147483648", true, false, 0, 10},
      {"-2147483649", true, false, 0, 11},
      {"99999999999999999999999999,", true, false, 0, 26},
      // no digit after the optional sign: nothing found, nothing used
      {"", false, false, 0, 0},
      {"   ", false, false, 0, 0},
      {"-", false, false, 0, 0},
      {"+ 5", false, false, 0, 0},
      {"--5", false, false, 0, 0},
      {".5", false, false, 0, 0},
      {"x12", false, false, 0, 0},
  };
  for (const IntCase& c : cases) {
    col::ScannedInt n = col::ScanInt(c.text);
    EXPECT_EQ(n.found, c.found) << '"' << c.text << '"';
    EXPECT_EQ(n.fits, c.fits) << '"' << c.text << '"';
    EXPECT_EQ(n.value, c.value) << '"' << c.text << '"';
    EXPECT_EQ(n.used, c.used) << '"' << c.text << '"';

    int value = -99;
    std::size_t used = 99;
    EXPECT_EQ(col::ReadInt(c.text, value, used), c.fits) << '"' << c.text << '"';
    EXPECT_EQ(value, c.fits ? c.value : -99);
    EXPECT_EQ(used, c.fits ? c.used : 99u);
  }
}

TEST(ScanInt, StopsAtTheEndOfTheView) {
  std::string text = "123456";
  col::ScannedInt n = col::ScanInt(std::string_view(text).substr(0, 3));
  EXPECT_EQ(n.value, 123);
  EXPECT_EQ(n.used, 3u);
}

}  // namespace
