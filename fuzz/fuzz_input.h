// Draws a fuzz target's parameters from its input: numbers and choices are
// read from the end of the bytes backwards. The targets still hand the whole
// input to the code under test, so a seed file (a GenBank record, a col
// file) keeps its meaning; its last bytes merely double as parameters,
// and the fuzzer steers them by changing or appending bytes there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "file.h"
#include "output.h"

class FuzzInput {
 public:
  FuzzInput(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  // The next byte from the end; 0 once the input is used up.
  uint8_t Byte() { return size_ == 0 ? 0 : data_[--size_]; }
  bool Flag() { return Byte() & 1; }
  uint32_t Number() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = (v << 8) | Byte();
    return v;
  }
  // An int: mostly small, sometimes one of the edges of the int range.
  int Int() {
    static const int kEdges[] = {0, 1, -1, 2, 3, 5, 100, -100, 2147483647, -2147483647 - 1, 2147483646};
    uint8_t how = Byte();
    if (how < 64) return kEdges[how % (sizeof kEdges / sizeof kEdges[0])];
    if (how < 128) return static_cast<int>(Number());
    return static_cast<int>(Byte()) - 16;
  }
  template <class T, std::size_t N>
  const T& Pick(const T (&table)[N]) {
    return table[Byte() % N];
  }

 private:
  const uint8_t* data_;
  std::size_t size_;
};

// The first line of `text` (without its newline) and the text after it.
inline std::string_view TakeLine(std::string_view& text) {
  std::size_t nl = text.find('\n');
  std::string_view line = text.substr(0, nl);
  text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
  return line;
}

// A command-line word: NUL bytes would end it early, so they are dropped.
inline std::string Word(std::string_view text) {
  std::string word;
  for (char c : text)
    if (c != '\0') word += c;
  return word;
}

// A tool's entry point run as the program runs it, with `words` as its
// command line and `text` as its standard input; the output is thrown away.
template <typename Run>
void RunOverText(Run run, std::vector<std::string> words, std::string_view text) {
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  static FILE* sink = std::fopen("/dev/null", "w");
  col::Input in;
  in.UseMemory(text);
  col::Output out(sink, 1 << 16);
  (void)run(static_cast<int>(words.size()), argv.data(), in, out);
}
