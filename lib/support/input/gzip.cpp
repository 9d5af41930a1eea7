#include "gzip.h"

#include "zlib_inflate.h"
#ifdef COL_HAVE_ISAL
#include "isal_inflate.h"
#endif

namespace col {

std::vector<Inflate> BuiltInflaters() {
#ifdef COL_HAVE_ISAL
  return {Inflate::kZlib, Inflate::kIsal};
#else
  return {Inflate::kZlib};
#endif
}

namespace {

class GzipDecoder : public Decoder {
 public:
  GzipDecoder(RawSource src, std::vector<char> head, std::size_t n, std::unique_ptr<Inflater> inflater)
      : raw_(src, std::move(head), n), inflater_(std::move(inflater)) {}

  // Fills `out` while compressed bytes are at hand, member after member; it
  // waits for the source only while it has nothing to hand out.
  long Read(char* out, std::size_t cap) override {
    char* at = out;
    std::size_t room = cap;
    while (room > 0 && !failed_) {
      if (room < cap && raw_.avail == 0) break;
      if (member_done_ && !NextMember()) break;
      if (raw_.avail == 0) raw_.Refill();
      const unsigned char* was = raw_.next;
      std::size_t had = room;
      Inflater::Result r = inflater_->Step(raw_, at, room);
      if (r == Inflater::kError) {
        failed_ = true;
      } else if (r == Inflater::kMemberEnd) {
        member_done_ = true;
      } else if (raw_.next == was && room == had && !raw_.Refill()) {
        failed_ = true;  // the input ended (or failed) inside a member
      }
    }
    if (room < cap) return static_cast<long>(cap - room);
    return failed_ ? -1 : 0;
  }

 private:
  // After a member: true when another one follows and is ready to inflate;
  // false at the clean end of the input, or after anything else (failed_).
  bool NextMember() {
    while (raw_.avail < 2 && raw_.Refill()) {
    }
    if (raw_.avail == 0 && !raw_.Failed()) return false;
    if (!IsGzip(reinterpret_cast<const char*>(raw_.next), raw_.avail)) {
      failed_ = true;
      return false;
    }
    inflater_->Restart();
    member_done_ = false;
    return true;
  }

  RawBuffer raw_;
  std::unique_ptr<Inflater> inflater_;
  bool member_done_ = false;
  bool failed_ = false;
};

std::unique_ptr<Inflater> MakeInflater(Inflate how) {
#ifdef COL_HAVE_ISAL
  if (how == Inflate::kIsal) return MakeIsalInflater();
#endif
  (void)how;
  return MakeZlibInflater();
}

}  // namespace

std::unique_ptr<Decoder> MakeGzipDecoder(RawSource src, std::vector<char> head, std::size_t n, Inflate how) {
  return std::make_unique<GzipDecoder>(src, std::move(head), n, MakeInflater(how));
}

}  // namespace col
