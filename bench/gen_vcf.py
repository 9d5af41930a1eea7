#!/usr/bin/env python3
"""Write a deterministic VCF of SNVs against the longest record of a GenBank file.

Usage: gen_vcf.py RECORDS.gb OUT.vcf COUNT

The SNVs sit at distinct random positions of the longest record, sorted by
position; REF is the record's base there (upper case), ALT another base.
Columns: the eight fixed ones, INFO "DP=n". Only the standard library is used.
"""
import random
import sys

SEED = 20261208


def longest_record(path):
    best_name, best_seq = None, b""
    name, parts, in_seq = None, [], False
    with open(path, "rb") as f:
        for line in f:
            if line.startswith(b"LOCUS "):
                name, parts, in_seq = line.split()[1].decode(), [], False
            elif line.startswith(b"ORIGIN"):
                in_seq = True
            elif line.startswith(b"//"):
                seq = b"".join(parts)
                if len(seq) > len(best_seq):
                    best_name, best_seq = name, seq
                in_seq = False
            elif in_seq:
                parts.append(b"".join(line[10:].split()))
    return best_name, best_seq


def main():
    gb, out_path, count = sys.argv[1], sys.argv[2], int(sys.argv[3])
    name, seq = longest_record(gb)
    rng = random.Random(SEED)
    positions = sorted(rng.sample(range(1, len(seq) + 1), min(count, len(seq))))
    with open(out_path, "w") as out:
        out.write("##fileformat=VCFv4.2\n##source=gen_vcf.py\n")
        out.write('##INFO=<ID=DP,Number=1,Type=Integer,Description="Read depth">\n')
        out.write("##contig=<ID=%s,length=%d>\n" % (name, len(seq)))
        out.write("#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\n")
        lines = []
        for pos in positions:
            ref = chr(seq[pos - 1]).upper()
            alt = rng.choice([b for b in "ACGT" if b != ref])
            lines.append("%s\t%d\t.\t%s\t%s\t50\tPASS\tDP=%d\n" % (name, pos, ref, alt, rng.randint(5, 80)))
        out.writelines(lines)


if __name__ == "__main__":
    main()
