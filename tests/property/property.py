#!/usr/bin/env python3
"""Invariants of the tools, checked on generated inputs (fixed seed).

    property.py PROPERTY BIN_DIR [CASES]

PROPERTY is one of:
  tindra-empty-selection  tindra with an empty entry selection (-s with
                          nothing after it) copies its input byte for byte,
                          apart from the two history lines;
  tindra-idempotent       tindra run on its own output with the same options
                          gives the same entries;
  tindra-chunks           the lines far down a long entry (beyond the chunk
                          that tindra reads first) are coloured as the same
                          lines are in a short entry;
  morvel-residue          morvel's residue column holds the ORIGIN letters of
                          every record ("-" where the sequence is short);
  morvel-bothstrand       every minus-strand entry is the plus-strand entry in
                          reverse, with complemented residues;
  morvel-variants-protein for random SNVs inside the CDS features of the
                          shared GenBank files, the amino acids of
                          `morvel --variants` agree with those of
                          `morvel -iN --mutation=B` (exit 77 when the files
                          are absent).
  morvel-variants-codons  on generated records (plus and complement CDSs,
                          joins, /codon_start, "<" ends, tables 1, 4 and
                          11), the GBCSQ values of SNVs, SNVs sharing a
                          codon and MNVs equal codons and amino acids worked
                          out here from the record's letters;
  morvel-report-codonpos  the codon position the position report gives for
                          a place equals the codonpos column of --gene there,
                          and its five letters are the residues around it.
  morvel-shared           on every real record of ../shared/data/genbank (the
                          folder in $SHARED_DATA; skipped when absent): the
                          residue column holds the ORIGIN letters up to the
                          LOCUS length, positions run 1..length, the status
                          follows the records' ends, and the same file with
                          CRLF line ends gives the same output bytes.
"""

import os
import random
import re
import subprocess
import sys
import tempfile

SANITIZED = os.environ.get("SANITIZED", "OFF").upper() in ("ON", "1", "TRUE", "YES")
SEED = 20261208

# ---------------------------------------------------------------------------
# Running the tools


class Failure(Exception):
    pass


def run(bin_dir, tool, args, data):
    """Runs a tool on `data` (given as a file named in.*); argv[0] is the
    bare tool name, as the history line records it."""
    with tempfile.NamedTemporaryFile(prefix="in.", dir=WORK, delete=False) as f:
        f.write(data)
    p = subprocess.run([tool] + args + [f.name], executable=os.path.join(bin_dir, tool),
                       stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=120)
    os.unlink(f.name)
    return p.returncode, p.stdout, p.stderr


def succeed(bin_dir, tool, args, data, quiet=True):
    status, out, err = run(bin_dir, tool, args, data)
    if status != 0 or (quiet and err):
        raise Failure("%s %s: status %d, stderr %r" % (tool, " ".join(args), status, err[:300]))
    return out


# ---------------------------------------------------------------------------
# Generated col files


def pieces(args):
    """The option pieces the command-line scanner hands out, for the history
    line: "--x" whole less one dash; "-xyz" cut before every later letter."""
    out = []
    for a in args:
        if a == "--" or not a.startswith("-"):
            break
        if a.startswith("--"):
            out.append(a[1:])
            continue
        word = a[1:]
        start = 0
        for i in range(1, len(word) + 1):
            if i == len(word) or word[i].isascii() and word[i].isalpha():
                out.append(word[start:i])
                start = i
    return out


def history(args):
    text = "; 'tindra"
    for p in pieces(args):
        text += " -%s..." % p[:27] if len(p) > 30 else " -%s" % p
    return [b";\n", (text + "' was run on this file\n").encode()]


def blank(rnd):
    return rnd.choice([" ", " ", "  ", "\t", " \t "])


LABELS = ["label", "residue", "seqpos", "alignpos", "align_bp", "color_r", "color_g", "color_b",
          "color2_r", "color2_g", "color2_b", "intron/exon", "codonpos", "strand", "note"]
NAMES = ["demo", "SEQ1", "seq 2", "1ABC", "x", "demo", "a,b", ""]


