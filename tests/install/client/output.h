// The client's own output.h, named like a header of the col library.
#pragma once

#include <string>

#include "file.h"

#define CLIENT_OWN_OUTPUT_H 1

// The client's own GetLine, at global scope beside the library's
// col::GetLine: the report line of one entry.
std::string GetLine(const Entry& entry);
