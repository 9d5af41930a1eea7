// The reading thread of compressed input stops cleanly however the reader
// ends: at the end, early with buffers full, or with the thread blocked on a
// pipe whose writer neither writes nor closes.
#include <gtest/gtest.h>
#include <unistd.h>
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "file.h"

using namespace col;

namespace {

std::string Gzip(const std::string& text) {
  uLongf size = compressBound(text.size()) + 64;
  std::string out(size, '\0');
  z_stream zs{};
  deflateInit2(&zs, 1, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  zs.avail_in = static_cast<uInt>(text.size());
  zs.next_out = reinterpret_cast<Bytef*>(out.data());
  zs.avail_out = static_cast<uInt>(out.size());
  deflate(&zs, Z_FINISH);
  out.resize(zs.total_out);
  deflateEnd(&zs);
  return out;
}

std::string BigGzipFile() {
  std::string text;
  for (int i = 0; i < 1000000; ++i) text += "N     a " + std::to_string(i) + "\n";
  std::string path = testing::TempDir() + "/big-" + std::to_string(getpid()) + ".gz";
  std::string bytes = Gzip(text);
  FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  return path;
}

TEST(ReadAhead, EndsEarlyWhileAhead) {
  std::string path = BigGzipFile();
  for (bool close_first : {false, true}) {
    Input in;
    ASSERT_TRUE(in.Open(path.c_str()));
    std::string line;
    ASSERT_TRUE(GetLine(in, line));
    EXPECT_EQ(line, "N     a 0\n");
    if (close_first) {
      EXPECT_TRUE(in.Close());
    }
  }  // the thread is stopped while it has room to fill or none
}

TEST(ReadAhead, EndsEarlyWhileBlockedOnAPipe) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  std::string bytes = Gzip("first\nsecond\n");
  ASSERT_EQ(write(fds[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  auto started = std::chrono::steady_clock::now();
  {
    Input in;
    ASSERT_TRUE(in.Open(("/proc/self/fd/" + std::to_string(fds[0])).c_str()));
    std::string line;
    ASSERT_TRUE(GetLine(in, line));
    EXPECT_EQ(line, "first\n");
  }  // the thread waits for the next member that never comes
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
  close(fds[0]);
  close(fds[1]);
}

TEST(ReadAhead, ManyInputsOneAfterAnother) {
  std::string path = BigGzipFile();
  for (int i = 0; i < 20; ++i) {
    Input in;
    ASSERT_TRUE(in.Open(path.c_str()));
    std::string line;
    for (int j = 0; j <= i * 1000; ++j) ASSERT_TRUE(GetLine(in, line));
    EXPECT_EQ(line, "N     a " + std::to_string(i * 1000) + "\n");
  }
}

}  // namespace
