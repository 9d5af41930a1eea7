#include "decoder.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "gzip.h"
#include "scan.h"
#ifdef COL_HAVE_ZSTD
#include "zstd_decoder.h"
#endif

namespace col {

// Compressed bytes are read in pieces of this size at least.
static constexpr std::size_t kRawChunk = 1 << 18;

// Waits until the source has bytes (or its end) or a cancel came: false on
// the cancel.
static bool WaitReadable(const RawSource& src) {
  if (src.cancel_fd < 0) return true;
  pollfd fds[2] = {{src.fd, POLLIN, 0}, {src.cancel_fd, POLLIN, 0}};
  for (;;) {
    int rc = ::poll(fds, 2, -1);
    if (rc < 0 && errno == EINTR) continue;
    if (rc < 0) return true;  // the read itself then reports the trouble
    return fds[1].revents == 0;
  }
}

long ReadSome(const RawSource& src, char* at, std::size_t cap) {
  if (!WaitReadable(src)) return -1;
  for (;;) {
    ssize_t n = ::read(src.fd, at, cap);
    if (n >= 0 || errno != EINTR) return n;
  }
}

RawBuffer::RawBuffer(RawSource src, std::vector<char> head, std::size_t n) : src_(src), bytes_(std::move(head)) {
  if (bytes_.size() < kRawChunk) bytes_.resize(kRawChunk);
  next = reinterpret_cast<const unsigned char*>(bytes_.data());
  avail = n;
}

bool RawBuffer::Refill() {
  if (ended_) return false;
  std::memmove(bytes_.data(), next, avail);
  next = reinterpret_cast<const unsigned char*>(bytes_.data());
  long n = ReadSome(src_, bytes_.data() + avail, bytes_.size() - avail);
  if (n > 0) {
    avail += static_cast<std::size_t>(n);
    return true;
  }
  ended_ = true;
  failed_ = n < 0;
  return false;
}

static constexpr std::string_view kGzipMagic = "\x1f\x8b";
static constexpr std::string_view kZstdMagic = "\x28\xb5\x2f\xfd";

bool IsGzip(const char* bytes, std::size_t n) { return StartsWith({bytes, n}, kGzipMagic); }

bool IsZstd(const char* bytes, std::size_t n) { return StartsWith({bytes, n}, kZstdMagic); }

bool MayStartMagic(const char* bytes, std::size_t n) {
  std::string_view head(bytes, n);
  return (n < kGzipMagic.size() && StartsWith(kGzipMagic, head)) ||
         (n < kZstdMagic.size() && StartsWith(kZstdMagic, head));
}

bool IsCompressed(const char* bytes, std::size_t n) { return IsGzip(bytes, n) || (ReadsZstd() && IsZstd(bytes, n)); }

std::unique_ptr<Decoder> MakeDecoder(RawSource src, std::vector<char> head, std::size_t n) {
#ifdef COL_HAVE_ZSTD
  if (IsZstd(head.data(), n)) return MakeZstdDecoder(src, std::move(head), n);
#endif
  Inflate how = InflatesWithIsal() ? Inflate::kIsal : Inflate::kZlib;
  return MakeGzipDecoder(src, std::move(head), n, how);
}

bool InflatesWithIsal() {
#ifdef COL_HAVE_ISAL
  return true;
#else
  return false;
#endif
}

bool ReadsZstd() {
#ifdef COL_HAVE_ZSTD
  return true;
#else
  return false;
#endif
}

}  // namespace col
