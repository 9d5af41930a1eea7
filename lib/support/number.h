// Integers read from text the way scanf's "%d" reads them.
//
// Every tool reads its integer option values, item lists and qualifier values
// through ScanInt, so that " 12", "+12" and "-0" mean the same everywhere.
#pragma once

#include <cstddef>
#include <string_view>

namespace col {

// What "%d" finds at the start of a text: white space (blank, tab, newline,
// vertical tab, form feed, carriage return), an optional sign, then at least
// one digit. `used` counts the characters up to the last digit; numbers
// beyond an int are found (and used up) but do not fit, and their value is
// then 0: they are never wrapped around.
struct ScannedInt {
  bool found = false;    // a sign-optional run of digits was there
  bool fits = false;     // and it makes an int
  int value = 0;         // when it fits
  std::size_t used = 0;  // characters read, 0 when nothing was found
};

ScannedInt ScanInt(std::string_view text);

// The same as a yes/no: true (with value and used set) when a number that fits
// in an int starts the text; false leaves both untouched.
bool ReadInt(std::string_view text, int& value, std::size_t& used);

}  // namespace col
