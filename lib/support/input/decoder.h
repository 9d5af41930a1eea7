// Decoders of compressed input: what they read from, what they hand out, and
// the choice of decoder by the magic bytes at the start of the input.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace col {

// Where a decoder reads its compressed bytes: a file descriptor, and
// optionally a second one whose readiness means "stop": a read blocked on a
// pipe then returns at once instead of waiting for the writer.
struct RawSource {
  int fd = -1;
  int cancel_fd = -1;
};

// Reads up to `cap` bytes: the count, 0 at the end of the source, -1 on a
// read error or a cancel.
long ReadSome(const RawSource& src, char* at, std::size_t cap);

// The compressed bytes read so far and not yet used: `next` and `avail`
// are advanced by the decoder, Refill appends more behind them.
class RawBuffer {
 public:
  // `head` holds the first `n` bytes of the source, read before; its storage
  // becomes the buffer.
  RawBuffer(RawSource src, std::vector<char> head, std::size_t n);

  const unsigned char* next = nullptr;
  std::size_t avail = 0;

  // Reads more bytes behind the unused ones: false when none came (end of
  // the source, a read error or a cancel).
  bool Refill();
  // True after a read error or a cancel.
  bool Failed() const { return failed_; }

 private:
  RawSource src_;
  std::vector<char> bytes_;
  bool ended_ = false;
  bool failed_ = false;
};

// A decompressing reader over one source.
class Decoder {
 public:
  virtual ~Decoder() = default;
  // Decodes up to `cap` bytes into `out`: the count, 0 at the clean end of
  // the stream, -1 once it proved corrupt, truncated or unreadable.
  virtual long Read(char* out, std::size_t cap) = 0;
};

// The magic bytes: gzip (and BGZF) members, zstd frames.
bool IsGzip(const char* bytes, std::size_t n);
bool IsZstd(const char* bytes, std::size_t n);
// True when the n bytes are too few to tell and could start a magic number.
bool MayStartMagic(const char* bytes, std::size_t n);
// True when this build decodes input that starts with these bytes.
bool IsCompressed(const char* bytes, std::size_t n);

// The decoder for a compressed input that starts with the n bytes of `head`.
std::unique_ptr<Decoder> MakeDecoder(RawSource src, std::vector<char> head, std::size_t n);

// What this build can do: gzip through ISA-L (else zlib), zstd at all.
bool InflatesWithIsal();
bool ReadsZstd();

}  // namespace col
