#include "output.h"

#include <cerrno>

namespace col {

Output::Output(FILE* stream, std::size_t capacity) : stream_(stream), buf_(capacity) {
  pos_ = buf_.data();
  limit_ = buf_.data() + buf_.size();
}

Output::~Output() { Flush(); }

void Output::Drain() {
  std::size_t n = pos_ - buf_.data();
  if (n && !failed_ && stream_ && std::fwrite(buf_.data(), 1, n, stream_) != n) failed_ = true;
  pos_ = buf_.data();
}

void Output::WriteLarge(std::string_view text) {
  Drain();
  if (text.size() <= buf_.size()) {
    std::memcpy(pos_, text.data(), text.size());
    pos_ += text.size();
  } else if (!failed_ && stream_ && std::fwrite(text.data(), 1, text.size(), stream_) != text.size()) {
    failed_ = true;
  }
}

char* FormatInt(char* at, long long v, int width) {
  char digits[24];
  char* d = digits + sizeof digits;
  unsigned long long u = v < 0 ? 0ULL - static_cast<unsigned long long>(v) : v;
  do {
    *--d = static_cast<char>('0' + u % 10);
    u /= 10;
  } while (u);
  if (v < 0) *--d = '-';
  int len = static_cast<int>(digits + sizeof digits - d);
  for (int i = len; i < width; ++i) *at++ = ' ';
  std::memcpy(at, d, len);
  return at + len;
}

void Output::PutInt(long long v, int width) {
  if (width > 256) width = 256;
  char* at = Reserve(static_cast<std::size_t>(width) + 24);
  Commit(FormatInt(at, v, width));
}

bool Output::Flush() {
  Drain();
  if (!failed_ && stream_ && std::fflush(stream_) != 0) failed_ = true;
  return !failed_;
}

bool Output::Close() {
  Flush();
  if (stream_ && std::fclose(stream_) != 0) failed_ = true;
  stream_ = nullptr;
  return !failed_;
}

Output& StdOut() {
  static Output out(stdout);
  return out;
}

int FinishOutput(const char* tool, int status) {
  if (!StdOut().Close()) {
    std::fprintf(stderr, "%s: Error in writing output\n", tool);
    return 1;
  }
  return status;
}

}  // namespace col
