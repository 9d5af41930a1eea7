#include "file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "decoder.h"
#include "llist.h"
#include "read_ahead.h"
#include "scan.h"

namespace col {

// ---------------------------------------------------------------------------
// Command-line scanner

static bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

Args InitArgument(int argc, char** argv) {
  Args args;
  args.argc = argc;
  args.argv = argv;
  int i = 1;
  while (i < argc && argv[i][0] == '-') {
    if (std::strcmp(argv[i], "--") == 0) {
      ++i;
      break;
    }
    ++i;
  }
  args.filepos = i;
  return args;
}

std::optional<std::string_view> GetArgument(Args& args) {
  if (args.argpos >= args.argc) return std::nullopt;
  const char* word = args.argv[args.argpos];
  if (args.charpos == 0) {
    if (word[0] != '-' || std::strcmp(word, "--") == 0) return std::nullopt;
    if (word[1] == '-') {
      ++args.argpos;
      return std::string_view(word + 1);
    }
    if (word[1] == '\0') {  // a lone "-" ends the options
      return std::nullopt;
    }
    args.charpos = 1;
  }
  int start = args.charpos++;
  while (word[args.charpos] != '\0' && !IsLetter(word[args.charpos])) ++args.charpos;
  std::string_view piece(word + start, args.charpos - start);
  if (word[args.charpos] == '\0') {
    args.charpos = 0;
    ++args.argpos;
  }
  return piece;
}

const char* GetFilename(Args& args) {
  if (args.filepos >= args.argc) return nullptr;
  return args.argv[args.filepos++];
}

// ---------------------------------------------------------------------------
// Input

static constexpr std::size_t kInputBuffer = 1 << 20;

Input::Input() = default;

Input::~Input() {
  reader_.reset();  // its thread reads fd_
  if (fd_ > 0 && !memory_) ::close(fd_);
}

bool Input::Open(const char* path) {
  int fd = ::open(path, O_RDONLY);
  if (fd < 0) return false;
  fd_ = fd;
  return true;
}

void Input::UseStdin() { fd_ = 0; }

void Input::UseMemory(std::string_view bytes) {
  memory_ = true;
  eof_ = true;
  pos_ = bytes.data();
  end_ = bytes.data() + bytes.size();
}

bool Input::Close() {
  if (memory_ || fd_ <= 0) return true;
  reader_.reset();
  int fd = fd_;
  fd_ = -1;
  return ::close(fd) == 0;
}

// Reads raw bytes into the buffer; returns the count, 0 at end of input, -1
// on a read error.
static long ReadRaw(int fd, char* at, std::size_t cap) {
  for (;;) {
    ssize_t n = ::read(fd, at, cap);
    if (n >= 0 || errno != EINTR) return n;
  }
}

// The first read decides whether the input is compressed; a pipe may hand
// out fewer bytes than a magic number has.
bool Input::FillFirst() {
  buf_.resize(kInputBuffer);
  long n = ReadRaw(fd_, buf_.data(), buf_.size());
  while (n > 0 && MayStartMagic(buf_.data(), n)) {
    long more = ReadRaw(fd_, buf_.data() + n, buf_.size() - n);
    if (more <= 0) {
      n = more < 0 ? -1 : n;
      break;
    }
    n += more;
  }
  if (n > 0 && IsCompressed(buf_.data(), n)) {
    reader_ = std::make_unique<ReadAhead>(fd_, std::move(buf_), n);
    return TakeDecoded();
  }
  return Take(n);
}

// Makes the next piece of decoded input current; false at the end.
bool Input::TakeDecoded() {
  std::string_view piece = reader_->Next();
  if (!piece.empty()) {
    pos_ = piece.data();
    end_ = piece.data() + piece.size();
    return true;
  }
  failed_ = reader_->Failed();
  eof_ = true;
  return false;
}

// Makes the n bytes at the start of the buffer current; false at the end.
bool Input::Take(long n) {
  if (n > 0) {
    pos_ = buf_.data();
    end_ = buf_.data() + n;
    return true;
  }
  if (n < 0) failed_ = true;
  eof_ = true;
  return false;
}

// Refills the buffer; false at end of input (or after a read error).
bool Input::Fill() {
  if (eof_ || fd_ < 0) return false;
  if (reader_) return TakeDecoded();
  if (buf_.empty()) return FillFirst();
  return Take(ReadRaw(fd_, buf_.data(), buf_.size()));
}

bool Input::ReadLine(std::string& line) {
  bool got = false;
  for (;;) {
    if (pos_ == end_ && !Fill()) {
      if (got) ++lines_;
      return got;
    }
    const char* nl = static_cast<const char*>(std::memchr(pos_, '\n', end_ - pos_));
    const char* stop = nl ? nl + 1 : end_;
    line.append(pos_, stop);
    pos_ = stop;
    got = true;
    if (nl) {
      ++lines_;
      return true;
    }
  }
}

// ---------------------------------------------------------------------------
// Line reading

bool GetLine(Input& in, std::string& line) {
  line.clear();
  return in.ReadLine(line);
}

std::optional<std::string> GetLine(Input& in) {
  std::string line;
  if (!GetLine(in, line)) return std::nullopt;
  return line;
}

std::optional<std::string> GetFile(Input& in) {
  std::string all;
  bool got = false;
  while (in.ReadLine(all)) got = true;
  if (!got) return std::nullopt;
  return all;
}

// The put-back stack of GetConnect, shared by all streams.
static LList<std::string>* _Con_stack = nullptr;

void InitConnect() {
  if (_Con_stack) {
    while (std::string* line = Pop(_Con_stack)) delete line;
    DestroyLList(_Con_stack);
  }
  _Con_stack = MakeLList<std::string>();
}

void PutConnect(std::string line) {
  if (!_Con_stack) InitConnect();
  Push(_Con_stack, new std::string(std::move(line)));
}

// Index of the last character that is not white space, or 0 when there is none.
static std::size_t JoinPoint(const std::string& text) {
  std::size_t i = text.size();
  while (i > 1 && IsSpace(text[i - 1])) --i;
  return i == 0 ? 0 : i - 1;
}

std::optional<std::string> GetConnect(Input& in) {
  if (_Con_stack && _Con_stack->count > 0) {
    std::unique_ptr<std::string> line(Pop(_Con_stack));
    return std::move(*line);
  }
  std::string logical;
  std::string physical;
  bool gathered = false;
  std::size_t join = 0;
  while (GetLine(in, physical)) {
    if (!gathered) {
      logical.swap(physical);
      gathered = true;
    } else {
      logical.resize(join);
      logical += physical;
    }
    join = JoinPoint(logical);
    char c = logical.empty() ? ' ' : logical[join];
    if (c != '\\' && !IsSpace(c)) return logical;
  }
  if (!gathered) return std::nullopt;
  return logical;
}

// ---------------------------------------------------------------------------
// Case-blind compare

static int Lowered(std::string_view s, std::size_t i) {
  if (i >= s.size()) return 0;
  int c = static_cast<signed char>(s[i]);
  return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c;
}

int StrnCmp(std::string_view a, std::string_view b, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    int ca = Lowered(a, i);
    int cb = Lowered(b, i);
    if (ca != cb) return ca - cb;
    if (ca == 0) return 0;
  }
  return 0;
}

int StrCmp(std::string_view a, std::string_view b) { return StrnCmp(a, b, static_cast<std::size_t>(-1)); }

}  // namespace col
