#!/usr/bin/env python3
"""The workflow's helper scripts without Snakemake: the sample-sheet reader
(accepted sheets and the message of each refused one) and the summary
counters on col, GenBank and VCF text with the traps of each format.

Usage: test_scripts.py WORKFLOW_SCRIPTS_DIR
"""
import gzip
import os
import sys
import tempfile

sys.dont_write_bytecode = True
sys.path.insert(0, sys.argv[1])
import sheet  # noqa: E402
import summary  # noqa: E402

failures = []


def check(name, got, expected):
    if got != expected:
        failures.append("%s: got %r, expected %r" % (name, got, expected))


def write(folder, name, data, compress=False):
    path = os.path.join(folder, name)
    with (gzip.open if compress else open)(path, "wb") as f:
        f.write(data.encode())
    return path


def sheets(tmp):
    write(tmp, "a.gb", "")
    write(tmp, "a.bed", "")
    # sheet text ; expected samples as "name:genbank:bed:vcf" or the error's tail
    cases = [
        ("sample\tgenbank\tbed\tvcf\nx\ta.gb\ta.bed\t\n", ["x:a.gb:a.bed:None"]),
        ("#Sample\tcohort\tGenBank\r\n\r\nx\tc1\ta.gb\r\n# y\tc1\ta.gb\r\ny.2\tc2\ta.gb\r\n",
         ["x:a.gb:None:None", "y.2:a.gb:None:None"]),
        ("sample\tgenbank\nx\ta.gb\nx\ta.gb\n", "line 3: sample 'x' is named already on line 2"),
        ("sample\tgenbank\n../x\ta.gb\n", "line 2: sample name '../x' must begin with a letter or digit"
         " and hold only letters, digits, '.', '_' and '-'"),
        ("sample\tgenbank\nx\t\n", "line 2: sample 'x' has no genbank file"),
        ("sample\tgenbank\tvcf\nx\ta.gb\tmissing.vcf\n", "line 2: vcf file '%s' not found"
         % os.path.join(tmp, "missing.vcf")),
        ("name\tgenbank\nx\ta.gb\n", "line 1: the header line names no 'sample' column"),
        ("sample\tgenbank\n", "holds no sample"),
    ]
    for number, (text, expected) in enumerate(cases):
        path = write(tmp, "sheet%d.tsv" % number, text)
        try:
            got = ["%s:%s:%s:%s" % (s["sample"], os.path.relpath(s["genbank"], tmp),
                                    s["bed"] and os.path.relpath(s["bed"], tmp), s["vcf"])
                   for s in sheet.read_sheet(path, tmp)]
        except sheet.SheetError as err:
            got = str(err)
            if isinstance(expected, str) and expected in got:
                got = expected
        check("sheet %d" % number, got, expected)


COL = """; header line ; ----------
; ==========
; TYPE DNA
; ==========
; ----------
N a 1
; ----------
;
N c 2
; **********
; TYPE DNA
; ----------
; **********
"""
GENBANK = """LOCUS       A 10 bp DNA
FEATURES             Location/Qualifiers
     source          1..10
     gene            1..5
                     /note="     not a feature"
     CDS             join(1..3,
                     4..6)
ORIGIN
        1 acgtacgtac
//
LOCUS       B 10 bp DNA
     gene            outside the feature table
FEATURES             Location/Qualifiers
     misc_feature    2
//
"""
VCF = """##fileformat=VCFv4.2
#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO
A\t1\t.\tA\tG\t.\t.\tDP=3;GBCSQ=gene|g|+|non_coding||
A\t2\t.\tT\tG\t.\t.\tGBCSQ=gene|g|+|ref_mismatch||
A\t3\t.\tG\tC\t.\t.\tANN=C|missense_variant|MODERATE
A\t4\t.\tT\tC\t.\t.\tANN=C|synonymous_variant|LOW|||||||||||||WARNING_REF_DOES_NOT_MATCH_GENOME
Z\t5\t.\tA\tC\t.\t.\tDP=4;NOTGBCSQ=x

"""
BED = "track name=x\n# comment\nA\t0\t5\n\nA\t5\t9\tr\t0\t+\n"


def counters(tmp):
    # A body line that looks like a marker is a body line; the header's one
    # "; ----------" line and the entry text's "; ==========" line end nothing.
    check("col", summary.count_col(write(tmp, "a.col", COL)), (2, 4))
    check("col gzip", summary.count_col(write(tmp, "a.col.gz", COL, True)), (2, 4))
    check("features", summary.count_features(write(tmp, "f.gb", GENBANK)), 3)
    check("variants", summary.count_variants(write(tmp, "v.vcf", VCF)), (5, 2, 2))
    check("regions", summary.count_regions(write(tmp, "r.bed.gz", BED, True)), 2)


with tempfile.TemporaryDirectory() as tmp:
    sheets(tmp)
    counters(tmp)
for failure in failures:
    print("FAIL:", failure)
sys.exit(1 if failures else 0)
