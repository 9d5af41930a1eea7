// The suite's version and the two informational options every tool takes:
// "--help" and "--version", each as a whole argument word.
#pragma once

#include <string_view>

namespace col {

// The suite's version, set in one place: the build's project version.
const char* SuiteVersion();

enum class InfoOption { kNone, kHelp, kVersion };

// The option piece the scanner hands out for the words "--help" ("-help")
// and "--version" ("-version"); kNone for every other piece.
InfoOption ReadInfoOption(std::string_view piece);

// Writes the help text, or "<tool> <version>\n", to standard output.
void PrintInfo(InfoOption option, const char* tool, std::string_view help);

}  // namespace col