def col_entry(rnd, declared=None, plain=False):
    """One entry: its text lines, its body lines and its end marker line
    (bytes). A plain entry has at least one body line and no carriage
    returns."""
    ncols = rnd.randint(1, 8)
    if declared is None:
        declared = rnd.random() < 0.8
    cols = rnd.sample(LABELS, ncols) if declared else ["label", "residue", "alignpos", "seqpos", "align_bp"][:ncols]
    text = []
    if rnd.random() < 0.9:
        text.append("; TYPE              %s\n" % rnd.choice(["DNA", "RNA", "PROTEIN"]))
    if declared:
        for i, c in enumerate(cols):
            text.append(rnd.choice(["; COL %-3d           %s\n", ";COL %d %s\n", "; COL %d\t%s extra\n"]) % (i + 1, c))
    if rnd.random() < 0.9:
        text.append("; ENTRY             %s\n" % rnd.choice(NAMES))
    for _ in range(rnd.randint(0, 2)):
        text.append(rnd.choice(["; ACCESSION         A1_B2\n", "; **********\n", "; ==========\n", ";\n",
                                "free text\n", "; LENGTH            12\n"]))
    text.append(rnd.choice(["; ----------\n", "; ----------------------\n", "; ---------- x\n"]))
    body = []
    position = rnd.randint(-3, 20)
    for n in range(rnd.randint(1 if plain else 0, 25)):
        fields = []
        for c in cols:
            if c in ("seqpos", "alignpos", "align_bp"):
                fields.append(rnd.choice([str(position), str(position), ".", "-7", "2147483648"]))
            elif c.startswith("color"):
                fields.append(rnd.choice(["1.000", "0.000", "0.5", "12.250"]))
            else:
                fields.append(rnd.choice(["N", "a", "C", "-", "x", "."]))
        position += 1
        if rnd.random() < 0.1:
            fields = fields[:rnd.randint(0, len(fields))]  # a short line
        line = blank(rnd).join("%*s" % (rnd.randint(1, 6), f) for f in fields)
        if rnd.random() < 0.05:
            line = rnd.choice([";", "; ---------- body", ""])
        body.append(line + rnd.choice(["\n"] * 12 + ([" \n"] if plain else ["\r\n", " \n"])))
    end = rnd.choice(["; **********\n", "; **********\n", "; ************** end\n"])
    return [t.encode() for t in text], [b.encode() for b in body], end.encode()


def col_file(rnd, declared=None, plain=False):
    """A whole col file as (header lines, entries)."""
    header = [rnd.choice(["; File generated by morvel\n", "; demo file\n", ";\n", "; 'tindra -c' was run on this file\n",
                          "free text\n"]) for _ in range(rnd.randint(0, 3))]
    header.append(rnd.choice(["; ==========\n", "; " + "=" * 72 + "\n", "; ========== more\n"]))
    header = [h.encode() for h in header]
    entries = [col_entry(rnd, declared, plain) for _ in range(rnd.randint(0, 5))]
    return header, entries


def join_file(header, entries, drop_last_newline=False):
    data = b"".join(header) + b"".join(b"".join(t) + b"".join(b) + e for t, b, e in entries)
    if drop_last_newline and data.endswith(b"\n"):
        data = data[:-1]
    return data


def split_after_header(data):
    """The header (up to and including the separator line) and the rest."""
    pos = 0
    while True:
        nl = data.find(b"\n", pos)
        line = data[pos:] if nl < 0 else data[pos:nl + 1]
        if line[:12].lower() == b"; ==========":
            end = pos + len(line)
            return data[:end], data[end:]
        if nl < 0:
            raise Failure("no header separator in %r" % data[:200])
        pos = nl + 1


def range_text(rnd):
    items = []
    for _ in range(rnd.randint(0, 3)):
        a = rnd.randint(-3, 25)
        items.append(rnd.choice(["%d" % a, "%d-%d" % (a, a + rnd.randint(-2, 8)), " %d - %d" % (a, a + 3), "x"]))
    return ",".join(items)


def colour(rnd, exponent=True):
    """Three components; exponents only where the option is written whole."""
    values = ["0", "1", "0.5", "0.333333", "12.5", "-1"] + (["1e1"] if exponent else [])
    return ",".join(rnd.choice(values) for _ in range(3))


def tindra_options(rnd):
    opts = []
    if rnd.random() < 0.6:
        opts.append("--range=" + range_text(rnd))
    if rnd.random() < 0.4:
        opts.append("--seq=" + ",".join(rnd.choice(["1", "2-3", "demo", "seq 2", "x", "5-4"])
                                        for _ in range(rnd.randint(1, 3))))
    for flag in rnd.sample(["-c", "-f", "-cf", "--color=" + colour(rnd), "--fgcolor=" + colour(rnd),
                            "-C" + colour(rnd, False), "-F1,0,1"], rnd.randint(0, 3)):
        opts.append(flag)
    return opts


def tindra_empty_selection(bin_dir, rnd, case):
    header, entries = col_file(rnd)
    data = join_file(header, entries, drop_last_newline=rnd.random() < 0.1)
    # Other options may come first; the empty selection chooses no entry.
    opts = rnd.sample(["-r2-3", "-c", "-f", "-C0,0.5,1", "--fgcolor=1,1,1", "-s1"], rnd.randint(0, 2))
    opts.append(rnd.choice(["-s", "--seq="]))
    out = succeed(bin_dir, "tindra", opts, data)
    expected = b"".join(header[:-1]) + b"".join(history(opts)) + data[len(b"".join(header[:-1])):]
    if out != expected:
        raise Failure("tindra %s changed its input:\n%s" % (" ".join(opts), first_difference(expected, out)))


