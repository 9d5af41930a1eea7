// The file module: command-line scanning, line reading and case-blind compare.
//
// Every tool of the suite reads its command line through Args/GetArgument/
// GetFilename and its input through an Input and GetLine.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace col {

class ReadAhead;

// ---------------------------------------------------------------------------
// Command-line scanner.
//
// A word that begins with "--" is one option piece, handed out with one dash
// removed ("--gene" gives "-gene"). A word that begins with one dash is a
// cluster: the first piece starts after the dash, every later piece starts at
// a letter and each runs up to the next letter ("-i25g" gives "i25", "g").
// Options end at the first word without a leading dash and at "--"; file
// names start there (after the "--").

struct Args {
  int argc = 0;
  char** argv = nullptr;  // the caller's vector; it must outlive the scanner
  int argpos = 1;         // word being scanned for options
  int charpos = 0;        // next character in that word; 0: no cluster open
  int filepos = 1;        // next word to hand out as a file name
};

Args InitArgument(int argc, char** argv);

// The next option piece, or nothing when the options are exhausted. The piece
// points into the argument word itself.
std::optional<std::string_view> GetArgument(Args& args);

// The next file-name word, or null.
const char* GetFilename(Args& args);

// ---------------------------------------------------------------------------
// Input streams.
//
// An Input reads a named file or standard input through one large buffer.
// Input that starts with the magic bytes of gzip (BGZF too) or, where the
// build reads it, zstd is decompressed on the fly, member after member, on a
// thread of its own a few buffers ahead. Read errors, and a corrupt or
// truncated compressed stream, end the input like end of file and are
// remembered: Failed() turns true.

class Input {
 public:
  Input();
  ~Input();
  Input(const Input&) = delete;
  Input& operator=(const Input&) = delete;

  // Opens `path` for reading; false (with errno set) when it cannot be opened.
  bool Open(const char* path);
  // Reads standard input, which is never closed.
  void UseStdin();
  // Reads the given bytes (tests and fuzzing); they must outlive the Input.
  void UseMemory(std::string_view bytes);
  // Closes a named file; false when closing fails.
  bool Close();

  bool IsStdin() const { return fd_ == 0 && !memory_; }
  // True once a read failed (the input then ended early).
  bool Failed() const { return failed_; }

  // Appends bytes up to and including the next '\n' to `line`; false at end
  // of input with nothing appended.
  bool ReadLine(std::string& line);
  // The lines ReadLine handed out so far: the number of the last one read.
  long long LinesRead() const { return lines_; }

  // Where the input comes from, for the line that says where a reader
  // stopped: the tool that reads it and the file's path as given (null for
  // standard input). OpenInput sets both; an input without a tool (a test's
  // bytes in memory) gets no such line.
  void SetOrigin(const char* tool, const char* path) {
    tool_ = tool;
    path_ = path;
  }
  const char* Tool() const { return tool_; }
  const char* Path() const { return path_; }
  // What a reader is inside, for that line when the input ends there, and the
  // number of the line before it: the col readers name the entry whose body
  // follows (only when a tool reads).
  void SetPart(std::string_view part, long long line_before) {
    part_.assign(part);
    part_line_ = line_before;
  }
  const std::string& Part() const { return part_; }
  long long PartLine() const { return part_line_; }

 private:
  bool Fill();
  bool FillFirst();
  bool Take(long n);
  bool TakeDecoded();

  int fd_ = -1;
  std::unique_ptr<ReadAhead> reader_;  // compressed input only
  bool memory_ = false;
  bool eof_ = false;
  bool failed_ = false;
  std::vector<char> buf_;
  const char* pos_ = nullptr;
  const char* end_ = nullptr;
  long long lines_ = 0;
  const char* tool_ = nullptr;
  const char* path_ = nullptr;
  std::string part_;
  long long part_line_ = 0;
};

// ---------------------------------------------------------------------------
// Line reading.

// Reads the next line, newline included, into `line` (its old content is
// replaced). A NUL byte is kept like any other byte; the last line of an input
// without a final newline comes without one. False at end of input.
bool GetLine(Input& in, std::string& line);

// Convenience form: the next line, or nothing at end of input.
std::optional<std::string> GetLine(Input& in);

// Everything up to the end of input, or nothing when the input is at its end.
std::optional<std::string> GetFile(Input& in);

// Continued lines: a logical line is made of physical lines that end (before
// trailing white space) in a backslash; the backslash is removed. Lines handed
// to PutConnect come back first, most recent first, whatever stream is named.
void InitConnect();
void PutConnect(std::string line);
std::optional<std::string> GetConnect(Input& in);

// ---------------------------------------------------------------------------
// Case-blind comparison in the POSIX locale: 0 when equal ignoring case, else
// the difference of the first differing characters after lowering (bytes
// taken as signed chars). The strings end at their length or at a NUL byte.
int StrCmp(std::string_view a, std::string_view b);
// The same over at most the first n characters.
int StrnCmp(std::string_view a, std::string_view b, std::size_t n);

}  // namespace col
