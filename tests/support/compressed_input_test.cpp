// Compressed input: gzip (every inflater this build has), BGZF and zstd, read
// through the decoders directly and through Input with its reading thread.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>
#include <zlib.h>
#ifdef COL_HAVE_ZSTD
#include <zstd.h>
#endif

#include <csignal>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "decoder.h"
#include "file.h"
#include "gzip.h"

using namespace col;

namespace {

std::string Deflate(const std::string& text, int window_bits) {
  std::string out(compressBound(text.size()) + 64, '\0');
  z_stream zs{};
  deflateInit2(&zs, 6, Z_DEFLATED, window_bits, 8, Z_DEFAULT_STRATEGY);
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  zs.avail_in = static_cast<uInt>(text.size());
  zs.next_out = reinterpret_cast<Bytef*>(out.data());
  zs.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(deflate(&zs, Z_FINISH), Z_STREAM_END);
  out.resize(zs.total_out);
  deflateEnd(&zs);
  return out;
}

std::string Gzip(const std::string& text) { return Deflate(text, 15 + 16); }

std::string LittleEndian(unsigned long value, int bytes) {
  std::string out;
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xff);
  return out;
}

// BGZF: members of at most 64 KiB with the block size in an extra field,
// ended by the empty block every BGZF file carries.
std::string Bgzf(const std::string& text) {
  std::string out;
  for (std::size_t at = 0; at < text.size(); at += 60000) {
    std::string part = text.substr(at, 60000);
    std::string raw = Deflate(part, -15);
    out += std::string("\x1f\x8b\x08\x04\0\0\0\0\0\xff\x06\0BC\x02\0", 16);
    out += LittleEndian(18 + raw.size() + 8 - 1, 2) + raw;
    out += LittleEndian(crc32(0, reinterpret_cast<const Bytef*>(part.data()), part.size()), 4);
    out += LittleEndian(part.size(), 4);
  }
  return out + std::string("\x1f\x8b\x08\x04\0\0\0\0\0\xff\x06\0BC\x02\0\x1b\0\x03\0\0\0\0\0\0\0\0\0", 28);
}

std::string Flip(std::string bytes, std::size_t from_end) {
  bytes[bytes.size() - from_end] ^= 0x55;
  return bytes;
}

#ifdef COL_HAVE_ZSTD
std::string Zstd(const std::string& text) {
  std::string out(ZSTD_compressBound(text.size()), '\0');
  ZSTD_CCtx* cx = ZSTD_createCCtx();
  ZSTD_CCtx_setParameter(cx, ZSTD_c_checksumFlag, 1);
  out.resize(ZSTD_compress2(cx, out.data(), out.size(), text.data(), text.size()));
  ZSTD_freeCCtx(cx);
  return out;
}
#endif

// A file of its own per test process: ctest runs the tests side by side.
std::string TempFile(const std::string& bytes) {
  std::string path = testing::TempDir() + "/input-" + std::to_string(getpid()) + ".bin";
  FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  return path;
}

struct Read {
  std::string text;
  bool failed;
  bool operator==(const Read&) const = default;
};

[[maybe_unused]] void PrintTo(const Read& r, std::ostream* os) {
  *os << (r.failed ? "failed after " : "") << r.text.size() << " bytes";
}

Read ReadInput(Input& in) {
  std::string all, line;
  while (GetLine(in, line)) all += line;
  return {all, in.Failed()};
}

Read ReadFile(const std::string& bytes) {
  Input in;
  EXPECT_TRUE(in.Open(TempFile(bytes).c_str()));
  Read r = ReadInput(in);
  EXPECT_TRUE(in.Close());
  return r;
}

