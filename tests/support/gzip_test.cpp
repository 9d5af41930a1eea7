#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <string>

#include "file.h"

using namespace col;

namespace {

std::string Gzip(const std::string& text) {
  std::string out(compressBound(text.size()) + 64, '\0');
  z_stream zs{};
  deflateInit2(&zs, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  zs.avail_in = static_cast<uInt>(text.size());
  zs.next_out = reinterpret_cast<Bytef*>(out.data());
  zs.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(deflate(&zs, Z_FINISH), Z_STREAM_END);
  out.resize(zs.total_out);
  deflateEnd(&zs);
  return out;
}

struct Read {
  std::string text;
  bool failed;
};

Read ReadBack(const std::string& bytes) {
  std::string path = testing::TempDir() + "/input.bin";
  FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  Input in;
  EXPECT_TRUE(in.Open(path.c_str()));
  std::string all, line;
  while (GetLine(in, line)) all += line;
  return {all, in.Failed()};
}

TEST(Gzip, InflatesTransparently) {
  std::string big;
  for (int i = 0; i < 300000; ++i) big += "N     a " + std::to_string(i) + "\n";
  std::string a = "LOCUS a\n//\n", b = "LOCUS b\n//";
  std::string whole = Gzip(a + b);
  struct Case {
    const char* name;
    std::string bytes, text;
    bool failed;
  } cases[] = {
      {"plain", a + b, a + b, false},
      {"one member", whole, a + b, false},
      {"large member", Gzip(big), big, false},
      {"two members", Gzip(a) + Gzip(b), a + b, false},
      {"empty last member", Gzip(a) + Gzip(""), a, false},
      {"truncated", whole.substr(0, whole.size() - 5), "", true},
      {"garbage after a member", Gzip(a) + "xyz", a, true},
      {"plain text starting with the first magic byte", "\x1f" "abc\n", "\x1f" "abc\n", false},
  };
  for (const auto& c : cases) {
    Read r = ReadBack(c.bytes);
    if (!c.failed || !c.text.empty()) {
      EXPECT_EQ(r.text, c.text) << c.name;
    }
    EXPECT_EQ(r.failed, c.failed) << c.name;
  }
}

TEST(Gzip, CorruptStreamFails) {
  std::string bytes = Gzip(std::string(100000, 'x') + "\n");
  for (std::size_t i = 20; i < bytes.size() - 8; i += 7) bytes[i] = static_cast<char>(bytes[i] ^ 0x55);
  EXPECT_TRUE(ReadBack(bytes).failed);
}

}  // namespace
