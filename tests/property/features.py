#!/usr/bin/env python3
"""FEATURE lines of the shared GenBank records, checked against a feature-table
reader written here, and tindra --feature= checked against the -r list of the
same features.

    features.py CHECK BIN_DIR

CHECK is one of:
  morvel-features   for every record of $SHARED_DATA/genbank, the FEATURE
                    lines of `morvel --features` (also with --gene and
                    --bothstrand, and with CRLF line ends) are those of the
                    feature table: one per feature except source, in table
                    order, with its key, strand, ranges, name and, on CDS
                    lines, codon start and genetic code; the --annotate entries hold the lines of
                    the features that overlap their positions; without
                    --features the output is as before.
  tindra-feature    on the same records, `tindra --feature=NAME` (alone, with
                    KEY:NAME, with -r, with -s) colours what `tindra -r` with
                    the ranges of those features colours; a name that no
                    entry has gives one warning line and status 0.
Both exit 77 when the shared records are absent ($SHARED_DATA, else
$SHARED_DATA_DEFAULT).
"""

import os
import random
import re
import subprocess
import sys
import tempfile

# $SHARED_DATA when the tests run, else the folder the build was configured with.
SHARED_GENBANK = os.path.join(os.environ.get("SHARED_DATA") or os.environ.get("SHARED_DATA_DEFAULT", ""), "genbank")
NAME_QUALIFIERS = ["gene", "locus_tag", "label", "product"]


class Failure(Exception):
    pass


class Unsupported(Exception):
    """A location form the converter does not read ("a^b", "one-of",
    "bond"): the feature has no line."""


def run(bin_dir, tool, args, data):
    p = subprocess.run([tool] + args, executable=os.path.join(bin_dir, tool), input=data,
                       stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=300)
    return p.returncode, p.stdout, p.stderr


# ---------------------------------------------------------------------------
# The feature table, read here


def top_level_split(text):
    parts, depth, start = [], 0, 0
    for i, c in enumerate(text):
        if c == "(":
            depth += 1
        elif c == ")":
            depth -= 1
        elif c == "," and depth == 0:
            parts.append(text[start:i])
            start = i + 1
    parts.append(text[start:])
    return parts


END = r"(<?\d+|>?\d+|\(\d+\.\d+\))"


def end_number(text, outer_first):
    """A location end as its number: "<a" and ">a" as a, "(a.b)" as its outer
    number (a for a start, b for an end)."""
    if text.startswith("("):
        a, b = text[1:-1].split(".")
        return int(a) if outer_first else int(b)
    return int(text.lstrip("<>"))


def location(text):
    """The ranges of a location text as (first, last, strand) in reading
    order; ranges on other records left out."""
    for word, flip in (("complement(", True), ("join(", False), ("order(", False)):
        if text.startswith(word) and text.endswith(")"):
            inner = text[len(word):-1]
            if flip:
                return [(a, b, "-" if s == "+" else "+") for a, b, s in reversed(location(inner))]
            return [r for part in top_level_split(inner) if part for r in location(part)]
    if re.match(r"[A-Z]", text):
        return []  # an accession: another record
    m = re.fullmatch(END + r"\.\." + END, text)
    if m:
        return [(end_number(m.group(1), True), end_number(m.group(2), False), "+")]
    if re.fullmatch(r"[<>]?\d+", text):
        n = end_number(text, True)
        return [(n, n, "+")]
    if re.fullmatch(r"\(\d+\.\d+\)", text):
        return []  # only bounds, no known range
    raise Unsupported(text)


def record_ranges(ranges, length, circular):
    """Ranges in record positions: starts below 1 raised to 1, a range across
    the origin split in a circular record and dropped in a linear one."""
    out = []
    for a, b, strand in ranges:
        a = max(a, 1)
        if a <= b:
            out.append((a, b, strand))
        elif circular and a <= length:
            pieces = [(a, length), (1, b)] if strand == "+" else [(1, b), (a, length)]
            out += [(x, y, strand) for x, y in pieces if max(x, 1) <= y]
    return out


def unquoted(value):
    if value.startswith('"'):
        value = value[1:]
        if value.endswith('"'):
            value = value[:-1]
    return value.replace('""', '"')


def qualifiers(lines):
    """(name, value) pairs; a quoted value goes on over lines, joined with a
    blank."""
    quals, open_quote = [], False
    for line in lines:
        text = line.strip()
        if not open_quote and text.startswith("/"):
            name, _, value = text[1:].partition("=")
            quals.append([name, value])
            text = value
        elif quals:
            quals[-1][1] += " " + text
        if text.count('"') % 2:
            open_quote = not open_quote
    return quals


def feature_name(quals):
    first = {}
    for name, value in quals:
        first.setdefault(name, unquoted(value))
    for name in NAME_QUALIFIERS:
        if first.get(name):
            return first[name]
    return "."


def encoded(name):
    if name == "":
        return "."
    return "".join(chr(b) if 0x20 < b < 0x7F and b != 0x25 else "%%%02X" % b
                   for b in name.encode("latin-1"))


