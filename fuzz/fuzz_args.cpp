// The command-line scanner over arbitrary argument vectors (words separated
// by NUL bytes), and morvel's option table on every piece.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "file.h"
#include "options.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> words{"prog"};
  std::string word;
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      words.push_back(word);
      word.clear();
    } else {
      word += static_cast<char>(data[i]);
    }
  }
  words.push_back(word);
  std::vector<char*> argv;
  for (auto& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  int argc = static_cast<int>(words.size());

  Args args = InitArgument(argc, argv.data());
  Options opt;
  while (auto piece = GetArgument(args)) apply_option(opt, *piece);
  while (GetFilename(args)) {
  }
  return 0;
}