// The bytes through a pipe, written in small pieces (the first one a
// single byte) by another thread.
Read ReadPipe(const std::string& bytes) {
  std::signal(SIGPIPE, SIG_IGN);  // a reader that stops early closes the pipe
  int fds[2];
  EXPECT_EQ(pipe(fds), 0);
  std::thread writer([&] {
    for (std::size_t at = 0, piece = 1; at < bytes.size(); at += piece, piece = 4093) {
      if (write(fds[1], bytes.data() + at, std::min(piece, bytes.size() - at)) < 0) break;
    }
    close(fds[1]);
  });
  Input in;
  EXPECT_TRUE(in.Open(("/proc/self/fd/" + std::to_string(fds[0])).c_str()));
  Read r = ReadInput(in);
  in.Close();
  close(fds[0]);
  writer.join();
  return r;
}

Read Decode(const std::string& bytes, Inflate how) {
  std::string path = TempFile(bytes);
  FILE* f = std::fopen(path.c_str(), "rb");
  std::vector<char> head(1 << 16);
  std::size_t n = std::fread(head.data(), 1, head.size(), f);
  std::unique_ptr<Decoder> d = MakeGzipDecoder({fileno(f)}, head, n, how);
  std::string out(1000, '\0'), all;
  long got;
  while ((got = d->Read(out.data(), out.size())) > 0) all.append(out.data(), got);
  std::fclose(f);
  return {all, got < 0};
}

// The same with every byte already in hand, nothing more to read.
Read DecodeInMemory(const std::string& bytes, Inflate how) {
  static int none = open("/dev/null", O_RDONLY);
  std::unique_ptr<Decoder> d = MakeGzipDecoder({none}, {bytes.begin(), bytes.end()}, bytes.size(), how);
  std::string out(1000, '\0'), all;
  long got;
  while ((got = d->Read(out.data(), out.size())) > 0) all.append(out.data(), got);
  return {all, got < 0};
}

struct Case {
  const char* name;
  std::string bytes, text;
  bool failed;
};

std::vector<Case> Cases() {
  std::string big;
  for (int i = 0; i < 300000; ++i) big += "N     a " + std::to_string(i) + "\n";
  std::string a = "LOCUS a\n//\n", b = "LOCUS b\n//";
  std::string whole = Gzip(a + b);
  std::vector<Case> cases = {
      {"plain", a + b, a + b, false},
      {"plain text starting with the first magic byte", "\x1f" "abc\n", "\x1f" "abc\n", false},
      {"one member", whole, a + b, false},
      {"large member", Gzip(big), big, false},
      {"two members", Gzip(a) + Gzip(b), a + b, false},
      {"empty member between", Gzip(a) + Gzip("") + Gzip(b), a + b, false},
      {"empty last member", Gzip(a) + Gzip(""), a, false},
      {"only an empty member", Gzip(""), "", false},
      {"BGZF with its empty last block", Bgzf(big), big, false},
      {"garbage after a member", Gzip(a) + "xyz", a, true},
      {"one byte after a member", Gzip(a) + "\x1f", a, true},
      {"zero padding after a member", Gzip(a) + std::string(512, '\0'), a, true},
      {"BGZF block cut after its header", Bgzf(a) + Bgzf(b).substr(0, 18), a, true},
      {"truncated trailer", whole.substr(0, whole.size() - 5), a + b, true},
      {"corrupt CRC", Flip(whole, 8), a + b, true},
      {"corrupt length", Flip(whole, 4), a + b, true},
      {"corrupt CRC in the first of two members", Flip(Gzip(a), 8) + Gzip(b), a, true},
      {"magic only", "\x1f\x8b", "", true},
  };
#ifdef COL_HAVE_ZSTD
  std::string z = Zstd(a + b);
  cases.insert(cases.end(), {
                                {"zstd frame", z, a + b, false},
                                {"zstd frames, one empty", Zstd(a) + Zstd("") + Zstd(b), a + b, false},
                                {"zstd large frame", Zstd(big), big, false},
                                {"zstd garbage after a frame", Zstd(a) + "xyz", a, true},
                                {"zstd truncated", z.substr(0, z.size() - 3), "", true},
                                {"zstd corrupt checksum", Flip(z, 1), "", true},
                                {"zstd magic only", "\x28\xb5\x2f\xfd", "", true},
                            });
#endif
  return cases;
}