def genbank_features(data):
    """Per complete record: (name, length, expected FEATURE lines as
    (text, ranges))."""
    records, record, feature, section = [], None, None, None

    def close():
        if feature is not None:
            record["features"].append(feature)

    for raw in data.decode("latin-1").split("\n"):
        line = raw.rstrip("\r")
        if record is None:
            if line.startswith("LOCUS "):
                words = line[5:].split()
                digits = re.match(r"\+?(\d*)", words[1]).group(1) if len(words) > 1 else ""
                record = {"name": words[0] if words else "", "length": int(digits or "0"),
                          "circular": "circular" in words[1:], "features": []}
                feature, section = None, None
            continue
        if line.startswith("//") and not line[2:].strip():
            close()
            records.append(record)
            record, feature = None, None
            continue
        if line[:1] not in ("", " "):
            close()
            feature = None
            section = "features" if line.startswith("FEATURES") else "other"
            continue
        if section != "features" or not line.strip():
            continue
        if line[5:6] not in ("", " "):
            close()
            feature = {"key": line[5:21].strip(), "loc": line[21:].strip(), "lines": [], "in_loc": True}
        elif feature is not None:
            text = line[21:].strip()
            if feature["in_loc"] and not text.startswith("/"):
                feature["loc"] += text
            else:
                feature["in_loc"] = False
                feature["lines"].append(text)
    return [(r["name"], r["length"], expected_lines(r)) for r in records]


def expected_lines(record):
    lines, codon_start = [], 1
    for f in record["features"]:
        quals = qualifiers(f["lines"])
        if f["key"] == "CDS":
            # The codon start stays in force for later CDSs without one.
            for name, value in quals:
                m = re.match(r"\s*[+-]?\d+", value) if name == "codon_start" else None
                if m:
                    codon_start = int(m.group())
        if f["key"] == "source":
            continue
        try:
            ranges = record_ranges(location(f["loc"].replace(" ", "")), record["length"], record["circular"])
        except Unsupported:
            continue
        if not ranges:
            continue
        strands = {s for _, _, s in ranges}
        strand = strands.pop() if len(strands) == 1 else "."
        text = "; FEATURE           %s %s %s %s" % (f["key"], strand, ",".join("%d-%d" % (a, b) for a, b, _ in ranges),
                                                   encoded(feature_name(quals)))
        if f["key"] == "CDS":
            tables = [v for n, v in quals if n == "transl_table"]
            table = int(tables[0]) if tables and re.fullmatch(r"\d+", tables[0]) else 1
            text += " codon_start=%d transl_table=%d" % ((codon_start - 1) % 3 + 1, table if 1 <= table <= 999 else 1)
        lines.append((text, [(a, b) for a, b, _ in ranges]))
    return lines


# ---------------------------------------------------------------------------
# morvel's entries


def entries(out):
    """The entries after the header as (text lines, body lines)."""
    lines = out.decode("latin-1").split("\n")[:-1]
    start = next(i for i, l in enumerate(lines) if l.startswith("; =====")) + 1
    result, text, body, in_body = [], [], [], False
    for line in lines[start:]:
        if not in_body:
            text.append(line)
            in_body = line.startswith("; ----------")
        elif line.startswith("; **********"):
            result.append((text, body))
            text, body, in_body = [], [], False
        else:
            body.append(line)
    return result


def feature_lines(text):
    return [l for l in text if l.startswith("; FEATURE ")]


