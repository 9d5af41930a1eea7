// Transparent gzip reading over arbitrary bytes: the input, with the gzip
// magic put in front when it is missing, opened as a file and read line by
// line, member after member, up to its end or its first error.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "file.h"
#include "gzip.h"

using namespace col;

namespace {

// The bytes as a file that Input can open by name.
std::string AsFile(const std::string& bytes) {
  static int fd = memfd_create("gzip-input", 0);
  if (fd < 0 || ftruncate(fd, 0) != 0) return "/dev/null";
  for (std::size_t done = 0; done < bytes.size();) {
    ssize_t n = pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
    if (n <= 0) return "/dev/null";
    done += static_cast<std::size_t>(n);
  }
  return "/proc/self/fd/" + std::to_string(fd);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  if (!IsGzip(bytes.data(), bytes.size())) bytes.insert(0, "\x1f\x8b\x08\x00", 4);
  Input in;
  if (!in.Open(AsFile(bytes).c_str())) return 0;
  std::string line;
  std::size_t total = 0;
  while (GetLine(in, line)) {
    total += line.size();
    if (total > (std::size_t{64} << 20)) break;  // a bomb: inflating on only costs time
  }
  (void)in.Failed();
  in.Close();
  return 0;
}
