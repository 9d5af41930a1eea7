// Transparent reading of gzip-compressed input, one member after another
// (plain gzip files and BGZF files alike).
#pragma once

#include <cstddef>
#include <memory>

namespace col {

// True when the bytes start with the gzip magic number.
bool IsGzip(const char* bytes, std::size_t n);

class GzipReader {
 public:
  // `fd` is the compressed source; `head` holds bytes already read from it.
  GzipReader(int fd, const char* head, std::size_t n);
  ~GzipReader();
  GzipReader(const GzipReader&) = delete;
  GzipReader& operator=(const GzipReader&) = delete;

  // Inflates up to `cap` bytes into `out`. Returns the count, 0 at the clean
  // end of the last member, or -1 when the stream is corrupt, truncated or
  // unreadable.
  long Read(char* out, std::size_t cap);

 private:
  bool Refill();
  bool NextMember();
  struct State;
  std::unique_ptr<State> s_;
};

}  // namespace col
