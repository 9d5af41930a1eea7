#!/usr/bin/env python3
"""tindra --bed against a model of its colouring, written from the rules
alone, on random BED files and col files (fixed seed).

    bed_model.py BIN_DIR SAMPLE_GB [CASES]

The col files come from morvel (--gene, --bothstrand: minus-strand entries
of the same name) on SAMPLE_GB and on small generated records, and from
hand-made entries with alignpos, seqpos or no position column and unusual
position fields. The BED files mix BED3 to BED12, tabs and blanks, CRLF,
track, browser, "#" and blank lines, the three strands and others, itemRgb
"0", good and bad colours, empty and overlapping regions, and chroms that
name no entry, chroms with and without a version suffix (".1"). Options add
-r, -s/--seq=, -C, -F, -f and --bed-strand. Every body line of the output
must equal the model's byte for byte, and the warnings (about reversed
ranges and about regions that name no entry) the model's; BED files with a bad line must fail with the
line's number and write nothing.
"""

import os
import random
import re
import subprocess
import sys
import tempfile

SEED = 20261214

# ---------------------------------------------------------------------------
# The model


def position_of(field):
    """A position field: an optional sign and digits; anything else, and
    numbers beyond an int, read as 0."""
    m = re.match(r"[+-]?\d+", field)
    return int(m.group()) if m and -2**31 <= int(m.group()) < 2**31 else 0


def list_items(text):
    """-r / -s items: (lo, hi) for numeric items, the text for names. Items
    end at "," or newline; one at the very end starts no further item."""
    items, at = [], 0
    while at < len(text):
        end = min([k for k in (text.find(",", at), text.find("\n", at)) if k >= 0] + [len(text)])
        item, at = text[at:end], end + 1
        m = re.match(r"\s*([+-]?\d+)\s*-\s*([+-]?\d+)", item) or re.match(r"\s*([+-]?\d+)", item)
        if m:
            nums = [int(g) for g in m.groups()]
            items.append((nums[0], nums[-1]))
        else:
            items.append(item)
    return items


def without_version(name):
    m = re.fullmatch(r"(.+)\.\d+", name)
    return m.group(1) if m else name


def names_entry(chrom, names):
    """The naming rule: equal to the ENTRY name or the first ACCESSION word,
    or equal once a version suffix is taken off one side."""
    return any(own and (chrom == own or without_version(chrom) == own or chrom == without_version(own))
               for own in names)


def entry_names(text):
    """The ENTRY name and the first ACCESSION word of an entry text."""
    name = next((m.group(1) for l in text for m in [re.match(r";\s*ENTRY\s+(.*)", l)] if m), None)
    acc = next((m.group(1) for l in text for m in [re.match(r";\s*ACCESSION\s+(\S+)", l)] if m), None)
    return name, acc


def read_bed(text):
    """(regions, bad line number or 0); a region is (chrom, lo, hi, strand, rgb)."""
    regions = []
    for number, line in enumerate(text.split("\n")[:-1] if text.endswith("\n") else text.split("\n"), 1):
        fields = [f for f in re.split(r"[ \t]+", line.rstrip("\r")) if f]
        if not fields or fields[0].startswith("#") or fields[0] in ("track", "browser"):
            continue
        ok = len(fields) >= 3 and all(re.fullmatch(r"\d+", f) and int(f) < 2**31 for f in fields[1:3])
        if not ok or int(fields[1]) > int(fields[2]):
            return regions, number
        strand = fields[5] if len(fields) > 5 and fields[5] in ("+", "-") else "."
        rgb = None
        if len(fields) > 8 and re.fullmatch(r"\d+,\d+,\d+", fields[8]) and fields[8] != "0":
            parts = [int(p) for p in fields[8].split(",")]
            rgb = parts if max(parts) <= 255 else None
        regions.append((fields[0], int(fields[1]) + 1, int(fields[2]), strand, rgb))
    return regions, 0


