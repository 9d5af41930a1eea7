#!/usr/bin/env python3
"""features.py morvel-features|tindra-feature BIN_DIR

morvel-features: on every record of $SHARED_DATA/genbank (else
$SHARED_DATA_DEFAULT), the FEATURE lines of `morvel --features` (plain, with
--gene --bothstrand, and in --annotate entries, those overlapping the entry;
CRLF line ends alike) equal the lines built here from the feature table, and
nothing else changes.
tindra-feature: `tindra --feature=` colours what `-r` with the ranges of the
same features colours in a record's plus and minus entries, also with -r; a
missing name is one warning line, status 0.
Exit 77 when the records are absent."""

import os
import random
import re
import subprocess
import sys

FOLDER = os.path.join(os.environ.get("SHARED_DATA") or os.environ.get("SHARED_DATA_DEFAULT", ""), "genbank")
END = r"(<?\d+|>?\d+|\(\d+\.\d+\))"


def run(bin_dir, tool, args, data):
    p = subprocess.run([tool] + args, executable=os.path.join(bin_dir, tool), input=data,
                       stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=300)
    return p.returncode, p.stdout, p.stderr


def location(text):
    """(first, last, strand) in reading order; None for a form that does not
    read ("a^b", "one-of", "bond"); other records' parts left out."""
    for word in ("complement(", "join(", "order("):
        if text.startswith(word) and text.endswith(")"):
            parts, depth, start, inner = [], 0, 0, text[len(word):-1]
            for i, c in enumerate(inner + ","):
                depth += {"(": 1, ")": -1}.get(c, 0)
                if c == "," and depth == 0:
                    parts.append(inner[start:i])
                    start = i + 1
            ranges = [location(p) for p in parts if p]
            if None in ranges:
                return None
            ranges = [r for rs in ranges for r in rs]
            return [(a, b, "-+"[s == "-"]) for a, b, s in reversed(ranges)] if word == "complement(" else ranges
    m = re.fullmatch(END + r"(?:\.\." + END + ")?", text)
    if re.match(r"[A-Z]", text) or (m and text.startswith("(") and not m.group(2)):
        return []  # another record; a lone "(a.b)" only bounds
    if not m:
        return None
    first = m.group(1)
    last = m.group(2) or first
    number = lambda t, i: int(t.strip("<>()").split(".")[i])
    return [(number(first, 0), number(last, -1), "+")]


def expected(record):
    """The FEATURE lines of a record as (text, [(first, last)])."""
    lines, codon_start, length = [], 1, record["length"]
    for key, loc, quals in record["features"]:
        first = {}
        for name, value in quals:
            first.setdefault(name, re.sub(r'^"|"$', "", value).replace('""', '"'))
            number = re.match(r"\s*[+-]?\d+", value)
            if key == "CDS" and name == "codon_start" and number:  # in force for later CDSs too
                codon_start = int(number.group())
        ranges = location(loc) if key != "source" else None
        cut = []
        for a, b, s in ranges or []:
            a = max(a, 1)
            if a > b and record["circular"] and a <= length:  # across the origin
                cut += [(a, length, s), (1, b, s)] if s == "+" else [(1, b, s), (a, length, s)]
            elif a <= b:
                cut.append((a, b, s))
        if not cut:
            continue
        name = next((first[n] for n in ("gene", "locus_tag", "label", "product") if first.get(n)), "")
        name = "".join(chr(b) if 0x20 < b < 0x7F and b != 0x25 else "%%%02X" % b for b in name.encode("latin-1"))
        strands = {s for _, _, s in cut}
        text = "; FEATURE           %s %s %s %s" % (key, strands.pop() if len(strands) == 1 else ".",
                                                   ",".join("%d-%d" % r[:2] for r in cut), name or ".")
        if key == "CDS":
            table = first.get("transl_table", "1")
            table = int(table) if table.isdigit() and 1 <= int(table) <= 999 else 1
            text += " codon_start=%d transl_table=%d" % ((codon_start - 1) % 3 + 1, table)
        lines.append((text, [r[:2] for r in cut]))
    return lines


def genbank(data):
    """{name: expected lines} of the complete records of positive length."""
    records, record, section = {}, None, None
    for line in data.decode("latin-1").split("\n"):
        if record is None:
            if line.startswith("LOCUS "):
                words = line[5:].split() + ["", ""]
                record = {"name": words[0], "length": int(re.match(r"\+?(\d*)", words[1]).group(1) or 0),
                          "circular": "circular" in words, "features": []}
            continue
        if line.startswith("//") and not line[2:].strip():
            if record["length"] > 0:
                records.setdefault(record["name"], expected(record))
            record = None
        elif line[:1] not in ("", " "):
            section = line.split()[0]
        elif section == "FEATURES" and line[5:6] not in ("", " "):
            record["features"].append((line[5:21].strip(), line[21:].strip(), []))
            in_loc, open_quote = True, False
        elif section == "FEATURES" and record["features"] and line.strip():
            text, quals = line.strip(), record["features"][-1][2]
            if in_loc and not text.startswith("/"):
                record["features"][-1] = record["features"][-1][:1] + (record["features"][-1][1] + text, quals)
                continue
            in_loc = False
            if not open_quote and text.startswith("/"):
                quals.append(text[1:].partition("=")[::2])
                text = quals[-1][1]
            elif quals:
                quals[-1] = (quals[-1][0], quals[-1][1] + " " + text)
            open_quote ^= text.count('"') % 2 == 1
    return records