def tindra_idempotent(bin_dir, rnd, case):
    # Entries whose colouring depends on the first run's own changes are
    # left out: one that declares no column (its positions come from the
    # default layout until the colour columns are declared), one without
    # body lines (each run declares its colour columns as column 0 again)
    # and lines ending in a carriage return (the first new field follows it,
    # and rewriting that field turns it into a blank).
    header, entries = col_file(rnd, declared=True, plain=True)
    data = join_file(header, entries)
    opts = tindra_options(rnd)
    once = succeed(bin_dir, "tindra", opts, data, quiet=False)
    twice = succeed(bin_dir, "tindra", opts, once, quiet=False)
    head1, body1 = split_after_header(once)
    head2, body2 = split_after_header(twice)
    if body1 != body2:
        raise Failure("tindra %s twice differs from once:\n%s" % (" ".join(opts), first_difference(body1, body2)))
    sep = header[-1]
    if head2 != head1[:-len(sep)] + b"".join(history(opts)) + sep:
        raise Failure("second history line wrong:\n%s" % first_difference(head1, head2))


def tindra_chunks(bin_dir, rnd, case):
    """Lines far down a long entry are coloured as they would be near its top.
    tindra reads long bodies in chunks; the lines after the first chunk must
    come out as the same lines do in a short entry with the same first line."""
    cols = rnd.sample(LABELS, rnd.randint(1, 6))
    if "seqpos" not in cols and "alignpos" not in cols:
        cols.append("seqpos")
    text = "; TYPE              DNA\n" + "".join("; COL %-3d           %s\n" % (i + 1, c) for i, c in enumerate(cols))
    text += "; ENTRY             long\n; ----------\n"

    def line():
        fields = []
        for c in cols:
            if c in ("seqpos", "alignpos", "align_bp"):
                fields.append(str(rnd.randint(-2, 30)))
            elif c.startswith("color"):
                fields.append(rnd.choice(["1.000", "0.5", "123.250"]))
            else:
                fields.append(rnd.choice(["N", "a", "-"]))
        shape = rnd.random()
        if shape < 0.15:
            fields = fields[:rnd.randint(0, len(fields))]
        elif shape < 0.25:
            fields += ["extra"] * rnd.randint(1, 3)
        ending = rnd.choice(["\n"] * 8 + [" \n", "\r\n", "\t\n"])
        return (blank(rnd).join("%*s" % (rnd.randint(1, 7), f) for f in fields) + ending).encode()

    first = line()
    filler = [line() for _ in range(rnd.randint(4095, 9000))]
    tail = [line() for _ in range(rnd.randint(1, 300))]
    end = b"; **********\n"
    head = b"; h\n; ==========\n" + text.encode()
    opts = [o for o in tindra_options(rnd) if not o.startswith("--seq")]
    long_out = succeed(bin_dir, "tindra", opts, head + first + b"".join(filler + tail) + end, quiet=False)
    short_out = succeed(bin_dir, "tindra", opts, head + first + b"".join(tail) + end, quiet=False)
    got = long_out.split(b"\n")[-len(tail) - 2:]
    want = short_out.split(b"\n")[-len(tail) - 2:]
    if got != want:
        raise Failure("tindra %s: line %d of a long entry differs from the short one:\n%s"
                      % (" ".join(opts), 2 + len(filler), first_difference(want, got)))


def first_difference(a, b):
    la, lb = a.split(b"\n"), b.split(b"\n")
    for i, (x, y) in enumerate(zip(la, lb)):
        if x != y:
            return "line %d: expected %r\n         got %r" % (i + 1, x[:200], y[:200])
    return "lengths differ: %d lines expected, %d got" % (len(la), len(lb))


# ---------------------------------------------------------------------------
# Generated GenBank records

LETTERS = "acgtacgtacgtnACGTUury-*#"
COMPLEMENT = dict(zip("ACGTUacgtu", "TGCAAtgcaa"))


def location(rnd, length):
    def span():
        a = rnd.randint(1, max(1, length))
        b = rnd.randint(a, max(a, min(length + 3, a + 40)))
        return rnd.choice(["%d..%d" % (a, b), "<%d..%d" % (a, b), "%d..>%d" % (a, b), "%d" % a])
    parts = [span() for _ in range(rnd.randint(1, 3))]
    loc = parts[0] if len(parts) == 1 else "join(%s)" % ",".join(parts)
    return "complement(%s)" % loc if rnd.random() < 0.4 else loc