// Where the decoded text before a failure depends on how far the stream got,
// only the failure is compared.
void ExpectRead(const Read& r, const Case& c, const std::string& how) {
  if (!c.failed || !c.text.empty()) {
    EXPECT_TRUE(r.text == c.text) << c.name << " " << how << ": " << r.text.size() << " bytes, not " << c.text.size();
  }
  EXPECT_EQ(r.failed, c.failed) << c.name << " " << how;
}

TEST(CompressedInput, EveryInflaterGivesTheSameBytesAndErrors) {
  for (const Case& c : Cases()) {
    if (!IsGzip(c.bytes.data(), c.bytes.size())) continue;
    std::vector<Read> reads;
    for (Inflate how : BuiltInflaters()) {
      reads.push_back(Decode(c.bytes, how));
      ExpectRead(reads.back(), c, how == Inflate::kIsal ? "ISA-L" : "zlib");
    }
    for (const Read& r : reads) EXPECT_EQ(r, reads[0]) << c.name;
  }
}

TEST(CompressedInput, InputFromFileAndPipe) {
  for (const Case& c : Cases()) {
    ExpectRead(ReadFile(c.bytes), c, "file");
    ExpectRead(ReadPipe(c.bytes), c, "pipe");
  }
}

// Every single-bit flip of a member and every cut of it: the inflaters agree
// on the failure, and on the bytes except where the flip hits the deflate
// data (how much garbage comes out before the failure is the inflater's).
TEST(CompressedInput, InflatersAgreeOnEveryFlippedBitAndCut) {
  std::vector<Inflate> inflaters = BuiltInflaters();
  if (inflaters.size() < 2) GTEST_SKIP() << "one inflater in this build";
  std::string a;
  for (int i = 0; i < 40; ++i) a += "N     a " + std::to_string(i) + "\n";
  // FHCRC, FEXTRA, FNAME and FCOMMENT all set
  std::string member = std::string("\x1f\x8b\x08\x1e\0\0\0\0\0\xff\x02\0xyab\0c\0", 19);
  member += LittleEndian(crc32(0, reinterpret_cast<const Bytef*>(member.data()), member.size()) & 0xffff, 2);
  std::size_t data_from = member.size();
  member += Gzip(a).substr(10);
  std::size_t data_to = member.size() - 8;
  ASSERT_EQ(DecodeInMemory(member, Inflate::kZlib), (Read{a, false}));
  for (std::size_t bit = 0; bit < 8 * member.size(); ++bit) {
    std::string bytes = member;
    bytes[bit / 8] ^= static_cast<char>(1 << (bit % 8));
    Read zlib = DecodeInMemory(bytes, Inflate::kZlib), isal = DecodeInMemory(bytes, Inflate::kIsal);
    EXPECT_EQ(zlib.failed, isal.failed) << "bit " << bit;
    if (!zlib.failed || bit / 8 < data_from || bit / 8 >= data_to) {
      EXPECT_EQ(zlib, isal) << "bit " << bit;
    }
  }
  for (std::size_t cut = 0; cut < member.size(); ++cut) {
    std::string bytes = member.substr(0, cut);
    Read zlib = DecodeInMemory(bytes, Inflate::kZlib), isal = DecodeInMemory(bytes, Inflate::kIsal);
    EXPECT_TRUE(zlib.failed) << "cut " << cut;
    EXPECT_EQ(zlib, isal) << "cut " << cut;
  }
}

TEST(CompressedInput, CorruptStreamFails) {
  std::string bytes = Gzip(std::string(100000, 'x') + "\n");
  for (std::size_t i = 20; i < bytes.size() - 8; i += 7) bytes[i] = static_cast<char>(bytes[i] ^ 0x55);
  EXPECT_TRUE(ReadFile(bytes).failed);
  for (Inflate how : BuiltInflaters()) EXPECT_TRUE(Decode(bytes, how).failed);
}

}  // namespace
