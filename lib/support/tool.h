// The frame every program of the suite runs in: choosing the input, the
// messages about it, out of memory, and the final flush of standard output.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "file.h"

namespace col {

// Opens the named input, or takes standard input when `filename` is null.
// False after "<tool>: Error in opening file '<name>'\n".
bool OpenInput(Input& in, const char* tool, const char* filename);

// Ends the input: a failed read ("<tool>: Error in reading file\n") and a
// failed close of a named file ("<tool>: Error in closing file\n") turn the
// status into 1. Standard input is never closed.
int FinishInput(Input& in, const char* tool, int status);

// The second line of a failure that comes from the input: where the reader
// stopped and why, as "<tool>: <file>, line <n>: <reason>\n", the file named
// "standard input" when `filename` is null and <n> counted from 1.
void ReportWhere(const char* tool, const char* filename, long long line, const char* reason);

// ReportWhere for a reader of `in`, at `line` (at least 1): nothing when no
// tool reads it (OpenInput names the tool and the file).
void ReportInputWhere(const Input& in, long long line, const std::string& reason);

// "<tool>: Warning: the range A-B chooses nothing (its start is greater than
// its end)\n" for the first numeric item with A > B in the lists given (the
// texts of -r and -s); nothing when there is none.
void WarnReversedRange(const char* tool, std::initializer_list<std::string_view> lists);

// The parts one after the other (messages made of pieces).
std::string Concat(std::initializer_list<std::string_view> parts);

// An option piece as the user wrote it: "x" was "-x", "-bed" was "--bed".
std::string AsTyped(std::string_view piece);

// The line before the usage text that names a refused argument:
// "<tool>: <what>\n", for example "tindra: unknown option '-x'".
void ReportUsage(const char* tool, const char* what);

// Runs a program's body and returns its exit status: running out of memory
// gives "<tool>: Out of memory\n" and 1, and output that could not be written
// gives "<tool>: Error in writing output\n" and 1.
int RunTool(const char* tool, int (*body)(int, char**), int argc, char** argv);

}  // namespace col
