#include "scanner.h"

#include <cstdio>

bool scan_line(Conversion& run, const std::string& line) {
  if (run.seeking) {
    if (line.compare(0, 6, "LOCUS ") != 0) {
      run.skipped = true;
      return true;
    }
    run.seeking = false;
  }
  if (line == "//\n") {
    run.seeking = true;
    run.skipped = false;
  }
  return true;
}

bool scan_end(Conversion& run) {
  if (run.seeking && run.skipped) {
    std::fputs("Error in format\n", stderr);
    return false;
  }
  return true;
}
