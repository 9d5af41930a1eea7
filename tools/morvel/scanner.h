// The GenBank record scanner: finds records, follows the feature table, reads
// the sequence and hands each finished record to the writer.
#pragma once

#include <string>

#include "options.h"
#include "output.h"

// One conversion run: the settings, the output and the scanner's state.
struct Conversion {
  Conversion(const Options& options, Output& output) : opt(options), out(output) {}
  const Options& opt;
  Output& out;
  bool seeking = true;       // looking for the next LOCUS line
  bool skipped = false;      // lines were skipped while seeking
};

// Runs the scanner over one input line (newline included). False after a
// format error, once "Error in format\n" has been written to standard error.
bool scan_line(Conversion& run, const std::string& line);

// Ends the input; false (after "Error in format\n") when lines followed the
// last record without a LOCUS line among them.
bool scan_end(Conversion& run);
