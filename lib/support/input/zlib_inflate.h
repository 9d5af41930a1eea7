// The zlib inflater of gzip members: the fallback where ISA-L is missing.
#pragma once

#include <memory>

#include "gzip.h"

namespace col {

std::unique_ptr<Inflater> MakeZlibInflater();

}  // namespace col
