// The buffered output writer every tool writes standard output through.
//
// Text is gathered in one large buffer and handed to fwrite when the buffer is
// full. A failed write is remembered: Finish() reports it so that a tool whose
// output was lost exits 1 instead of 0.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

namespace col {

class Output {
 public:
  explicit Output(FILE* stream, std::size_t capacity = 1 << 20);
  ~Output();
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;

  void Write(std::string_view text) {
    if (text.size() > static_cast<std::size_t>(limit_ - pos_)) return WriteLarge(text);
    std::memcpy(pos_, text.data(), text.size());
    pos_ += text.size();
  }
  void Put(char c) {
    if (pos_ == limit_) Drain();
    *pos_++ = c;
  }
  // Writes v right-aligned in `width` characters, as printf's "%*d" would
  // (wider numbers take the room they need).
  void PutInt(long long v, int width = 0);

  // Room for at least n bytes (n no more than the capacity); write there and
  // then Commit the end of what was written.
  char* Reserve(std::size_t n) {
    if (n > static_cast<std::size_t>(limit_ - pos_)) Drain();
    return pos_;
  }
  void Commit(char* end) { pos_ = end; }

  // Hands everything buffered to the stream and flushes it; false once any
  // write has failed.
  bool Flush();
  // Flushes and closes the stream; false once any write has failed.
  bool Close();
  bool Failed() const { return failed_; }
  std::size_t Capacity() const { return buf_.size(); }

 private:
  void Drain();
  void WriteLarge(std::string_view text);

  FILE* stream_;
  std::vector<char> buf_;
  char* pos_;
  char* limit_;
  bool failed_ = false;
};

// Writes v right-aligned in `width` at `at` and returns the end; at most
// max(width, 20) bytes are written.
char* FormatInt(char* at, long long v, int width);

// The writer of standard output, shared by a tool's modules.
Output& StdOut();

// Ends a tool's run: flushes standard output and closes it. When the output
// could not be written, writes "<tool>: Error in writing output\n" to
// standard error and returns 1; otherwise returns `status`.
int FinishOutput(const char* tool, int status);

}  // namespace col
