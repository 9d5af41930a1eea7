#include "zstd_decoder.h"

#include <zstd.h>

#include <new>

namespace col {

namespace {

class ZstdDecoder : public Decoder {
 public:
  ZstdDecoder(RawSource src, std::vector<char> head, std::size_t n)
      : raw_(src, std::move(head), n), ds_(ZSTD_createDCtx()) {
    if (!ds_) throw std::bad_alloc();
  }
  ~ZstdDecoder() override { ZSTD_freeDCtx(ds_); }
  ZstdDecoder(const ZstdDecoder&) = delete;
  ZstdDecoder& operator=(const ZstdDecoder&) = delete;

  long Read(char* out, std::size_t cap) override {
    ZSTD_outBuffer to = {out, cap, 0};
    while (to.pos < to.size && !failed_) {
      if (to.pos > 0 && raw_.avail == 0) break;  // hand out what is there rather than wait
      if (raw_.avail == 0) raw_.Refill();
      if (raw_.avail == 0 && frame_done_ && !raw_.Failed()) break;  // clean end after a whole frame
      ZSTD_inBuffer from = {raw_.next, raw_.avail, 0};
      std::size_t had = to.pos;
      std::size_t hint = ZSTD_decompressStream(ds_, &to, &from);
      raw_.next += from.pos;
      raw_.avail -= from.pos;
      if (ZSTD_isError(hint)) {
        failed_ = true;
      } else {
        // 0: a frame ended and all of it is out; else more is needed
        frame_done_ = hint == 0;
        if (from.pos == 0 && to.pos == had && !raw_.Refill()) failed_ = true;  // cut short
      }
    }
    if (to.pos > 0) return static_cast<long>(to.pos);
    return failed_ ? -1 : 0;
  }

 private:
  RawBuffer raw_;
  ZSTD_DCtx* ds_;
  bool frame_done_ = false;
  bool failed_ = false;
};

}  // namespace

std::unique_ptr<Decoder> MakeZstdDecoder(RawSource src, std::vector<char> head, std::size_t n) {
  return std::make_unique<ZstdDecoder>(src, std::move(head), n);
}

}  // namespace col
