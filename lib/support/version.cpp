#include "version.h"

#include "output.h"

#ifndef COL_SUITE_VERSION
#error "COL_SUITE_VERSION comes from the build (the project version)"
#endif

namespace col {

const char* SuiteVersion() { return COL_SUITE_VERSION; }

InfoOption ReadInfoOption(std::string_view piece) {
  if (piece == "-help") return InfoOption::kHelp;
  if (piece == "-version") return InfoOption::kVersion;
  return InfoOption::kNone;
}

void PrintInfo(InfoOption option, const char* tool, std::string_view help) {
  Output& out = StdOut();
  if (option == InfoOption::kHelp) {
    out.Write(help);
  } else if (option == InfoOption::kVersion) {
    out.Write(tool);
    out.Put(' ');
    out.Write(SuiteVersion());
    out.Put('\n');
  }
}

}  // namespace col
