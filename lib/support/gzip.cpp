#include "gzip.h"

#include <unistd.h>
#include <zlib.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace col {

bool IsGzip(const char* bytes, std::size_t n) {
  return n >= 2 && static_cast<unsigned char>(bytes[0]) == 0x1f && static_cast<unsigned char>(bytes[1]) == 0x8b;
}

struct GzipReader::State {
  int fd;
  z_stream zs{};
  std::vector<unsigned char> raw = std::vector<unsigned char>(1 << 18);
  bool raw_eof = false;
  bool member_done = false;  // the last member ended; more may follow
  bool failed = false;
};

GzipReader::GzipReader(int fd, const char* head, std::size_t n) : s_(std::make_unique<State>()) {
  s_->fd = fd;
  if (n > s_->raw.size()) s_->raw.resize(n);
  std::memcpy(s_->raw.data(), head, n);
  s_->zs.next_in = s_->raw.data();
  s_->zs.avail_in = static_cast<uInt>(n);
  if (inflateInit2(&s_->zs, 15 + 16) != Z_OK) s_->failed = true;
}

GzipReader::~GzipReader() { inflateEnd(&s_->zs); }

// Reads more compressed bytes behind those not yet used; false at the end of
// the source or on error.
bool GzipReader::Refill() {
  z_stream& zs = s_->zs;
  if (s_->raw_eof) return false;
  std::memmove(s_->raw.data(), zs.next_in, zs.avail_in);
  zs.next_in = s_->raw.data();
  for (;;) {
    ssize_t n = ::read(s_->fd, s_->raw.data() + zs.avail_in, s_->raw.size() - zs.avail_in);
    if (n > 0) {
      zs.avail_in += static_cast<uInt>(n);
      return true;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) s_->failed = true;
    s_->raw_eof = true;
    return false;
  }
}

// After a member has ended: true when another member follows, which is then
// ready to inflate. Anything other than a gzip member there is an error.
bool GzipReader::NextMember() {
  z_stream& zs = s_->zs;
  while (zs.avail_in < 2 && Refill()) {
  }
  if (zs.avail_in == 0) return false;  // clean end after the last member
  if (!IsGzip(reinterpret_cast<const char*>(zs.next_in), zs.avail_in) || inflateReset(&zs) != Z_OK) {
    s_->failed = true;
    return false;
  }
  s_->member_done = false;
  return true;
}

long GzipReader::Read(char* out, std::size_t cap) {
  z_stream& zs = s_->zs;
  zs.next_out = reinterpret_cast<unsigned char*>(out);
  zs.avail_out = static_cast<uInt>(cap);
  while (zs.avail_out == cap && !s_->failed) {
    if (s_->member_done && !NextMember()) break;
    if (zs.avail_in == 0 && !Refill()) {
      s_->failed = true;  // the source ended inside a member
      break;
    }
    int rc = inflate(&zs, Z_NO_FLUSH);
    if (rc == Z_STREAM_END) {
      s_->member_done = true;
    } else if (rc != Z_OK && !(rc == Z_BUF_ERROR && zs.avail_in == 0)) {
      s_->failed = true;
    }
  }
  long produced = static_cast<long>(cap - zs.avail_out);
  if (produced > 0) return produced;
  return s_->failed ? -1 : 0;
}

}  // namespace col