def expected_body(entry, entryno, opts, regions):
    """The body lines tindra writes for one entry (text lines, body lines)."""
    text, body = entry
    name = next((m.group(1) for l in text for m in [re.match(r";\s*ENTRY\s+(.*)", l)] if m), None)
    if opts["seq"] is not None and not any(i[0] <= entryno <= i[1] if isinstance(i, tuple) else i == name
                                           for i in list_items(opts["seq"])):
        return body
    cols = {m.group(2).lower(): int(m.group(1))
            for l in text for m in [re.match(r";\s*COL\s+(\d+)\s+(\S+)", l)] if m}
    column = cols.get("alignpos") or cols.get("seqpos") or 0
    minus = any(re.match(r";\s*STRAND\s+Minus(\s|$)", l) for l in text)
    mine = [r for r in regions if names_entry(r[0], entry_names(text))
            and (not opts["strand"] or r[3] in (".", "-" if minus else "+"))]
    ranges = list_items(opts["range"]) if opts["range"] is not None else None
    background = opts["bg"] or not opts["fg"]
    out = []
    for n, line in enumerate(body, 1):
        pos = position_of(line.split()[column - 1]) if column else n
        paint = None  # None: not chosen; else the background rgb (0..1)
        if ranges is not None and any(isinstance(i, tuple) and i[0] <= pos <= i[1] for i in ranges):
            paint = opts["C"]
        else:
            for r in mine:
                if r[1] <= pos <= r[2]:
                    paint = [c / 255 for c in r[4]] if r[4] else opts["C"]
        fields = []
        if background:
            fields += ["%5.3f" % c for c in paint] if paint else ["1.000"] * 3
        if opts["fg"]:
            fields += ["%5.3f" % c for c in opts["F"]] if paint else ["0.000"] * 3
        out.append(line + " " + " ".join(fields))
    return out


# ---------------------------------------------------------------------------
# Inputs


def entries_of(col):
    """The entries of a col file as (text lines, body lines)."""
    lines = col.split("\n")[:-1]
    start = next(i for i, l in enumerate(lines) if l.startswith("; ====")) + 1
    entries, text, body, in_body = [], [], [], False
    for line in lines[start:]:
        if not in_body:
            text.append(line)
            in_body = line.startswith("; ----------")
        elif line.startswith("; **********"):
            entries.append((text, body))
            text, body, in_body = [], [], False
        else:
            body.append(line)
    return entries


def genbank(rnd, name):
    length = rnd.randint(1, 120)
    seq = "".join(rnd.choice("acgt") for _ in range(length))
    lines = ["LOCUS       %-16s %11d bp    DNA     linear   SYN 01-JAN-2000\n" % (name, length),
             "ACCESSION   %s\n" % name, "FEATURES             Location/Qualifiers\n",
             "     CDS             %d..%d\n" % (1, min(length, 30)), "ORIGIN      \n"]
    for i in range(0, length, 60):
        chunk = seq[i:i + 60]
        lines.append("%9d %s\n" % (i + 1, " ".join(chunk[j:j + 10] for j in range(0, len(chunk), 10))))
    return "".join(lines) + "//\n"


def hand_entry(rnd, name):
    """An entry with alignpos, seqpos or neither, and odd position fields."""
    kind = rnd.choice(["alignpos", "seqpos", "other"])
    text = ["; TYPE              DNA", "; COL 1             label", "; COL 2             residue",
            "; COL 3             %s" % kind, "; ENTRY             %s" % name]
    if rnd.random() < 0.3:
        text.append("; ACCESSION         %s.%d X" % (name, rnd.randint(1, 2)))
    if rnd.random() < 0.4:
        text.append("; STRAND            %s" % rnd.choice(["Minus", "Minus", "Plus", "minus"]))
    text.append("; ----------")
    body, pos = [], rnd.randint(-3, 5)
    for _ in range(rnd.randint(0, 40)):
        pos += rnd.choice([1, 1, 1, 0, 2])
        field = rnd.choice([str(pos)] * 8 + [".", "+%d" % pos, "%05d" % pos, "99999999999", "12x", "123456789"])
        body.append("N %s %*s" % (rnd.choice("acgt"), rnd.choice([1, 5, 9]), field))
    return text + body + ["; **********"]


