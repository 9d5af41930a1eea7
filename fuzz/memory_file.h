// A file in memory with a path, for the readers that open a file by name
// (tindra --bed=, morvel --variants=): each run rewrites its bytes, and the
// reader opens /proc/self/fd/N as it would open any regular file.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

class MemoryFile {
 public:
  MemoryFile() {
    fd_ = memfd_create("fuzz", 0);
    if (fd_ < 0) {
      FILE* f = std::tmpfile();  // kernels without memfd: a deleted temporary file
      fd_ = f ? fileno(f) : -1;
    }
    if (fd_ < 0) {
      std::perror("fuzz: no file for the input");
      std::abort();
    }
    path_ = "/proc/self/fd/" + std::to_string(fd_);
  }

  // Replaces the contents; the reader opens the path afresh at offset 0.
  void Set(std::string_view bytes) {
    if (ftruncate(fd_, 0) != 0) std::abort();
    std::size_t done = 0;
    while (done < bytes.size()) {
      ssize_t n = pwrite(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
      if (n <= 0) std::abort();
      done += static_cast<std::size_t>(n);
    }
  }

  const std::string& path() const { return path_; }

 private:
  int fd_ = -1;
  std::string path_;
};
