// VCF text as morvel --variants reads and writes it: the columns of a data
// line, its POS, and the INFO column with the GBCSQ item put in.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "output.h"

namespace morvel {

// The first eight columns of a data line, viewed in the line itself.
struct VcfLine {
  std::string_view chrom, pos, id, ref, alt, qual, filter, info;
};

// The INFO item morvel writes and the header line that describes it.
constexpr std::string_view kGbcsqInfo =
    "##INFO=<ID=GBCSQ,Number=.,Type=String,Description=\"Consequence per GenBank feature "
    "covering the REF bases, by morvel. Format: KEY|NAME|STRAND|EFFECT|CODON|PROTEIN"
    "[|combined or codon_shared]; intergenic when no feature covers them\">\n";

// INFO values may not hold white space, ";", "=" or ","; "|" separates the
// fields of a GBCSQ value. Such bytes (and "%" itself) are percent-encoded.
std::string EscapeInfo(std::string_view text);

// Cuts a data line at its tabs into the first eight columns; false when it
// has fewer than eight or CHROM, POS, REF or ALT is empty.
bool SplitVcfLine(std::string_view line, VcfLine& fields);

// POS (`text`, a view into the data line `line`): decimal digits only.
// Values beyond the range of int are kept as the largest int, which names no
// base of any record.
bool ReadVcfPos(std::string_view line, std::string_view text, int& pos);

// The number of sample columns the "#CHROM" header line declares.
int CountSamples(std::string_view chrom_line);

// A "##INFO" line that declares GBCSQ (an earlier run's; it is replaced).
bool IsGbcsqInfoLine(std::string_view line);

// Writes a data line with "GBCSQ=" (or the `item` given) and `value` in its
// INFO column: a "." (or empty) INFO becomes the item alone, an existing one is replaced
// where it stands, otherwise the item is appended after a ";". Every other
// byte of the line is written as read.
void WriteVcfLine(col::Output& out, std::string_view line, const VcfLine& fields, std::string_view value,
                  std::string_view item = "GBCSQ");

}  // namespace morvel
