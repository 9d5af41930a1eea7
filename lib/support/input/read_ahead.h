// Decompression on a thread of its own, a few buffers ahead of the reader,
// so that inflating overlaps the work on the lines already read.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>
#include <vector>

#include "decoder.h"

namespace col {

class ReadAhead {
 public:
  // Decodes the compressed input on `fd` (not owned), whose first n bytes
  // were read into `head` already. Where no thread can be started, the
  // decoding runs in Next() instead.
  ReadAhead(int fd, std::vector<char> head, std::size_t n);
  // Stops the thread (a read blocked on a pipe included) and waits for it.
  ~ReadAhead();
  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  // The next piece of decoded bytes, valid until the next call; empty at the
  // end of the input, which Failed() tells apart from a failed one.
  std::string_view Next();
  bool Failed() const { return failed_; }

 private:
  static constexpr std::size_t kSlots = 4;
  static constexpr std::size_t kSlotBytes = 1 << 18;

  void StartThread();
  void CloseCancel();
  void Produce();

  int cancel_[2] = {-1, -1};  // a pipe: a byte written wakes a blocked read
  std::unique_ptr<Decoder> decoder_;
  std::vector<char> slots_[kSlots];
  std::size_t length_[kSlots] = {};

  // Shared with the thread, under mutex_: slots in use (filled or held by the
  // reader) run from `read_` on, `queued_` filled ones after the held one.
  std::mutex mutex_;
  std::condition_variable filled_;  // the reader waits for a slot
  std::condition_variable freed_;   // the thread waits for room
  std::size_t read_ = 0;
  std::size_t queued_ = 0;
  bool held_ = false;
  bool ended_ = false;     // the thread is done: clean end or failure
  bool ended_bad_ = false;
  bool stop_ = false;

  bool failed_ = false;  // the reader's own copy
  std::thread thread_;
};

}  // namespace col
