#include "zlib_inflate.h"

#include <zlib.h>

#include <new>

namespace col {

namespace {

class ZlibInflater : public Inflater {
 public:
  ZlibInflater() {
    if (inflateInit2(&zs_, 15 + 16) != Z_OK) throw std::bad_alloc();  // gzip wrapper only
  }
  ~ZlibInflater() override { inflateEnd(&zs_); }
  ZlibInflater(const ZlibInflater&) = delete;
  ZlibInflater& operator=(const ZlibInflater&) = delete;

  void Restart() override { inflateReset(&zs_); }

  Result Step(RawBuffer& in, char*& out, std::size_t& room) override {
    zs_.next_in = const_cast<Bytef*>(in.next);
    zs_.avail_in = static_cast<uInt>(in.avail);
    zs_.next_out = reinterpret_cast<Bytef*>(out);
    zs_.avail_out = static_cast<uInt>(room);
    int rc = inflate(&zs_, Z_NO_FLUSH);
    in.next = zs_.next_in;
    in.avail = zs_.avail_in;
    out = reinterpret_cast<char*>(zs_.next_out);
    room = zs_.avail_out;
    if (rc == Z_STREAM_END) return kMemberEnd;
    return rc == Z_OK || rc == Z_BUF_ERROR ? kMore : kError;
  }

 private:
  z_stream zs_{};
};

}  // namespace

std::unique_ptr<Inflater> MakeZlibInflater() { return std::make_unique<ZlibInflater>(); }

}  // namespace col
