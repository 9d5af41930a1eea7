// Compressed input over arbitrary bytes: the input, with the gzip magic put
// in front when it carries no magic of gzip or zstd, decoded by every gzip
// inflater of the build (which must agree on every stream that all of them
// accept), and read line by line through Input with its reading thread.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "decoder.h"
#include "file.h"
#include "gzip.h"

using namespace col;

namespace {

constexpr std::size_t kBomb = std::size_t{64} << 20;  // inflating on only costs time

// The bytes as a file, by descriptor and by name.
int AsFile(const std::string& bytes) {
  static int fd = memfd_create("compressed-input", 0);
  if (fd < 0 || ftruncate(fd, 0) != 0) return -1;
  for (std::size_t done = 0; done < bytes.size();) {
    ssize_t n = pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
    if (n <= 0) return -1;
    done += static_cast<std::size_t>(n);
  }
  return fd;
}

// Decodes through one decoder; the text and whether it failed.
std::pair<std::string, bool> Decode(int fd, const std::string& bytes, bool gzip, Inflate how) {
  if (lseek(fd, static_cast<off_t>(bytes.size()), SEEK_SET) < 0) return {"", true};
  std::vector<char> head(bytes.begin(), bytes.end());
  std::unique_ptr<Decoder> d = gzip ? MakeGzipDecoder({fd}, std::move(head), bytes.size(), how)
                                    : MakeDecoder({fd}, std::move(head), bytes.size());
  std::string text, piece(1 << 16, '\0');
  long n;
  while ((n = d->Read(piece.data(), piece.size())) > 0 && text.size() < kBomb) text.append(piece.data(), n);
  return {text, n < 0};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  if (!IsCompressed(bytes.data(), bytes.size())) bytes.insert(0, "\x1f\x8b\x08\x00", 4);
  int fd = AsFile(bytes);
  if (fd < 0) return 0;

  bool gzip = IsGzip(bytes.data(), bytes.size());
  std::vector<std::pair<std::string, bool>> reads;
  for (Inflate how : gzip ? BuiltInflaters() : std::vector<Inflate>{Inflate::kZlib}) {
    reads.push_back(Decode(fd, bytes, gzip, how));
    bool whole = !reads.back().second && reads.back().first.size() < kBomb;
    if (whole && !reads[0].second && reads.back().first != reads[0].first) std::abort();  // inflaters disagree
  }

  Input in;
  if (!in.Open(("/proc/self/fd/" + std::to_string(fd)).c_str())) return 0;
  std::string line;
  std::size_t total = 0;
  while (GetLine(in, line)) {
    total += line.size();
    if (total > kBomb) break;
  }
  (void)in.Failed();
  in.Close();
  return 0;
}
