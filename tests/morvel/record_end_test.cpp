// How records end in real files: end lines with trailing white space or
// without a newline, CRLF line ends, blank lines between and after records,
// text after the last record and input cut off inside a record. Each form is
// compared, in every mode, with the output of the clean LF input.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "morvel.h"

using namespace col;
using namespace morvel;

namespace {

struct CloseFile {
  void operator()(FILE* f) const { std::fclose(f); }
};

struct Result {
  int status;
  std::string out;
};

// Converts `input` with the option pieces as the command-line scanner hands
// them out.
Result Convert(const std::vector<std::string>& pieces, const std::string& input) {
  Options opt;
  for (const auto& piece : pieces) EXPECT_TRUE(ApplyOption(opt, piece)) << piece;
  std::unique_ptr<FILE, CloseFile> file{std::tmpfile()};
  int status;
  {
    Output out(file.get(), 1 << 12);
    Input in;
    in.UseMemory(input);
    status = Convert(opt, in, out);
    out.Flush();
  }
  std::string text;
  std::rewind(file.get());
  for (int c; (c = std::fgetc(file.get())) != EOF;) text += static_cast<char>(c);
  return {status, text};
}

std::string WithCrlf(const std::string& text) {
  std::string crlf;
  for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return crlf;
}

std::string WithoutCr(std::string text) {
  std::erase(text, '\r');
  return text;
}

const std::string kFirst =
    "LOCUS       ONE 20 bp DNA linear\n"
    "ACCESSION   ONE1 ONE2\n"
    "FEATURES             Location/Qualifiers\n"
    "     gene            2..19\n"
    "     CDS             join(2..7,\n"
    "                     10..15)\n"
    "                     /codon_start=2\n"
    "     exon            complement(3..9)\n"
    "                     /note=\"x\"\n"
    "ORIGIN\n"
    "        1 acgtacgtac gtacgtacgt\n"
    "//\n";
const std::string kSecond =
    "LOCUS       TWO 12 bp DNA linear\n"
    "ACCESSION   TWO1\n"
    "FEATURES             Location/Qualifiers\n"
    "     CDS             complement(1..9)\n"
    "                     /gene=\"y\"\n"
    "ORIGIN\n"
    "        1 ttgacc atgg\n"
    "//\n";
const std::string kRecords = kFirst + kSecond;

const std::vector<std::vector<std::string>> kModes = {
    {},
    {"-gene"},
    {"g", "-bothstrand"},
    {"-annotate=CDS,exon", "-extend=2", "-posname", "-bothstrand"},
    {"i5", "-mutation=t"},
    {"-longinfo=3-8"},
    {"i11", "-longinfo=1-20"},
};

std::string ModeName(const std::vector<std::string>& mode) {
  std::string name;
  for (const auto& piece : mode) name += piece + " ";
  return name;
}

// The second record's end line "//\n" written another way.
std::string SecondEndsWith(const std::string& end) { return kRecords.substr(0, kRecords.size() - 3) + end; }

TEST(RecordEnd, FormsThatEndRecordsCleanly) {
  const struct {
    const char* name;
    std::string input;
  } cases[] = {
      {"end line with a blank", SecondEndsWith("// \n")},
      {"end line with a tab", SecondEndsWith("//\t\n")},
      {"end line with CR", SecondEndsWith("//\r\n")},
      {"end line without newline", SecondEndsWith("//")},
      {"end line with blanks, no newline", SecondEndsWith("// \t")},
      {"first end line with CR", kFirst.substr(0, kFirst.size() - 1) + "\r\n" + kSecond},
      {"empty line between records", kFirst + "\n" + kSecond},
      {"white space between records", kFirst + "  \n\t\n\r\n \r\n" + kSecond},
      {"empty line at the end", kRecords + "\n"},
      {"white space at the end", kRecords + "\n   \n\r\n\t"},
      {"blank line at the start", "\n" + kRecords},
  };
  for (const auto& mode : kModes) {
    Result clean = Convert(mode, kRecords);
    ASSERT_EQ(clean.status, 0);
    for (const auto& c : cases) {
      Result got = Convert(mode, c.input);
      EXPECT_EQ(got.status, 0) << c.name << " | " << ModeName(mode);
      EXPECT_EQ(got.out, clean.out) << c.name << " | " << ModeName(mode);
    }
  }
}

TEST(RecordEnd, CrlfGivesTheEntriesAndReportsOfLf) {
  for (const auto& mode : kModes) {
    Result lf = Convert(mode, kRecords);
    Result crlf = Convert(mode, WithCrlf(kRecords));
    EXPECT_EQ(crlf.status, 0) << ModeName(mode);
    // The range report echoes the feature-table lines as they stand.
    EXPECT_EQ(WithoutCr(crlf.out), lf.out) << ModeName(mode);
    bool range_report = !mode.empty() && mode.back().starts_with("-longinfo");
    EXPECT_EQ(crlf.out.find('\r') != std::string::npos, range_report) << ModeName(mode);
  }
}

TEST(RecordEnd, FormatErrorsAfterTheCompleteRecords) {
  const std::size_t in_features = kSecond.find("     CDS");
  const std::size_t in_sequence = kSecond.find("        1");
  const struct {
    const char* name;
    std::string input;
    std::string written;  // the records whose output comes before the error
  } cases[] = {
      {"text after the last record", kRecords + "junk\n", kRecords},
      {"text after blank lines", kRecords + "\n\nx", kRecords},
      {"second end line", kRecords + "//\n", kRecords},
      {"ends inside the features", kFirst + kSecond.substr(0, in_features + 5), kFirst},
      {"ends after a qualifier", kFirst + kSecond.substr(0, in_sequence - 7), kFirst},
      {"ends inside the sequence", kFirst + kSecond.substr(0, in_sequence + 14), kFirst},
      {"ends before the end line", kFirst + kSecond.substr(0, kSecond.size() - 3), kFirst},
      {"end line with text", SecondEndsWith("//x\n"), kFirst},
      {"CRLF, ends inside the sequence", WithCrlf(kFirst + kSecond.substr(0, in_sequence + 14)), kFirst},
      {"first record cut off", kFirst.substr(0, 40), ""},
  };
  for (const auto& mode : kModes) {
    for (const auto& c : cases) {
      Result want = Convert(mode, c.written);
      Result got = Convert(mode, c.input);
      EXPECT_EQ(got.status, 1) << c.name << " | " << ModeName(mode);
      EXPECT_EQ(WithoutCr(got.out), want.out) << c.name << " | " << ModeName(mode);
    }
  }
}

TEST(RecordEnd, TextBetweenRecordsIsPassedOver) {
  // As text before the first record is; only text after the last record
  // without a LOCUS line behind it is a format error.
  for (const auto& mode : kModes) {
    Result got = Convert(mode, kFirst + "junk between\n" + kSecond);
    EXPECT_EQ(got.status, 0) << ModeName(mode);
    EXPECT_EQ(got.out, Convert(mode, kRecords).out) << ModeName(mode);
  }
}

}  // namespace
