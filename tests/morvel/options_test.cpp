#include "options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace morvel;

namespace {

std::vector<std::string> Keys(const Options& opt) {
  std::vector<std::string> keys;
  auto* c = MakeCounter(opt.keys, -1);
  while (std::string* k = Next(c)) keys.push_back(*k);
  delete c;
  return keys;
}

TEST(Options, IntegerArgumentsFillTheRestExactly) {
  struct Case {
    const char* piece;
    bool ok;
    int value;
  } cases[] = {
      {"i25", true, 25},       {"i-5", true, -5},      {"i+7", true, 7},     {"i 3", true, 3},
      {"i", false, 0},         {"i25x", false, 0},     {"i-", false, 0},     {"-info=9", true, 9},
      {"-info=", false, 0},    {"-info=2147483647", true, 2147483647},
      {"i2147483648", false, 0}, {"i-2147483648", true, -2147483647 - 1},
      {"i99999999999999999999", false, 0},
  };
  for (const auto& c : cases) {
    Options opt;
    EXPECT_EQ(ApplyOption(opt, c.piece), c.ok) << c.piece;
    if (c.ok) {
      EXPECT_TRUE(opt.info);
      EXPECT_FALSE(opt.normal);
      EXPECT_EQ(opt.infopos, c.value) << c.piece;
    }
  }
}

TEST(Options, LonginfoAndExtend) {
  struct Case {
    const char* piece;
    bool ok;
    int from, to;
  } cases[] = {
      {"-longinfo=5-9", true, 5, 9},   {"-longinfo=9-5", true, 9, 5},  {"-longinfo=5--3", true, 5, -3},
      {"-longinfo=5- 3", true, 5, 3},  {"-longinfo=5 -3", false, 0, 0}, {"-longinfo=5", false, 0, 0},
      {"-longinfo=5-9x", false, 0, 0}, {"-longinfo=-", false, 0, 0},
  };
  for (const auto& c : cases) {
    Options opt;
    EXPECT_EQ(ApplyOption(opt, c.piece), c.ok) << c.piece;
    if (c.ok) {
      EXPECT_EQ(std::make_pair(opt.longfrom, opt.longto), std::make_pair(c.from, c.to));
    }
  }
  Options opt;
  EXPECT_TRUE(ApplyOption(opt, "-extend=5"));
  EXPECT_TRUE(ApplyOption(opt, "-extend=-2"));
  EXPECT_EQ(opt.extend, -2) << "a later option overrides";
  EXPECT_FALSE(ApplyOption(opt, "-extend=a"));
}

TEST(Options, FlagsMutationAndKeys) {
  Options opt;
  for (const char* p : {"g", "-gene", "-bothstrand", "-posname", "-mutation=t"}) EXPECT_TRUE(ApplyOption(opt, p)) << p;
  EXPECT_TRUE(opt.gene && opt.bothstrand && opt.posname);
  EXPECT_EQ(opt.mutation, 't');
  EXPECT_TRUE(opt.normal);
  for (const char* p : {"e", "ge", "-mutation=tt", "-mutation=", "-Gene", "G"}) EXPECT_FALSE(ApplyOption(opt, p)) << p;

  EXPECT_TRUE(ApplyOption(opt, "-annotate=CDS,,exon"));
  EXPECT_TRUE(ApplyOption(opt, "-annotate=gene"));
  EXPECT_TRUE(opt.annotate);
  EXPECT_EQ(Keys(opt), (std::vector<std::string>{"gene", "exon", "", "CDS"}));
  Options empty;
  EXPECT_TRUE(ApplyOption(empty, "-annotate="));
  EXPECT_EQ(Keys(empty), (std::vector<std::string>{""}));
}

}  // namespace
