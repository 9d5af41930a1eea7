// A file in memory with a path, for the readers that open a file by name
// (tindra --bed=, morvel --variants=): each run rewrites its bytes, and the
// reader opens /proc/self/fd/N as it would open any regular file. PipeFile
// hands the same bytes over through a pipe, for the readers that treat a
// file that is not regular apart.
#pragma once

#include <fcntl.h>
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

// Bytes behind a pipe, named /proc/self/fd/N. They are written whole, with
// the writing end closed, before the reader opens it: the pipe's buffer is
// made large enough, and Set is false when it cannot be.
class PipeFile {
 public:
  PipeFile() = default;
  PipeFile(const PipeFile&) = delete;
  PipeFile& operator=(const PipeFile&) = delete;
  ~PipeFile() { Close(); }

  bool Set(std::string_view bytes) {
    Close();
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) return false;
    bool fits = bytes.size() <= 65536 || fcntl(ends[1], F_SETPIPE_SZ, static_cast<int>(bytes.size())) >= 0;
    fits = fits && fcntl(ends[1], F_SETFL, O_NONBLOCK) == 0;
    std::size_t done = 0;
    while (fits && done < bytes.size()) {
      ssize_t n = write(ends[1], bytes.data() + done, bytes.size() - done);
      if (n <= 0) fits = false;
      else done += static_cast<std::size_t>(n);
    }
    close(ends[1]);
    if (!fits) {
      close(ends[0]);
      return false;
    }
    read_end_ = ends[0];
    path_ = "/proc/self/fd/" + std::to_string(read_end_);
    return true;
  }

  const std::string& path() const { return path_; }

 private:
  void Close() {
    if (read_end_ >= 0) close(read_end_);
    read_end_ = -1;
  }

  int read_end_ = -1;
  std::string path_;
};