def col_file(rnd, bin_dir, sample):
    """A col file and the names of its entries."""
    choice = rnd.random()
    if choice < 0.6:
        if rnd.random() < 0.3:
            with open(sample) as f:
                gb = f.read()
        else:
            gb = "".join(genbank(rnd, "R%d" % i) for i in range(rnd.randint(1, 3)))
        args = [a for a in ("--gene", "--bothstrand") if rnd.random() < 0.6]
        col = subprocess.run([os.path.join(bin_dir, "morvel")] + args, input=gb.encode(), check=True,
                             stdout=subprocess.PIPE).stdout.decode("latin-1")
    else:
        lines = ["; hand-made", "; " + "=" * 20]
        for i in range(rnd.randint(1, 4)):
            lines += hand_entry(rnd, rnd.choice(["H1", "H2", "H%d" % i]))
        col = "\n".join(lines) + "\n"
    names = sorted({l.split(None, 2)[2] for e in entries_of(col) for l in e[0] if l.startswith("; ENTRY")})
    names += [n + rnd.choice([".1", ".2"]) for n in names]
    return col, names


def bed_file(rnd, names, top):
    lines = []
    for _ in range(rnd.randint(0, 30)):
        r = rnd.random()
        if r < 0.08:
            lines.append(rnd.choice(['track name="t" itemRgb="On"', "browser position x:1-9", "#chrom start end",
                                     "", "   ", "\t# note"]))
            continue
        start = rnd.randint(0, top)
        end = start + rnd.choice([0, 1, 3, rnd.randint(0, 40)])
        fields = [rnd.choice(names + ["chrUn"]), str(start), str(end), "r%d" % len(lines), "0",
                  rnd.choice("+-.+-.?"), str(start), str(end),
                  rnd.choice(["0", "255,0,0", "0,0,255", "30,160,60", "7,8,9", "256,0,0", "1,2", "0,0,0"]),
                  "1", "%d," % (end - start), "0,"]
        fields = fields[:rnd.choice([3, 3, 4, 5, 6, 6, 9, 9, 9, 12])]
        seps = [rnd.choice(["\t", "\t", " ", "  ", " \t"]) for _ in fields]
        line = "".join(f + s for f, s in zip(fields, seps))[:-len(seps[-1])]
        lines.append(line + ("\r" if rnd.random() < 0.1 else ""))
    return "".join(l + "\n" for l in lines)


BAD_LINES = ["chr1\t5", "chr1 9 3", "chr1 -1 3", "chr1 1x 4", "chr1 1 2147483648", "c +1 2"]


def options(rnd, names):
    opts = {"range": None, "seq": None, "bg": False, "fg": False, "C": [1.0, 0.0, 0.0], "F": [1.0, 0.0, 0.0],
            "strand": rnd.random() < 0.5}
    args = ["--bed-strand"] if opts["strand"] else []
    if rnd.random() < 0.3:
        opts["range"] = ",".join(rnd.choice(["%d-%d" % (a, a + rnd.randint(-1, 6)), str(a)])
                                 for a in (rnd.randint(-2, 60) for _ in range(rnd.randint(1, 3))))
        args.append("-r" + opts["range"])
    if rnd.random() < 0.3:
        opts["seq"] = ",".join(rnd.choice(names + ["1", "2-3", "nobody"]) for _ in range(rnd.randint(1, 2)))
        args.append("--seq=" + opts["seq"])
    r = rnd.random()
    if r < 0.3:
        opts["C"] = [rnd.choice([0, 0.25, 0.5, 1]) for _ in range(3)]
        opts["bg"] = True
        args.append("-C%g,%g,%g" % tuple(opts["C"]))
    elif r < 0.5:
        opts["bg"] = True
        args.append("-c")
    if rnd.random() < 0.3:
        opts["fg"] = True
        if rnd.random() < 0.5:
            opts["F"] = [0.2, 0.4, 0.6]
            args.append("-F0.2,0.4,0.6")
        else:
            args.append("-f")
    return opts, args


