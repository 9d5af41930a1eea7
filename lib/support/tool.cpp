#include "tool.h"

#include <cstdio>
#include <new>

#include "output.h"
#include "ranges.h"

namespace col {

bool OpenInput(Input& in, const char* tool, const char* filename) {
  in.SetOrigin(tool, filename);
  if (!filename) {
    in.UseStdin();
    return true;
  }
  if (in.Open(filename)) return true;
  std::fprintf(stderr, "%s: Error in opening file '%s'\n", tool, filename);
  return false;
}

void ReportWhere(const char* tool, const char* filename, long long line, const char* reason) {
  std::fprintf(stderr, "%s: %s, line %lld: %s\n", tool, filename ? filename : "standard input", line,
               reason);
}

void ReportInputWhere(const Input& in, long long line, const std::string& reason) {
  if (in.Tool()) ReportWhere(in.Tool(), in.Path(), line > 0 ? line : 1, reason.c_str());
}

void WarnReversedRange(const char* tool, std::initializer_list<std::string_view> lists) {
  for (std::string_view list : lists) {
    for (const RangeItem& item : ParseRangeItems(list)) {
      if (item.numeric && item.fits && item.lo > item.hi) {
        std::fprintf(stderr, "%s: Warning: the range %d-%d chooses nothing (its start is greater than its end)\n",
                     tool, item.lo, item.hi);
        return;
      }
    }
  }
}

std::string Concat(std::initializer_list<std::string_view> parts) {
  std::string text;
  for (std::string_view part : parts) text.append(part);
  return text;
}

std::string AsTyped(std::string_view piece) { return Concat({"-", piece}); }

void ReportUsage(const char* tool, const char* what) { std::fprintf(stderr, "%s: %s\n", tool, what); }

int FinishInput(Input& in, const char* tool, int status) {
  if (in.Failed()) {
    std::fprintf(stderr, "%s: Error in reading file\n", tool);
    status = 1;
  }
  if (!in.IsStdin() && !in.Close()) {
    std::fprintf(stderr, "%s: Error in closing file\n", tool);
    status = 1;
  }
  return status;
}

int RunTool(const char* tool, int (*body)(int, char**), int argc, char** argv) {
  int status;
  try {
    status = body(argc, argv);
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "%s: Out of memory\n", tool);
    status = 1;
  }
  return FinishOutput(tool, status);
}

}  // namespace col
