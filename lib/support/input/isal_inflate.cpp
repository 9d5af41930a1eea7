#include "isal_inflate.h"

#include <isa-l/igzip_lib.h>

namespace col {

namespace {

class IsalInflater : public Inflater {
 public:
  IsalInflater() { Restart(); }

  void Restart() override {
    isal_inflate_init(&st_);
    st_.crc_flag = ISAL_GZIP;  // parse the gzip header, check CRC-32 and length
  }

  Result Step(RawBuffer& in, char*& out, std::size_t& room) override {
    st_.next_in = const_cast<uint8_t*>(in.next);
    st_.avail_in = static_cast<uint32_t>(in.avail);
    st_.next_out = reinterpret_cast<uint8_t*>(out);
    st_.avail_out = static_cast<uint32_t>(room);
    int rc = isal_inflate(&st_);
    in.next = st_.next_in;
    in.avail = st_.avail_in;
    out = reinterpret_cast<char*>(st_.next_out);
    room = st_.avail_out;
    if (rc < 0) return kError;
    return st_.block_state == ISAL_BLOCK_FINISH ? kMemberEnd : kMore;
  }

 private:
  inflate_state st_{};
};

}  // namespace

std::unique_ptr<Inflater> MakeIsalInflater() { return std::make_unique<IsalInflater>(); }

}  // namespace col
