#!/usr/bin/env python3
"""Write a deterministic col file in line form for the trasply benchmarks.

Usage: gen_lineform.py OUT.lin ENTRIES ROWS

Every entry is an RNA alignment row of ROWS residues with six columns: label,
residue (with gaps "-"), seqpos and alignpos (width only, so trasply numbers
them), align_bp (partner positions or ".") and color_r. Each column is one
body line: its print width, then one value per residue. The seed is fixed.
"""
import random
import sys

SEED = 20260102
RESIDUES = bytes.maketrans(bytes(range(256)), b"ACGU" * 28 + b"-" * 32 + b"ACGU" * 28)  # 1 in 8 a gap
COLOURS = ("1.000", "0.500", "0.250", "0.000")


def entry_text(number):
    return ("; TYPE              RNA\n"
            "; COL 1             label\n"
            "; COL 2             residue\n"
            "; COL 3             seqpos\n"
            "; COL 4             alignpos\n"
            "; COL 5             align_bp\n"
            "; COL 6             color_r\n"
            "; ENTRY             ALN%04d\n"
            "; ----------\n" % number)


def partners(rng, rows):
    # About a third of the residues pair with another position of the row.
    values = ["."] * rows
    for i in rng.sample(range(rows), rows // 3):
        values[i] = str(rows - i)
    return values


def write_entry(out, rng, number, rows):
    out.write(entry_text(number))
    out.write("2 " + " ".join(["N"] * rows) + "\n")
    out.write("6 " + " ".join(rng.randbytes(rows).translate(RESIDUES).decode()) + "\n")
    out.write("8\n")
    out.write("8\n")
    out.write("8 " + " ".join(partners(rng, rows)) + "\n")
    out.write("6 " + " ".join(rng.choices(COLOURS, k=rows)) + "\n")
    out.write("; **********\n")


def main():
    if len(sys.argv) != 4:
        sys.exit("usage: gen_lineform.py OUT.lin ENTRIES ROWS")
    path, entries, rows = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    rng = random.Random(SEED)
    with open(path, "w", newline="\n") as out:
        out.write("; Alignment rows in line form, generated for benchmarking\n")
        out.write("; " + "=" * 72 + "\n")
        for number in range(1, entries + 1):
            write_entry(out, rng, number, rows)
    print("%s: %d entries of %d rows" % (path, entries, rows))


if __name__ == "__main__":
    main()