def genbank_record(rnd, name):
    length = rnd.choice([0, 1, 2, 3, rnd.randint(4, 40), rnd.randint(40, 400)])
    count = rnd.choice([length, length, length, max(0, length - rnd.randint(1, 5)), length + rnd.randint(1, 5)])
    sequence = "".join(rnd.choice(LETTERS) for _ in range(count))
    lines = ["LOCUS       %-16s %11d bp    DNA     linear   SYN 01-JAN-2000\n" % (name, length),
             "ACCESSION   %s\n" % name, "FEATURES             Location/Qualifiers\n"]
    if length:
        for _ in range(rnd.randint(0, 6)):
            key = rnd.choice(["gene", "CDS", "exon", "intron", "mRNA", "3'UTR", "5'UTR", "misc_feature", "source"])
            lines.append("     %-16s%s\n" % (key, location(rnd, length)))
            if key == "CDS" and rnd.random() < 0.5:
                lines.append('                     /codon_start=%d\n' % rnd.randint(1, 3))
            lines.append('                     /note="n"\n')
    lines.append("ORIGIN      \n")
    for i in range(0, len(sequence), 60):
        chunk = sequence[i:i + 60]
        lines.append("%9d %s\n" % (i + 1, " ".join(chunk[j:j + 10] for j in range(0, len(chunk), 10))))
    lines.append("//\n")
    return "".join(lines), length, sequence


def morvel_entries(out):
    """The entries of morvel's output as (text lines, body lines)."""
    _, rest = split_after_header(out)
    entries = []
    text, body, in_body = [], [], False
    for line in rest.decode("latin-1").split("\n")[:-1]:
        if not in_body:
            text.append(line)
            in_body = line.startswith("; ----------")
        elif line.startswith("; **********"):
            entries.append((text, body))
            text, body, in_body = [], [], False
        else:
            body.append(line)
    if text or in_body:
        raise Failure("output ends inside an entry")
    return entries


def morvel_input(rnd):
    records = [genbank_record(rnd, "R%d" % i) for i in range(rnd.randint(1, 4))]
    return "".join(r[0] for r in records).encode(), records


def morvel_residue(bin_dir, rnd, case):
    data, records = morvel_input(rnd)
    opts = rnd.choice([[], ["--gene"], ["-g", "--bothstrand"]])
    entries = morvel_entries(succeed(bin_dir, "morvel", opts, data))
    plus = [e for e in entries if "; STRAND            Minus" not in e[0]]
    written = [r for r in records if r[1] > 0]
    if len(plus) != len(written):
        raise Failure("%d plus-strand entries for %d records of positive length" % (len(plus), len(written)))
    for (text, body), (_, length, sequence) in zip(plus, written):
        if len(body) != length:
            raise Failure("%d body lines for length %d" % (len(body), length))
        for p, line in enumerate(body, 1):
            fields = line.split()
            want = sequence[p - 1] if p <= len(sequence) else "-"
            if fields[1] != want or fields[2] != str(p):
                raise Failure("position %d of %s: line %r, residue %r expected" % (p, text[4], line, want))


def morvel_bothstrand(bin_dir, rnd, case):
    data, records = morvel_input(rnd)
    opts = rnd.choice([["--bothstrand"], ["--bothstrand", "--gene"]])
    entries = morvel_entries(succeed(bin_dir, "morvel", opts, data))
    if len(entries) % 2:
        raise Failure("odd number of entries with --bothstrand")
    for (ptext, pbody), (mtext, mbody) in zip(entries[0::2], entries[1::2]):
        if mtext != ptext[:-1] + ["; STRAND            Minus"] + ptext[-1:]:
            raise Failure("minus entry text %r for plus entry text %r" % (mtext, ptext))
        if len(mbody) != len(pbody):
            raise Failure("minus entry of %d lines for %d plus lines" % (len(mbody), len(pbody)))
        for pline, mline in zip(reversed(pbody), mbody):
            p, m = pline.split(), mline.split()
            want = COMPLEMENT.get(p[1], "n")
            if m[1] != want or m[:1] + m[2:] != p[:1] + p[2:]:
                raise Failure("minus line %r for plus line %r" % (mline, pline))


# ---------------------------------------------------------------------------
# morvel --variants against the position report

SHARED_GENBANK = os.path.join(os.environ.get("SHARED_DATA", ""), "genbank")
PROTEIN = re.compile(r"^([A-Z*])(\d+)([A-Z*])$")
REPORT = re.compile(r"\((.) -> (.)\) \((.) -> (.)\)$")
_gene_columns = {}
COMPARED = [0]  # SNVs compared with the report


def shared_records(bin_dir, path):
    """The records of a shared file as (name, residues, codonpos), from
    `morvel --gene`; none when morvel rejects the file."""
    if path not in _gene_columns:
        status, out, _ = run(bin_dir, "morvel", ["--gene"], open(path, "rb").read())
        records = []
        if status == 0:
            for text, body in morvel_entries(out):
                name = next(t.split()[2] for t in text if t.startswith("; ENTRY"))
                fields = [line.split() for line in body]
                records.append((name, "".join(f[1] for f in fields),
                                [int(f[4]) if f[4] != "." else 0 for f in fields]))
        _gene_columns[path] = records
    return _gene_columns[path]


def shared_files():
    names = sorted(os.listdir(SHARED_GENBANK))
    files = []
    for n in names:
        with open(os.path.join(SHARED_GENBANK, n), "rb") as f:
            text = f.read()
        # Codes other than 1 and 11 translate differently from the report.
        tables = set(re.findall(rb"/transl_table=(\d+)", text))
        if b"\n     CDS " in text and tables <= {b"1", b"11"}:
            files.append(os.path.join(SHARED_GENBANK, n))
    return files