# ---------------------------------------------------------------------------
# Running


def check(bin_dir, sample, work, rnd, case):
    col, names = col_file(rnd, bin_dir, sample)
    entries = entries_of(col)
    top = max([len(e[1]) for e in entries] + [1]) + 3
    bed = bed_file(rnd, names, top)
    bad = 0
    if rnd.random() < 0.1:
        lines = bed.split("\n")[:-1]
        at = rnd.randint(0, len(lines))
        bed = "\n".join(lines[:at] + [rnd.choice(BAD_LINES)] + lines[at:]) + "\n"
    opts, args = options(rnd, names)
    regions, bad = read_bed(bed)
    bed_path, col_path = os.path.join(work, "r.bed"), os.path.join(work, "in.col")
    with open(bed_path, "w", newline="") as f:
        f.write(bed)
    with open(col_path, "w") as f:
        f.write(col)
    argv = ["--bed=" + bed_path] + args + [col_path]
    p = subprocess.run([os.path.join(bin_dir, "tindra")] + argv, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    where = "case %d: tindra %s\n--- BED ---\n%s--- col ---\n%s" % (case, " ".join(argv), bed, col)
    if bad:
        want = "tindra: Error in BED file, line %d\ntindra: %s, line %d: " % (bad, bed_path, bad)
        if p.returncode != 1 or p.stdout or not p.stderr.decode().startswith(want):
            sys.exit("%s\nwant status 1, %r; got %d, %r, %d output bytes"
                     % (where, want, p.returncode, p.stderr.decode(), len(p.stdout)))
        return
    reversed_items = [i for text in (opts["range"], opts["seq"]) if text is not None
                      for i in list_items(text) if isinstance(i, tuple) and i[0] > i[1]]
    warning = ("tindra: Warning: the range %d-%d chooses nothing (its start is greater than its end)\n"
               % reversed_items[0]) if reversed_items else ""
    unnamed = [r[0] for r in regions if not any(names_entry(r[0], entry_names(e[0])) for e in entries)]
    if unnamed:
        warning += "tindra: Warning: %d of %d BED regions name no entry (first: %s)\n" % (
            len(unnamed), len(regions), unnamed[0])
    if p.returncode != 0 or p.stderr.decode() != warning:
        sys.exit("%s\nstatus %d: %r, want %r" % (where, p.returncode, p.stderr.decode(), warning))
    got = entries_of(p.stdout.decode("latin-1"))
    if len(got) != len(entries):
        sys.exit("%s\n%d entries written for %d" % (where, len(got), len(entries)))
    for k, (entry, written) in enumerate(zip(entries, got), 1):
        want = expected_body(entry, k, opts, regions)
        for n, (a, b) in enumerate(zip(want, written[1]), 1):
            if a != b:
                sys.exit("%s\nentry %d, body line %d:\n  model  %r\n  tindra %r" % (where, k, n, a, b))
        if len(want) != len(written[1]):
            sys.exit("%s\nentry %d: %d body lines for %d" % (where, k, len(written[1]), len(want)))


def main():
    bin_dir, sample = sys.argv[1], sys.argv[2]
    cases = int(sys.argv[3]) if len(sys.argv) > 3 else 300
    rnd = random.Random(SEED)
    with tempfile.TemporaryDirectory() as work:
        for case in range(cases):
            check(bin_dir, sample, work, rnd, case)
    print("%d cases agree" % cases)


if __name__ == "__main__":
    main()
