#include "read_ahead.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace col {

ReadAhead::ReadAhead(int fd, std::vector<char> head, std::size_t n) {
  RawSource src{fd, -1};
  if (::pipe(cancel_) == 0) {
    for (int end : cancel_) ::fcntl(end, F_SETFD, FD_CLOEXEC);
    src.cancel_fd = cancel_[0];
  }
  try {
    decoder_ = MakeDecoder(src, std::move(head), n);
    for (auto& slot : slots_) slot.resize(kSlotBytes);
  } catch (...) {
    CloseCancel();
    throw;
  }
  if (src.cancel_fd >= 0) StartThread();
}

void ReadAhead::CloseCancel() {
  for (int& end : cancel_) {
    if (end >= 0) ::close(end);
    end = -1;
  }
}

void ReadAhead::StartThread() {
  try {
    thread_ = std::thread(&ReadAhead::Produce, this);
  } catch (const std::system_error&) {
    // no thread: Next() decodes
  }
}

ReadAhead::~ReadAhead() {
  if (thread_.joinable()) {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    freed_.notify_one();
    char wake = 0;
    while (::write(cancel_[1], &wake, 1) < 0 && errno == EINTR) {
    }
    thread_.join();
  }
  CloseCancel();
}

// The thread: fills the free slots in turn until the input ends or the
// reader goes away.
void ReadAhead::Produce() {
  for (std::size_t write = 0;; write = (write + 1) % kSlots) {
    {
      std::unique_lock lock(mutex_);
      freed_.wait(lock, [&] { return stop_ || queued_ + held_ < kSlots; });
      if (stop_) return;
    }
    long n;
    try {
      n = decoder_->Read(slots_[write].data(), kSlotBytes);
    } catch (...) {
      n = -1;
    }
    {
      std::lock_guard lock(mutex_);
      if (n > 0) {
        length_[write] = static_cast<std::size_t>(n);
        ++queued_;
      } else {
        ended_ = true;
        ended_bad_ = n < 0;
      }
    }
    filled_.notify_one();
    if (n <= 0) return;
  }
}

std::string_view ReadAhead::Next() {
  if (!thread_.joinable()) {  // decoding here, in slot 0
    if (ended_) return {};
    long n = decoder_->Read(slots_[0].data(), kSlotBytes);
    if (n > 0) return {slots_[0].data(), static_cast<std::size_t>(n)};
    ended_ = true;
    failed_ = n < 0;
    return {};
  }
  std::unique_lock lock(mutex_);
  if (held_) {
    held_ = false;
    read_ = (read_ + 1) % kSlots;
    freed_.notify_one();
  }
  filled_.wait(lock, [&] { return queued_ > 0 || ended_; });
  if (queued_ == 0) {
    failed_ = ended_bad_;
    return {};
  }
  --queued_;
  held_ = true;
  return {slots_[read_].data(), length_[read_]};
}

}  // namespace col