def morvel_variants_protein(bin_dir, rnd, case):
    path = rnd.choice(shared_files())
    records = [r for r in shared_records(bin_dir, path) if any(r[2])]
    if not records:
        return
    index = rnd.randrange(len(records))
    name, residues, codonpos = records[index]
    picks = [p for p in range(1, len(residues) + 1)
             if codonpos[p - 1] and residues[p - 1] in "acgtACGT"]
    picks = sorted(rnd.sample(picks, min(4, len(picks))))
    calls = [(p, residues[p - 1].upper(), rnd.choice([b for b in "ACGT" if b != residues[p - 1].upper()]))
             for p in picks]
    # One VCF line per call, 2 samples so that no SNVs are combined.
    vcf = "##fileformat=VCFv4.2\n#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\tFORMAT\tA\tB\n"
    vcf += "".join("%s\t%d\t.\t%s\t%s\t.\t.\t.\tGT\t0/1\t0/0\n" % (name, p, r, a) for p, r, a in calls)
    vcf_path = os.path.join(WORK, "calls.vcf")
    with open(vcf_path, "w") as f:
        f.write(vcf)
    status, out, err = run(bin_dir, "morvel", ["--variants=" + vcf_path], open(path, "rb").read())
    if status != 0:
        raise Failure("morvel --variants on %s: status %d, %r" % (path, status, err[:300]))
    lines = [l for l in out.decode("latin-1").split("\n") if l and not l.startswith("#")]
    for (p, ref, alt), line in zip(calls, lines):
        info = line.split("\t")[7]
        value = info[info.index("GBCSQ=") + 6:].split(";")[0]
        cds = [v.split("|") for v in value.split(",") if v.startswith("CDS|")]
        if len(cds) != 1 or cds[0][3] == "complex" or not PROTEIN.match(cds[0][5]):
            continue  # the report reads the last of several CDSs; no clear codon here
        strand, codon, protein = cds[0][2], cds[0][4], cds[0][5]
        ref_aa, number, alt_aa = PROTEIN.match(protein).groups()
        k = next(i for i, c in enumerate(codon[:3]) if c.isupper()) + 1
        if number == "1" or codonpos[p - 1] != k:
            continue  # start codons, and /codon_start read the report's own way
        # The report reads the codon from the five bases around the position.
        if strand == "+":
            window = residues[p - k:p - k + 3]
        else:
            window = "".join(COMPLEMENT.get(c, "n") for c in reversed(residues[p + k - 4:p + k - 1]))
        if window.lower() != codon[:3].lower():
            continue  # a codon split over the ranges of a join
        base = alt if strand == "+" else COMPLEMENT[alt]
        _, report, _ = run(bin_dir, "morvel", ["-i%d" % p, "--mutation=" + base], open(path, "rb").read())
        got = REPORT.search(report.decode("latin-1").split("\n")[index])
        if not got:
            raise Failure("%s %s:%d: no codon in the position report" % (path, name, p))
        want = tuple(a.replace("-", "*") for a in got.groups()[:2])
        COMPARED[0] += 1
        if (ref_aa, alt_aa) != want:
            raise Failure("%s %s:%d %s>%s: --variants %s, -i %s -> %s"
                          % (os.path.basename(path), name, p, ref, alt, protein, *want))
# ---------------------------------------------------------------------------
# morvel --variants against codons worked out here

CODON_ORDER = [a + b + c for a in "TCAG" for b in "TCAG" for c in "TCAG"]
STANDARD = "FFLLSSSSYY**CC*WLLLLPPPPHHQQRRRRIIIMTTTTNNKKSSRRVVVVAAAADDEEGGGG"
CODES = {  # amino acids and start codons, in the order of CODON_ORDER
    1: (STANDARD, "---M---------------M---------------M----------------------------"),
    4: ("FFLLSSSSYY**CCWWLLLLPPPPHHQQRRRRIIIMTTTTNNKKSSRRVVVVAAAADDEEGGGG",
        "--MM---------------M------------MMMM---------------M------------"),
    11: (STANDARD, "---M---------------M------------MMMM---------------M------------"),
}
EFFECTS = ["synonymous", "missense", "stop_lost", "stop_gained", "start_lost", "complex"]


