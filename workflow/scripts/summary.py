#!/usr/bin/env python3
"""One sample's line of the index: records and bases of its col file, features
of its GenBank file, variants of its annotated VCF.

Usage: summary.py SAMPLE GENBANK COL BED|- VCF|- OUT.tsv

Inputs may be plain, gzip (BGZF too) or zstd, told apart by their first bytes.
OUT.tsv gets a header line and one line: sample, records, bases, features,
regions (of the BED file), variants, annotated, ref_mismatch (empty where the
sample has no BED or no VCF file).
"""
import contextlib
import gzip
import subprocess
import sys

FIELDS = ("sample", "records", "bases", "features", "regions", "variants", "annotated", "ref_mismatch")
GZIP, ZSTD = b"\x1f\x8b", b"\x28\xb5\x2f\xfd"


@contextlib.contextmanager
def open_any(path):
    """A binary line stream of the file, decompressed where it is compressed."""
    with open(path, "rb") as f:
        magic = f.read(4)
    if magic.startswith(GZIP):
        with gzip.open(path, "rb") as f:
            yield f
    elif magic == ZSTD:
        proc = subprocess.Popen(["zstd", "-dcq", "--", path], stdout=subprocess.PIPE)
        try:
            yield proc.stdout
        finally:
            proc.stdout.close()
            if proc.wait() != 0:
                sys.exit("summary: zstd could not decompress %s" % path)
    else:
        with open(path, "rb") as f:
            yield f


def count_col(path):
    """Entries and body lines, following the col file's three marker lines."""
    records = bases = 0
    state = "header"
    with open_any(path) as f:
        for line in f:
            if state == "body":
                if line[:12] == b"; **********":
                    state = "text"
                else:
                    bases += 1
            elif line[:12] == (b"; ==========" if state == "header" else b"; ----------"):
                if state == "text":
                    records += 1
                state = "text" if state == "header" else "body"
    return records, bases


def count_features(path):
    """Feature-table entries other than source: lines with the key at column 6."""
    features = 0
    in_table = False
    with open_any(path) as f:
        for line in f:
            if line.startswith(b"FEATURES"):
                in_table = True
            elif in_table and line[:5] == b"     " and line[5:6].strip():
                features += line.split(None, 1)[0] != b"source"
            elif line[:1].strip():
                in_table = False
    return features


def count_regions(path):
    """BED lines other than blank, comment, track and browser lines."""
    with open_any(path) as f:
        return sum(1 for line in f if line.strip() and not line.startswith((b"#", b"track", b"browser")))


def count_variants(path):
    """Data lines; those annotated with their effects; those whose REF differs
    from the record (annotated as such, not counted as annotated)."""
    variants = annotated = mismatch = 0
    with open_any(path) as f:
        for line in f:
            if line.startswith(b"#") or not line.strip():
                continue
            variants += 1
            info = line.split(b"\t")[7] if line.count(b"\t") >= 7 else b""
            items = [item.split(b"=", 1) for item in info.split(b";")]
            values = [kv[1] for kv in items if len(kv) == 2 and kv[0] in (b"GBCSQ", b"ANN")]
            if any(b"ref_mismatch" in v or b"REF_DOES_NOT_MATCH" in v for v in values):
                mismatch += 1
            elif values:
                annotated += 1
    return variants, annotated, mismatch


def main():
    if len(sys.argv) != 7:
        sys.exit("usage: summary.py SAMPLE GENBANK COL BED|- VCF|- OUT.tsv")
    sample, genbank, col, bed, vcf, out = sys.argv[1:]
    row = [sample, *count_col(col), count_features(genbank)]
    row.append(count_regions(bed) if bed != "-" else "")
    row += count_variants(vcf) if vcf != "-" else ["", "", ""]
    with open(out, "w") as f:
        f.write("\t".join(FIELDS) + "\n" + "\t".join(str(v) for v in row) + "\n")


if __name__ == "__main__":
    main()
