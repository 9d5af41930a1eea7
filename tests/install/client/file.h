// The client's own file.h, named like a header of the col library: the
// client's "file.h" must find this one, never the library's.
#pragma once

#include <string>

#define CLIENT_OWN_FILE_H 1

// The client's own entry record, at global scope beside the library's
// col::Entry.
struct Entry {
  std::string name;
  int length = 0;
};