def coding_record(rnd):
    """A record of CDSs as (GenBank text, letters, CDSs); a CDS is a dict of
    its positions in reading order (position, minus strand), codon start,
    table and whether its 5' end is open."""
    length = rnd.randint(60, 240)
    letters = [rnd.choice("acgt") for _ in range(length)]
    lines = ["LOCUS       CODING %d bp DNA linear\n" % length, "ACCESSION   CODACC\n",
             "VERSION     CODACC.2\n", "FEATURES             Location/Qualifiers\n"]
    cdss = []
    for k in range(rnd.randint(1, 3)):
        ends = sorted(rnd.sample(range(1, length + 1), 2 * rnd.randint(1, 3)))
        spans = list(zip(ends[0::2], ends[1::2]))
        minus = rnd.random() < 0.5
        texts = ["%d..%d" % s for s in spans]
        open5 = rnd.random() < 0.2
        if open5 and not minus:
            texts[0] = "<" + texts[0]
        elif open5:
            texts[-1] = texts[-1].replace("..", "..>")
        loc = texts[0] if len(texts) == 1 else "join(%s)" % ",".join(texts)
        order = [(p, False) for a, b in spans for p in range(a, b + 1)]
        if minus:
            loc = "complement(%s)" % loc
            order = [(p, True) for p, _ in reversed(order)]
        cds = {"order": order, "start": rnd.choice([1, 1, 1, 2, 3]), "table": rnd.choice([1, 4, 11, None]),
               "open5": open5, "name": "T%d" % k}
        lines += ["     CDS             %s\n" % loc, '                     /locus_tag="T%d"\n' % k]
        if cds["start"] != 1 or rnd.random() < 0.3:
            lines.append("                     /codon_start=%d\n" % cds["start"])
        if cds["table"]:
            lines.append("                     /transl_table=%d\n" % cds["table"])
        if rnd.random() < 0.7 and len(order) >= 3:  # a start codon, often an alternative one
            for (p, m), c in zip(order, rnd.choice(["atg", "gtg", "ttg", "ctg", "att", "tta"])):
                letters[p - 1] = COMPLEMENT[c] if m else c
        cdss.append(cds)
    letters = "".join(letters)
    lines.append("ORIGIN\n")
    for i in range(0, length, 60):
        chunk = letters[i:i + 60]
        lines.append("%9d %s\n" % (i + 1, " ".join(chunk[j:j + 10] for j in range(0, len(chunk), 10))))
    lines.append("//\n")
    return "".join(lines), letters, cdss


