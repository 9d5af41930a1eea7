// morvel --variants: the effects of the variants of a VCF file on the
// features of the GenBank records they name, written back into the VCF as
// the INFO item GBCSQ.
//
// The run reads the VCF once to check it and to index its SNVs, reads the
// GenBank input once (the GenBank reader hands its records, features and
// residues to the annotator), and reads the VCF a second time to write it
// with the annotations. A VCF that is not a regular file (a pipe)
// is kept in memory between the two readings. The record index lives in
// variant_index.h, the codon effects in codon_effects.h, VCF text in vcf.h.
#pragma once

#include <string_view>

#include "file.h"
#include "options.h"
#include "output.h"

namespace morvel {

// The whole --variants run over the GenBank input `genbank`: the VCF of
// opt.variants is read, annotated and written to `out`. `command` is the
// command line for the "##morvelCommand=" header line. Returns the exit
// status; messages go to standard error.
int AnnotateVariants(const Options& opt, col::Input& genbank, col::Output& out, std::string_view command);

}  // namespace morvel
