// Runs a program's main with 256 MB of address space over one line of 512 MB
// and expects "<tool>: Out of memory\n" and status 1.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#if defined(__SANITIZE_ADDRESS__)
#define UNDER_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define UNDER_ADDRESS_SANITIZER 1
#endif
#endif

[[noreturn]] inline void RunWithin256MB(int (*program)(int, char**), std::string name, char* path) {
  rlimit limit{rlim_t{256} << 20, rlim_t{256} << 20};
  setrlimit(RLIMIT_AS, &limit);
  char* argv[] = {name.data(), path, nullptr};
  std::exit(program(2, argv));
}

inline void ExpectOutOfMemory(int (*program)(int, char**), const std::string& name) {
#ifdef UNDER_ADDRESS_SANITIZER
  GTEST_SKIP() << "an address-space limit does not work with the address sanitizer";
#endif
  // One line of 512 MB (a sparse file of NUL bytes) cannot be held in 256 MB.
  std::string path = "/tmp/" + name + "_memoryXXXXXX";
  int fd = mkstemp(path.data());
  ASSERT_GE(fd, 0);
  ASSERT_EQ(ftruncate(fd, off_t{512} << 20), 0);
  close(fd);
  EXPECT_EXIT(RunWithin256MB(program, name, path.data()), ::testing::ExitedWithCode(1),
              "^" + name + ": Out of memory\n$");
  unlink(path.c_str());
}
