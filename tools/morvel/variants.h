// morvel --variants: the effects of the variants of a VCF file on the
// features of the GenBank records they name, written back into the VCF as
// the INFO item GBCSQ.
//
// The run reads the VCF once to check it and to index its SNVs, reads the
// GenBank input once (the record scanner hands every feature and each
// record's residues to the Annotator), and reads the VCF a second time to
// write it with the annotations. A VCF that is not a regular file (a pipe)
// is kept in memory between the two readings. The record index lives in
// variant_index.h, the codon effects in codon_effects.h, VCF text in vcf.h.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "file.h"
#include "location.h"
#include "options.h"
#include "output.h"

struct Annotator;

// Hooks of the record scanner. Every line of a record's header (from its
// LOCUS line to its FEATURES or ORIGIN line): the LOCUS, ACCESSION and
// VERSION lines name the record.
void VariantsHeaderLine(Annotator& an, std::string_view line);
// A qualifier line of the open feature (/locus_tag, /gene, /transl_table and
// /codon_start are read).
void VariantsQualifier(Annotator& an, std::string_view line);
// A feature has closed: its key and parsed location (null when it did not
// parse).
void VariantsFeature(Annotator& an, const std::string& key, LocPtr loc);
// The record's end line: its residues, position p at index p - 1.
void VariantsRecordEnd(Annotator& an, std::string_view residues);

// The GenBank conversion that feeds the scanner hooks: convert() of morvel.h,
// handed in so that the annotator does not depend on the tool above it.
using ConvertFn = int (*)(const Options& opt, col::Input& in, col::Output& out, Annotator* variants);

// The whole --variants run over the GenBank input `genbank`, read by
// `convert`: the VCF of opt.variants is read, annotated and written to `out`.
// `command` is the command line for the "##morvelCommand=" header line.
// Returns the exit status; messages go to standard error.
int AnnotateVariants(const Options& opt, col::Input& genbank, col::Output& out, std::string_view command,
                     ConvertFn convert);

// AnnotateVariants with morvel's convert(); the entry point morvel.cpp calls.
int annotate_variants(const Options& opt, col::Input& genbank, col::Output& out, std::string_view command);
