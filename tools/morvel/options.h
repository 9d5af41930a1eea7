// morvel's run settings and its command line.
#pragma once

#include <string>
#include <string_view>

#include "llist.h"

namespace morvel {

struct Options {
  bool gene = false;        // columns 4 to 6: intron/exon, codonpos, strand
  bool bothstrand = false;  // a minus-strand entry after each plus-strand entry
  bool posname = false;     // with annotate: names carry first position and strand
  bool annotate = false;    // only regions of features whose key is in `keys`
  col::LList<std::string>* keys = nullptr;  // owned; newest key first
  int extend = 0;           // positions added on both sides of selected regions
  bool info = false;        // the position report
  int infopos = 0;
  bool longinfo = false;    // the range report
  int longfrom = 0;
  int longto = 0;
  char mutation = 0;        // base substituted at infopos; 0 for none
  bool normal = true;       // the file header and col entries
  std::string variants;     // --variants=: the VCF file to annotate; empty for none
  bool features = false;    // a FEATURE line per feature in every entry's text
  const char* filename = nullptr;  // the GenBank input as named; null for standard input
  bool ann = false;         // --ann: with variants, the ANN item instead of GBCSQ

  Options();
  ~Options();
  Options(const Options&) = delete;
  Options& operator=(const Options&) = delete;

  // Adds the comma-separated keys of an "--annotate=" option.
  void AddKeys(std::string_view list);
};

// Applies one option piece as the scanner hands it out; false for an unknown
// option or a failed argument check.
bool ApplyOption(Options& opt, std::string_view piece);

// Why ApplyOption refused a piece, naming the argument as typed and what it
// expects: "'--info' takes a number, as in --info=100", "unknown option '-x'".
std::string RefusalOf(std::string_view piece);

void usage();

}  // namespace morvel