def check_morvel(bin_dir, path):
    data = open(path, "rb").read().replace(b"\r\n", b"\n")
    records = [r for r in genbank_features(data) if r[1] > 0]
    for opts in ([], ["--gene", "--bothstrand"]):
        status, plain, _ = run(bin_dir, "morvel", opts, data)
        status2, out, _ = run(bin_dir, "morvel", opts + ["--features"], data)
        if status2 != status:
            raise Failure("%s --features: status %d, %d without" % (" ".join(opts), status2, status))
        got = entries(out)
        per_record = 2 if opts else 1
        if len(got) != per_record * len(records):
            raise Failure("%d entries for %d records" % (len(got), len(records)))
        for i, (text, _) in enumerate(got):
            name, _, want = records[i // per_record]
            lines = feature_lines(text)
            # They come right after the LENGTH (and STRAND) line.
            after = max(j for j, l in enumerate(text) if l.startswith(("; LENGTH", "; STRAND")))
            if text[after + 1:after + 1 + len(lines)] != lines:
                raise Failure("%s: FEATURE lines not after the LENGTH line" % name)
            expected = [t for t, _ in want]
            if lines != expected:
                raise Failure("%s (%s): %s" % (name, " ".join(opts) or "no options", first_difference(expected, lines)))
        if run(bin_dir, "morvel", opts + ["--features"], data.replace(b"\n", b"\r\n"))[1] != out:
            raise Failure("%s --features: other lines with CRLF line ends" % " ".join(opts))
        if [l for l in out.decode("latin-1").split("\n") if not l.startswith("; FEATURE ")] != \
                plain.decode("latin-1").split("\n"):
            raise Failure("%s: --features changes more than the FEATURE lines" % " ".join(opts))
    check_annotate(bin_dir, data, records)
    return sum(len(r[2]) for r in records)


def check_annotate(bin_dir, data, records):
    status, out, _ = run(bin_dir, "morvel", ["--features", "--annotate=CDS,gene", "--extend=20"], data)
    by_name = {}
    for name, _, want in records:
        by_name.setdefault(name, want)
    for text, body in entries(out):
        if not body:
            continue
        name = next(l.split()[2] for l in text if l.startswith("; ENTRY"))
        positions = [int(b.split()[2]) for b in body]
        lo, hi = min(positions), max(positions)
        want = [t for t, ranges in by_name.get(name, []) if any(a <= hi and b >= lo for a, b in ranges)]
        if feature_lines(text) != want:
            raise Failure("--annotate entry %s %d-%d: %s" % (name, lo, hi, first_difference(want, feature_lines(text))))


def first_difference(want, got):
    for i, (w, g) in enumerate(zip(want, got)):
        if w != g:
            return "line %d: %r, expected %r" % (i + 1, g, w)
    return "%d lines, expected %d" % (len(got), len(want))


# ---------------------------------------------------------------------------
# tindra --feature= against -r


def chosen_names(rnd, lines):
    """A few names of the lines (some as KEY:NAME) with their ranges."""
    parsed = [(l.split()[2], l.split()[5], l.split()[4]) for l in lines]
    named = [p for p in parsed if p[1] != "."]
    if not named:
        return None
    picks = rnd.sample(named, min(3, len(named)))
    items, keyed = [], rnd.random() < 0.5
    for key, name, _ in picks:
        items.append("%s:%s" % (key, name) if keyed else name)
    ranges = []
    for key, name, text in parsed:
        if (("%s:%s" % (key, name)) if keyed else name) in items:
            ranges += [tuple(map(int, r.split("-"))) for r in text.split(",")]
    # A "," inside a name would end the item: it is given as "%2C".
    return [i.replace(",", "%2C") for i in items], ranges


def range_list(ranges):
    return ",".join("%d-%d" % r for r in sorted(set(ranges)))


def without_history(out):
    return re.sub(rb"; 'tindra [^\n]*' was run on this file\n", b"", out)


def check_tindra(bin_dir, path, rnd):
    data = open(path, "rb").read().replace(b"\r\n", b"\n")
    status, col, _ = run(bin_dir, "morvel", ["--features", "--gene"], data)
    got = entries(col) if status == 0 else []
    if not got:
        return 0
    text = got[0][0]
    chosen = chosen_names(rnd, feature_lines(text))
    if not chosen:
        return 0
    items, ranges = chosen
    # Only the first entry: the other entries have other features.
    cases = [(["-s1", "--feature=" + ",".join(items)], ["-s1", "-r" + range_list(ranges)]),
             (["-s1", "--feature=" + ",".join(items), "-r1-10"], ["-s1", "-r" + range_list(ranges + [(1, 10)])]),
             (["-s1", "--feature=" + ",".join(items) + ",no_such_gene", "-F0,0,1"],
              ["-s1", "-r" + range_list(ranges), "-F0,0,1"])]
    for feature_opts, range_opts in cases:
        s1, out1, err1 = run(bin_dir, "tindra", feature_opts, col)
        s2, out2, _ = run(bin_dir, "tindra", range_opts, col)
        if s1 != 0 or s2 != 0 or without_history(out1) != without_history(out2):
            raise Failure("tindra %s differs from tindra %s (status %d, %d)"
                          % (" ".join(feature_opts), " ".join(range_opts)[:80], s1, s2))
        warnings = err1.decode("latin-1").splitlines()
        missing = ["no_such_gene"] if "no_such_gene" in feature_opts[1] else []
        if len(warnings) != len(missing) or any(m not in w for m, w in zip(missing, warnings)):
            raise Failure("tindra %s: stderr %r" % (" ".join(feature_opts), err1[:200]))
    return len(items)


# ---------------------------------------------------------------------------


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in ("morvel-features", "tindra-feature"):
        print(__doc__)
        return 2
    check, bin_dir = sys.argv[1], sys.argv[2]
    if not os.path.isdir(SHARED_GENBANK):
        print("%s: shared GenBank records absent" % check)
        return 77
    failures, compared = 0, 0
    names = sorted(os.listdir(SHARED_GENBANK))
    for i, name in enumerate(names):
        path = os.path.join(SHARED_GENBANK, name)
        try:
            if check == "morvel-features":
                compared += check_morvel(bin_dir, path)
            else:
                compared += check_tindra(bin_dir, path, random.Random("%s-%d" % (name, i)))
        except Failure as e:
            failures += 1
            print("%s: %s" % (name, e))
    print("%s: %d files, %d features compared, %d failed" % (check, len(names), compared, failures))
    return 1 if failures or not compared else 0


if __name__ == "__main__":
    sys.exit(main())
