// zstd input: any number of frames (skippable ones included), each checked
// by the library; after the last frame only the end of the input may follow.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "decoder.h"

namespace col {

std::unique_ptr<Decoder> MakeZstdDecoder(RawSource src, std::vector<char> head, std::size_t n);

}  // namespace col
