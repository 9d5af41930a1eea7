// gzip input, plain gzip files and BGZF alike: one member after another, each
// inflated with its CRC-32 and length checked. After the last member only
// the end of the input may follow; anything else there is an error, as is a
// member cut short.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "decoder.h"

namespace col {

// The inflaters: zlib always, ISA-L where the build found it.
enum class Inflate { kZlib, kIsal };

// The inflaters this build has, zlib first.
std::vector<Inflate> BuiltInflaters();

// One inflater runs one member at a time.
class Inflater {
 public:
  enum Result { kMore, kMemberEnd, kError };
  virtual ~Inflater() = default;
  // Makes ready for a new member starting at the next input byte.
  virtual void Restart() = 0;
  // Inflates what it can of `in` into `out`, advancing both: kMemberEnd once
  // the member's trailer has been checked, kError on a corrupt member.
  virtual Result Step(RawBuffer& in, char*& out, std::size_t& room) = 0;
};

std::unique_ptr<Decoder> MakeGzipDecoder(RawSource src, std::vector<char> head, std::size_t n, Inflate how);

}  // namespace col