def codon_value(letters, cds, changes):
    """EFFECT|CODON|PROTEIN of base changes {position: upper-case base}."""
    order = cds["order"]
    index = {p: i for i, (p, _) in enumerate(order)}
    skip = cds["start"] - 1
    codons = set()
    for p in changes:
        i = index.get(p, -1) - skip
        if i < 0 or skip + 3 * (i // 3) + 2 >= len(order):
            return "complex||"  # outside the CDS's complete codons
        codons.add(i // 3)
    amino, starts = CODES[cds["table"] or 1]
    worst, ref, alt, ref_aa, alt_aa = 0, "", "", "", ""
    for k in range(min(codons), max(codons) + 1):
        r = a = ""
        for p, minus in order[skip + 3 * k:skip + 3 * k + 3]:
            old = COMPLEMENT[letters[p - 1]] if minus else letters[p - 1]
            new = changes.get(p, "").lower()
            new = (COMPLEMENT[new] if minus else new) if new else ""
            r += old.upper() if new else old
            a += new.upper() if new else old
        x, y = (amino[CODON_ORDER.index(c.upper())] for c in (r, a))
        effect = "synonymous" if x == y else "missense"
        if k == 0 and skip == 0 and not cds["open5"] and starts[CODON_ORDER.index(r.upper())] == "M":
            x, y = "M", "M" if starts[CODON_ORDER.index(a.upper())] == "M" else "?"
            effect = "synonymous" if y == "M" else "start_lost"
        elif x != "*" and y == "*":
            effect = "stop_gained"
        elif x == "*" and y != "*":
            effect = "stop_lost"
        worst = max(worst, EFFECTS.index(effect))
        ref, alt, ref_aa, alt_aa = ref + r, alt + a, ref_aa + x, alt_aa + y
    return "%s|%s>%s|%s%d%s" % (EFFECTS[worst], ref, alt, ref_aa, min(codons) + 1, alt_aa)


def variant_calls(rnd, letters, cdss):
    """SNVs and MNVs inside the CDSs, none sharing a position; a few with a
    REF that the record does not hold."""
    calls, taken = [], set()
    for _ in range(rnd.randint(1, 12)):
        order = rnd.choice(cdss)["order"]
        first = rnd.choice(order[:6] if rnd.random() < 0.3 else order)[0]  # start codons often
        spot = set(range(first, min(first + rnd.choice([1, 1, 1, 2, 3]), len(letters) + 1)))
        if taken & spot:
            continue
        taken |= spot
        ref = letters[first - 1:first - 1 + len(spot)]
        alt = "".join(rnd.choice([b for b in "ACGT" if b != c.upper()]) for c in ref)
        if rnd.random() < 0.1:
            ref = "".join(COMPLEMENT[c] for c in ref)
        calls.append((first, ref, alt))
    rnd.shuffle(calls)
    return calls


def expected_gbcsq(letters, cdss, calls, samples):
    snvs = {p: a for p, r, a in calls if len(r) == 1 and r == letters[p - 1]}
    want = []
    for p, ref, alt in calls:
        values = []
        for cds in cdss:
            index = {q: n for n, (q, _) in enumerate(cds["order"])}
            if not any(q in index for q in range(p, p + len(ref))):
                continue
            value = "CDS|%s|%s|" % (cds["name"], "-" if cds["order"][0][1] else "+")
            if ref != letters[p - 1:p - 1 + len(ref)]:
                values.append(value + "ref_mismatch||")
                continue
            changes, extra = {p + i: alt[i] for i in range(len(ref))}, ""
            i = index.get(p, -1) - (cds["start"] - 1)
            if len(ref) == 1 and i >= 0:
                first = cds["start"] - 1 + 3 * (i // 3)
                codon = cds["order"][first:first + 3]
                shared = {q: snvs[q] for q, _ in codon if q in snvs}
                if len(codon) == 3 and len(shared) > 1:  # SNVs in one codon
                    extra = "|codon_shared" if samples > 1 else "|combined"
                    changes = changes if samples > 1 else shared
            values.append(value + codon_value(letters, cds, changes) + extra)
        want.append(",".join(values) or "intergenic")
    return want


def morvel_variants_codons(bin_dir, rnd, case):
    text, letters, cdss = coding_record(rnd)
    calls = variant_calls(rnd, letters, cdss)
    samples = rnd.choice([0, 1, 2])
    want = expected_gbcsq(letters, cdss, calls, samples)
    chrom = rnd.choice(["CODING", "CODACC", "CODACC.2"])
    columns = "".join(["\tFORMAT"] * min(samples, 1) + ["\tS%d" % i for i in range(samples)])
    vcf = "##fileformat=VCFv4.2\n#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO%s\n" % columns
    vcf += "".join("%s\t%d\t.\t%s\t%s\t.\t.\t.%s\n" % (chrom, p, r, a, ("\tGT" + "\t0/1" * samples) if samples else "")
                   for p, r, a in calls)
    vcf_path = os.path.join(WORK, "codons.vcf")
    with open(vcf_path, "w") as f:
        f.write(vcf)
    status, out, err = run(bin_dir, "morvel", ["--variants=" + vcf_path], text.encode())
    if status != 0:
        raise Failure("morvel --variants: status %d, %r" % (status, err[:300]))
    got = [l.split("\t")[7] for l in out.decode().split("\n") if l and not l.startswith("#")]
    if len(got) != len(calls):
        raise Failure("%d data lines written for %d" % (len(got), len(calls)))
    for (p, ref, alt), w, g in zip(calls, want, got):
        if g != "GBCSQ=" + w:
            raise Failure("%d %s>%s (%d samples):\n  expected GBCSQ=%s\n  got      %s\n%s"
                          % (p, ref, alt, samples, w, g, text))


# ---------------------------------------------------------------------------
# The position report against the tracks of --gene


def morvel_report_codonpos(bin_dir, rnd, case):
    text, length, sequence = genbank_record(rnd, "R")
    if length == 0:
        return
    body = morvel_entries(succeed(bin_dir, "morvel", ["--gene"], text.encode()))[0][1]
    codonpos = [line.split()[4] for line in body]
    for p in rnd.sample(range(1, length + 1), min(length, 6)):
        report = succeed(bin_dir, "morvel", ["-i%d" % p], text.encode()).decode("latin-1")
        items = re.findall(r"CDS (\d+) \([+-]\), ", report)
        got = items[-1] if items and items[-1] != "0" else "."
        # The report shows the letters read, also those beyond the length.
        window = "".join(sequence[q - 1] if 1 <= q <= len(sequence) else "-" for q in range(p - 2, p + 3))
        if got != codonpos[p - 1] or "seq " + window not in report:
            raise Failure("-i%d gives %r; --gene codonpos %s, letters %s\n%s"
                          % (p, report, codonpos[p - 1], window, text))


def genbank_records(data):
    """The complete records of a GenBank file as (name, length, letters), read
    independently of morvel, and whether the file ends cleanly: not inside a
    record, and no text but white space after the last one."""
    records, record, clean, junk = [], None, True, False
    for line in data.split(b"\n"):
        if record is None:
            if line.startswith(b"LOCUS "):
                words = line[5:].split()
                if len(words) < 4:
                    return records, False
                digits = re.match(rb"\+?(\d*)", words[1]).group(1)
                record = {"name": words[0], "length": int(digits or b"0"), "letters": b"", "origin": False}
                junk = False
            elif line.strip():
                junk = True
            continue
        if line.startswith(b"//") and not line[2:].strip():
            records.append((record["name"], record["length"], record["letters"]))
            record = None
            continue
        if record["origin"]:
            record["letters"] += b"".join(line[10:].split())
        if line.startswith(b"ORIGIN"):
            record["origin"], record["letters"] = True, b""
    clean = record is None and not junk
    return records, clean


def crlf(data):
    return data.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")


SHARED_MODES = [[], ["--gene", "--bothstrand"], ["--annotate=CDS,gene,mRNA", "--extend=5", "--posname"],
                ["-i100", "--mutation=c"], ["--longinfo=50-400"]]


def same_input_name(err):
    return re.sub(rb"[^ ]*/in\.[^ ,]*", b"IN", err)


def morvel_shared(bin_dir, path):
    data = open(path, "rb").read()
    lf = data.replace(b"\r\n", b"\n")
    records, clean = genbank_records(lf)
    status, out, err = run(bin_dir, "morvel", [], lf)
    if status != (0 if clean else 1):
        raise Failure("status %d, expected %d (stderr %r)" % (status, 0 if clean else 1, err[:200]))
    written = [r for r in records if r[1] > 0]
    entries = morvel_entries(out)
    if len(entries) != len(written):
        raise Failure("%d entries for %d complete records of positive length" % (len(entries), len(written)))
    for (text, body), (name, length, letters) in zip(entries, written):
        if text[4] != "; ENTRY             " + name.decode("latin-1"):
            raise Failure("entry %r for record %r" % (text[4], name))
        if len(body) != length:
            raise Failure("%s: %d body lines for length %d" % (name, len(body), length))
        residues = letters[:length].decode("latin-1").ljust(length, "-")
        for p, line in enumerate(body, 1):
            fields = line.split()
            if fields[1:3] != [residues[p - 1], str(p)]:
                raise Failure("%s position %d: line %r, residue %r expected" % (name, p, line, residues[p - 1]))
    for opts in SHARED_MODES:
        want = run(bin_dir, "morvel", opts, lf)
        got = run(bin_dir, "morvel", opts, crlf(lf))
        # The range report echoes feature-table lines as they stand.
        if opts and opts[0].startswith("--longinfo"):
            got = (got[0], got[1].replace(b"\r", b""), got[2])
        # A message naming the input names its temporary file.
        want, got = (want[0], want[1], same_input_name(want[2])), (got[0], got[1], same_input_name(got[2]))
        if got != want:
            raise Failure("%s with CRLF line ends: status %d, %s" % (" ".join(opts), got[0], first_difference(want[1], got[1])))


def shared_main(bin_dir):
    folder = os.path.join(os.environ.get("SHARED_DATA", ""), "genbank")
    if not os.path.isdir(folder):
        print("shared data absent")
        return 77
    names = sorted(os.listdir(folder))
    failures = 0
    for name in names:
        try:
            morvel_shared(bin_dir, os.path.join(folder, name))
        except Failure as e:
            failures += 1
            print("%s: %s" % (name, e))
    print("morvel-shared: %d files, %d failed" % (len(names), failures))
    return 1 if failures else 0


PROPERTIES = {
    "tindra-empty-selection": tindra_empty_selection,
    "tindra-idempotent": tindra_idempotent,
    "tindra-chunks": tindra_chunks,
    "morvel-residue": morvel_residue,
    "morvel-bothstrand": morvel_bothstrand,
    "morvel-variants-protein": morvel_variants_protein,
    "morvel-variants-codons": morvel_variants_codons,
    "morvel-report-codonpos": morvel_report_codonpos,
}


def main():
    global WORK
    if len(sys.argv) == 3 and sys.argv[1] == "morvel-shared":
        with tempfile.TemporaryDirectory(prefix="property-") as WORK:
            return shared_main(sys.argv[2])
    if len(sys.argv) not in (3, 4) or sys.argv[1] not in PROPERTIES:
        print(__doc__)
        return 2
    name, bin_dir = sys.argv[1], sys.argv[2]
    cases = int(sys.argv[3]) if len(sys.argv) == 4 else (60 if SANITIZED else 300)
    if name == "morvel-report-codonpos" and len(sys.argv) == 3:
        cases //= 3  # each case runs morvel seven times
    if name == "tindra-chunks" and len(sys.argv) == 3:
        cases //= 5  # each case colours two entries of thousands of lines
    if name == "morvel-variants-protein":
        if not os.path.isdir(SHARED_GENBANK):
            print("%s: shared GenBank files absent" % name)
            return 77
        cases = cases // 5 if len(sys.argv) == 3 else cases  # each case runs morvel up to six times
    check = PROPERTIES[name]
    failures = 0
    with tempfile.TemporaryDirectory(prefix="property-") as WORK:
        for case in range(cases):
            rnd = random.Random("%s-%d-%d" % (name, SEED, case))
            try:
                check(bin_dir, rnd, case)
            except Failure as e:
                failures += 1
                if failures <= 5:
                    print("case %d: %s" % (case, e))
    if name == "morvel-variants-protein":
        print("%s: %d SNVs compared with the position report" % (name, COMPARED[0]))
        if not COMPARED[0]:
            failures += 1
    print("%s: %d cases, %d failed" % (name, cases, failures))
    return 1 if failures else 0


WORK = None

if __name__ == "__main__":
    sys.exit(main())