def entries(out):
    """(entry name, FEATURE lines, positions) per entry."""
    result = []
    for entry in out.decode("latin-1").split("; **********\n")[:-1]:
        text, _, body = entry.partition("; ----------\n")
        lines = text.split("\n")
        name = next((l.split()[2] for l in lines if l.startswith("; ENTRY")), "")
        positions = [int(l.split()[2]) for l in body.split("\n") if l]
        result.append((name, [l for l in lines if l.startswith("; FEATURE ")], positions))
    return result


def morvel_features(bin_dir, data, rnd):
    want = genbank(data)
    for opts in ([], ["--gene", "--bothstrand"], ["--annotate=CDS,gene", "--extend=20"]):
        plain, out = run(bin_dir, "morvel", opts, data)[1], run(bin_dir, "morvel", opts + ["--features"], data)[1]
        if re.sub(rb"; FEATURE [^\n]*\n", b"", out) != plain:
            raise AssertionError("%s: --features changes other lines" % opts)
        if run(bin_dir, "morvel", opts + ["--features"], data.replace(b"\n", b"\r\n"))[1] != out:
            raise AssertionError("%s: other FEATURE lines with CRLF line ends" % opts)
        for name, lines, positions in entries(out):
            lo, hi = min(positions, default=0), max(positions, default=0)
            annotate = opts[0].startswith("--annotate") if opts else False
            lines_wanted = [t for t, rs in want[name] if not annotate or any(a <= hi and b >= lo for a, b in rs)]
            if lines != lines_wanted:
                diff = next((p for p in zip(lines_wanted, lines) if p[0] != p[1]), (len(lines_wanted), len(lines)))
                raise AssertionError("%s %s %d-%d: expected %r, got %r" % (name, opts, lo, hi, *diff))
    return sum(len(w) for w in want.values())


def tindra_feature(bin_dir, data, rnd):
    status, col, _ = run(bin_dir, "morvel", ["--features", "--gene", "--bothstrand"], data)
    lines = entries(col)[0][1] if status == 0 and entries(col) else []
    named = [l.split()[2:6] for l in lines if l.split()[5] != "."]
    if not named:
        return 0
    keyed = rnd.random() < 0.5
    items = sorted({"%s:%s" % (k, n) if keyed else n for k, _, _, n in rnd.sample(named, min(3, len(named)))})
    ranges = sorted({r for k, _, rs, n in named if ("%s:%s" % (k, n) if keyed else n) in items for r in rs.split(",")})
    # Only the first record's entries (plus and minus strand). A "," in a
    # name would end its item: it is given as "%2C".
    features = "--feature=" + ",".join(i.replace(",", "%2C") for i in items)
    history = rb"; 'tindra [^\n]*\n"
    warning = b"tindra: Warning: no entry coloured has a feature named 'no_such_name'\n"
    for extra, more, stderr_wanted in ((["-r1-10"], ["1-10"], b""), ([features + ",no_such_name"], [], warning)):
        status, out, err = run(bin_dir, "tindra", ["-s1-2", features] + extra, col)
        want = run(bin_dir, "tindra", ["-s1-2", "-r" + ",".join(ranges + more)], col)[1]
        if status or re.sub(history, b"", out) != re.sub(history, b"", want) or err != stderr_wanted:
            raise AssertionError("%s %s: not what -r colours (status %d, %r)" % (features[:60], extra, status, err))
    return len(items)


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in ("morvel-features", "tindra-feature"):
        print(__doc__)
        return 2
    if not os.path.isdir(FOLDER):
        print("shared GenBank records absent")
        return 77
    check = {"morvel-features": morvel_features, "tindra-feature": tindra_feature}[sys.argv[1]]
    failures, compared = 0, 0
    for name in sorted(os.listdir(FOLDER)):
        data = open(os.path.join(FOLDER, name), "rb").read().replace(b"\r\n", b"\n")
        try:
            compared += check(sys.argv[2], data, random.Random(name))
        except AssertionError as e:
            failures += 1
            print("%s: %s" % (name, e))
    print("%s: %d features compared, %d files failed" % (sys.argv[1], compared, failures))
    return 1 if failures or not compared else 0


if __name__ == "__main__":
    sys.exit(main())
