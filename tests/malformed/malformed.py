#!/usr/bin/env python3
"""Malformed input and failure injection for morvel, tindra and trasply.

    malformed.py GROUP BIN_DIR      GROUP: morvel, tindra, trasply or failure

Every run must end by itself within a bounded time, with status 0 or 1, and
write at most the tool's own messages on standard error: no sanitizer report,
no "terminate called", no signal, no core dump. The failure group checks the
exact messages and statuses for output that cannot be written or closes
early, input that cannot be opened or read, and memory that runs out.

Environment: SANITIZED=ON (the sanitizer build: fewer runs and smaller
inputs), SHARED_DATA or else SHARED_DATA_DEFAULT (folder whose genbank/
records are used when present).
Runs listed in KNOWN_FAILURES are faults reported to their owners: they are
run and shown, but do not fail the test until they are fixed and removed.
"""

import gzip
import os
import random
import re
import resource
import signal
import subprocess
import sys
import tempfile
import threading
import time

SANITIZED = os.environ.get("SANITIZED", "OFF").upper() in ("ON", "1", "TRUE", "YES")
SHARED = os.environ.get("SHARED_DATA") or os.environ.get("SHARED_DATA_DEFAULT", "")
ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
TIMEOUT = 120 if SANITIZED else 30
BIG_LINE = 10 * 1024 * 1024

# "group/run name" -> why it fails (reported to the owner; remove the line
# once it is fixed)
KNOWN_FAILURES = {
}

MESSAGES = {
    "morvel": [r"Usage: morvel \[-g \| --gene\] \[FILE\]", r"Error in format"],
    "tindra": [r"Error in header", r"Error in entry text", r"Error in entry"],
    "trasply": [r"Usage: trasply \[FILE\]", r"Error in header", r"Error in entry text", r"Error in entry"],
}
TINDRA_USAGE = (
    "usage: tindra\n"
    "            [-r<range> | -range=<range>] [-s<seqrange> |\n"
    "            -seq=<seqrange>] [-c | --color |\n"
    "            -C<color_r>,<color_g>,<color_b> |\n"
    "            --color=<color_r>,<color_g>,<color_b>] [-f | --fgcolor |\n"
    "            -F<color_r>,<color_g>,<color_b> |\n"
    "            --fgcolor=<color_r>,<color_g>,<color_b>] [<file>]\n")
# Messages a run may add after its main one: the input or the output failed.
TRAILERS = ["Error in reading file", "Error in writing output", "Error in closing file"]
REPEATABLE = re.compile(r"Column does not exist -?\d+$")
# The line after a message about the input: where the reader stopped and why.
WHERE = r"%s: .+, line [1-9]\d*: \S.*$"
# The line before the usage text naming the refused argument, and a warning
# about a likely mistake (each at most once).
REFUSAL = r"%s: (unknown option '.+'|'[^']+' (takes|writes) .+|a second file name '.*'.*)$"
WARNING = r"%s: Warning: \S.*$"
CRASH_SIGNS = re.compile(r"Sanitizer|runtime error|terminate called|Segmentation|core dumped|Aborted|"
                         r"std::|what\(\)|AddressSanitizer|LeakSanitizer")


def no_core_dumps():
    """Set once in the driver; the tools inherit it."""
    resource.setrlimit(resource.RLIMIT_CORE, (0, 0))


def child_env():
    env = dict(os.environ)
    env.setdefault("ASAN_OPTIONS", "detect_leaks=1")
    env.setdefault("UBSAN_OPTIONS", "print_stacktrace=1")
    return env


class Suite:
    def __init__(self, group, bin_dir, work):
        self.group = group
        self.bin = bin_dir
        self.work = work
        self.runs = 0
        self.failures = []
        self.known = []
        self.fixed = []
        self.counter = 0
        self.times = []

    def tool(self, name):
        return os.path.join(self.bin, name)

    def file(self, data, suffix=""):
        """Writes bytes (or text) into a fresh file of the work folder."""
        self.counter += 1
        path = os.path.join(self.work, "in%05d%s" % (self.counter, suffix))
        with open(path, "wb") as f:
            f.write(data.encode("latin-1") if isinstance(data, str) else data)
        return path

    def run(self, tool, args, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, preexec=None):
        """Runs a tool; returns (status, stderr text, seconds). status None: timed out."""
        start = time.monotonic()
        try:
            p = subprocess.run([self.tool(tool)] + args, stdin=stdin, stdout=stdout, stderr=subprocess.PIPE,
                               timeout=TIMEOUT, preexec_fn=preexec, env=child_env())
            status = p.returncode
            err = p.stderr
        except subprocess.TimeoutExpired as e:
            status = None
            err = e.stderr or b""
        return status, err.decode("latin-1"), time.monotonic() - start

    def record(self, name, problem, detail=""):
        self.runs += 1
        name = "%s/%s" % (self.group, name)
        if name in KNOWN_FAILURES:
            if problem:
                self.known.append("%s: %s (known: %s)" % (name, problem, KNOWN_FAILURES[name]))
            else:
                self.fixed.append(name)
            return
        if problem:
            self.failures.append("%s: %s%s" % (name, problem, ("\n    " + detail) if detail else ""))

    def check(self, name, tool, args, **kw):
        """A run that must end normally: status 0 or 1, only the tool's messages."""
        status, err, seconds = self.run(tool, args, **kw)
        self.times.append((seconds, name))
        self.record(name, judge(tool, status, err), shorten(err))
        return status, err

    def report(self):
        for line in self.known:
            print("KNOWN FAILURE " + line)
        for name in self.fixed:
            print("NOW PASSES (remove from KNOWN_FAILURES): " + name)
        for line in self.failures:
            print("FAIL " + line)
        slowest = sorted(self.times, reverse=True)[:5]
        if slowest:
            print("slowest: " + ", ".join("%s %.2fs" % (n, t) for t, n in slowest))
        print("%d runs, %d failed, %d known failures" % (self.runs, len(self.failures), len(self.known)))
        return 1 if self.failures else 0


class Runs(list):
    """The runs of a group as (name, args, input file): each input is written
    out when it is added, so that the driver holds no large data while it
    starts the tools."""

    def __init__(self, suite):
        super().__init__()
        self.suite = suite

    def append(self, run):
        name, args, data = run
        super().append((name, args, self.suite.file(data)))

    def __iadd__(self, runs):
        for run in runs:
            self.append(run)
        return self


def shorten(text, limit=600):
    return text if len(text) <= limit else text[:limit] + "...[%d bytes]" % len(text)


def judge(tool, status, err):
    """What is wrong with a run that should have ended normally, or None."""
    if status is None:
        return "did not end within %ds" % TIMEOUT
    if status < 0:
        return "killed by signal %d" % -status
    if status not in (0, 1):
        return "exit status %d" % status
    if CRASH_SIGNS.search(err):
        return "crash report on stderr"
    return judge_messages(tool, err)


def judge_messages(tool, err):
    if tool == "tindra":
        err = err.replace(TINDRA_USAGE, "usage\n", 1)
    own = [re.compile(p + "$") for p in MESSAGES[tool]]
    own.append(re.compile(r"%s: Error in opening file '.*'$" % tool))
    own.append(re.compile(r"%s: Out of memory$" % tool))
    where = re.compile(WHERE % tool)
    refusal, warning = re.compile(REFUSAL % tool), re.compile(WARNING % tool)
    main = 0
    after_main = False
    trailers = set()
    warnings = set()
    lines = err.split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    elif lines:
        return "stderr does not end with a newline"
    for line in lines:
        said_main, after_main = after_main, False
        if tool == "tindra" and line == "usage":
            main += 1
        elif said_main and where.match(line):
            continue
        elif refusal.match(line) and main == 0:
            continue
        elif warning.match(line):
            if line in warnings:
                return "warning repeated: %r" % shorten(line, 120)
            warnings.add(line)
        elif tool in ("tindra", "trasply") and REPEATABLE.match(line):
            continue
        elif any(line == "%s: %s" % (tool, t) for t in TRAILERS):
            if line in trailers:
                return "message repeated: %r" % line
            trailers.add(line)
        elif any(p.match(line) for p in own):
            main += 1
            after_main = True
        else:
            return "unexpected stderr line %r" % shorten(line, 120)
    if main > 1:
        return "more than one message"
    return None


# ---------------------------------------------------------------------------
# Inputs

def read(path):
    with open(path, "rb") as f:
        return f.read()


def line_prefixes(data):
    """Every prefix that ends at a line end (and the empty one)."""
    ends = [0] + [i + 1 for i, b in enumerate(data) if b == 0x0A]
    return [data[:e] for e in ends]


def byte_prefixes(data, count):
    """`count` prefixes cut at offsets spread over the data, most of them
    inside lines."""
    if not data:
        return []
    step = max(1, len(data) // count)
    return [data[:i] for i in range(1, len(data), step)][:count]


def with_crlf(data):
    return data.replace(b"\n", b"\r\n")


def with_nuls(data, rnd, count=6):
    """Copies of the data with NUL bytes put in, replacing a newline, and
    in front."""
    out = [b"\0" + data, data.replace(b"\n", b"\0", 3), b"\0" * 4096]
    for _ in range(count):
        i = rnd.randrange(len(data) + 1)
        out.append(data[:i] + b"\0" + data[i:])
    return out


def garbage(rnd, sizes):
    return [rnd.randbytes(n) for n in sizes]


def gzip_variants(data, rnd):
    z = gzip.compress(data)
    out = [z, z + z, z + b"trailing", b"\x1f\x8b", b"\x1f", z[:len(z) // 2], z[:10]]
    for _ in range(3):
        i = rnd.randrange(10, len(z))
        out.append(z[:i] + bytes([z[i] ^ 0x55]) + z[i + 1:])
    return out


def rotate(prefixes, option_sets):
    """Pairs each prefix with one option set in turn."""
    return [(p, option_sets[i % len(option_sets)]) for i, p in enumerate(prefixes)]


def shared_records(names):
    folder = os.path.join(SHARED, "genbank")
    if not SHARED or not os.path.isdir(folder):
        return []
    return [read(os.path.join(folder, n)) for n in names if os.path.isfile(os.path.join(folder, n))]


# ---------------------------------------------------------------------------
# morvel

RECORD = """\
LOCUS       EDGES                     40 bp    DNA     linear   SYN 01-JAN-2000
DEFINITION  Edge cases of the feature table.
ACCESSION   EDG1 EDG2
            EDG3
FEATURES             Location/Qualifiers
     source          1..40
     gene            complement(join(2..10,
                     15..20,25..30))
                     /gene="x"
     CDS             complement(join(2..10,15..20,25..30))
                     /codon_start=2
     mRNA            order(<1..5,(7.9)..>12,J00194.1:100..202)
     exon            join(complement(3..8),12..>40)
     5'UTR           <1..1
     3'UTR           38^39
     intron          11..14
     CDS             31..40
ORIGIN
        1 acgtacgtac gtacgtacgt acgtacgtac gtacgtacgt
//
LOCUS       SECOND                     5 bp    DNA     linear   SYN 01-JAN-2000
FEATURES             Location/Qualifiers
     CDS             1..5
ORIGIN
        1 atgca
//
"""

MORVEL_OPTIONS = [
    [], ["--gene"], ["--gene", "--bothstrand"], ["--annotate=CDS,exon,", "--extend=2", "--posname"],
    ["-i20", "--mutation=t"], ["--info=5"], ["--longinfo=30-3"],
    ["-g", "--annotate=gene", "--bothstrand", "--extend=-1"],
]


def record(name, length, features="", sequence=None, accession=None):
    lines = ["LOCUS       %s %s bp    DNA     linear   SYN 01-JAN-2000\n" % (name, length)]
    if accession is not None:
        lines.append("ACCESSION   %s\n" % accession)
    lines.append("FEATURES             Location/Qualifiers\n")
    lines.append(features)
    lines.append("ORIGIN\n")
    if sequence is not None:
        for i in range(0, len(sequence), 60):
            lines.append("%9d %s\n" % (i + 1, sequence[i:i + 60]))
    lines.append("//\n")
    return "".join(lines)


def feature(key, location, *qualifiers):
    text = "     %-16s%s\n" % (key, location)
    for q in qualifiers:
        text += "                     %s\n" % q
    return text


def morvel_cases(s, rnd):
    sample = read(os.path.join(ROOT, "examples", "sample.gb"))
    edges = RECORD.encode()
    offsets = 12 if SANITIZED else 60
    runs = Runs(s)

    for label, data in (("sample", sample), ("edges", edges)):
        pieces = line_prefixes(data) + byte_prefixes(data, offsets)
        for i, (piece, opts) in enumerate(rotate(pieces, MORVEL_OPTIONS)):
            runs.append(("prefix-%s-%d" % (label, i), opts, piece))
    for j, data in enumerate(shared_records(["cor6_6.gb", "NC_005816.gb", "one_of.gb", "negative_location.gb"])):
        for i, (piece, opts) in enumerate(rotate(byte_prefixes(data, 4 if SANITIZED else 16), MORVEL_OPTIONS)):
            runs.append(("prefix-shared%d-%d" % (j, i), opts, piece))

    runs.append(("empty", [], b""))
    runs.append(("empty-info", ["-i1"], b""))
    for i, data in enumerate(with_nuls(sample, rnd) + with_nuls(edges, rnd)):
        runs.append(("nul-%d" % i, MORVEL_OPTIONS[i % len(MORVEL_OPTIONS)], data))
    runs.append(("nul-in-locus-name", ["--gene"], b"LOCUS       A\0B 5 bp DNA\nORIGIN\n        1 ac\0gt\n//\n"))
    for i, opts in enumerate(MORVEL_OPTIONS):
        runs.append(("crlf-%d" % i, opts, with_crlf(sample)))
    runs.append(("crlf-edges", ["--gene", "--bothstrand"], with_crlf(edges)))
    for i, data in enumerate(garbage(rnd, [1, 100, 5000, 65536])):
        runs.append(("garbage-%d" % i, ["--gene"], data))
        runs.append(("garbage-after-locus-%d" % i, ["--gene", "--longinfo=1-5"],
                     b"LOCUS       G 50 bp DNA\nFEATURES  \n     CDS             1..5\n" + data))
        runs.append(("garbage-in-sequence-%d" % i, ["-i3"], b"LOCUS       G 50 bp DNA\nORIGIN\n" + data + b"\n//\n"))
    for i, data in enumerate(gzip_variants(sample, rnd)):
        runs.append(("gzip-%d" % i, ["--gene"], data))

    # Lines of 10 MB in every section.
    big = "x" * BIG_LINE
    runs += [
        ("long-line-before-locus", [], (big + "\n" + RECORD).encode()),
        ("long-locus-name", ["--gene"], ("LOCUS       %s 10 bp DNA\n//\n" % big).encode()),
        ("long-accession", [], record("ACC", 5, accession="A " * (BIG_LINE // 2)).encode()),
        ("long-location", ["--gene", "--annotate=CDS", "--bothstrand"],
         record("LOC", 50, feature("CDS", "join(" + "1..5," * (BIG_LINE // 5) + "6..9)")).encode()),
        ("long-qualifier", ["--longinfo=1-10"], record("QUAL", 50, feature("CDS", "1..10", '/note="%s"' % big)).encode()),
        ("long-sequence", ["-i50", "--mutation=c"],
         ("LOCUS       SEQ 100 bp DNA\nORIGIN\n        1 " + "acgt" * (BIG_LINE // 4) + "\n//\n").encode()),
        ("long-slashes", [], (RECORD + "/" * BIG_LINE + "\n").encode()),
    ]

    # Numbers beyond the int range, and at its edges, in every numeric place.
    for i, length in enumerate(["2147483648", "4294967297", "99999999999999999999", "-1", "-2147483649",
                                "0", "+5", "12abc", "-0", "0x10"]):
        runs.append(("locus-length-%d" % i, ["--gene", "--bothstrand"],
                     record("N", length, feature("CDS", "1..5"), "acgtacgtac").encode()))
    locations = ["1..2147483648", "2147483647..2147483647", "complement(99999999999..1)", "<2147483647..>2147483647",
                 "(2147483647.2147483647)..5", "-5..10", "join(1..5,2147483647)", "1..-2147483648", "0..0",
                 "(0.0)..(0.0)", "<0..>0", "2147483646..2147483647", "complement(<1..>2147483647)",
                 "join(complement(2147483647..2147483647),1)", "1.2147483647", "2147483647^2147483647"]
    for i, loc in enumerate(locations):
        feats = feature("CDS", loc, "/codon_start=2") + feature("exon", loc) + feature("gene", loc)
        for j, opts in enumerate([["--gene", "--bothstrand"], ["--annotate=CDS", "--extend=2147483647", "--posname"],
                                  ["--annotate=exon", "--extend=-2147483648", "--bothstrand"], ["-i5"],
                                  ["--longinfo=-2147483648-2147483647"]]):
            runs.append(("location-%d-%d" % (i, j), opts, record("N", 20, feats, "acgt" * 5).encode()))
    for i, start in enumerate(["99999999999", "-2147483648", "2147483647", "-1", "0", "4", "+3", "x"]):
        runs.append(("codon-start-%d" % i, ["--gene", "-i5"],
                     record("N", 20, feature("CDS", "1..20", "/codon_start=" + start)
                            + feature("CDS", "complement(3..9)"), "acgt" * 5).encode()))
    for i, opts in enumerate([["--info=2147483648"], ["--info=-2147483649"], ["-i2147483647"], ["-i-2147483648"],
                              ["--info=2147483647", "--mutation=a"], ["--info=-2147483648", "--mutation=a"],
                              ["--extend=2147483647", "--annotate=CDS"], ["--extend=-2147483648", "--annotate=CDS"],
                              ["--extend=99999999999999999999", "--annotate=CDS"],
                              ["--longinfo=-2147483648-2147483647"], ["--longinfo=2147483647--2147483648"],
                              ["--longinfo=1-99999999999"], ["--longinfo=2147483647-2147483647"]]):
        runs.append(("options-%d" % i, opts, sample))

    # Thousands of records.
    count = 1500 if SANITIZED else 8000
    many = "".join(record("R%d" % i, 20, feature("CDS", "complement(%d..%d)" % (i % 10 + 1, i % 10 + 9))
                          + feature("exon", "1..20"), "acgt" * 5, "R%d" % i) for i in range(count))
    for i, opts in enumerate([["--gene", "--bothstrand"], ["--annotate=CDS", "--posname", "--bothstrand"], ["-i5"],
                              ["--longinfo=1-3"]]):
        runs.append(("many-records-%d" % i, opts, many.encode()))

    # Deeply nested and very wide locations, on one line and over many lines.
    depth = 100000
    nested = {
        "complement": "complement(" * depth + "1..5" + ")" * depth,
        "join": "join(" * depth + "1..5" + ")" * depth,
        "complement-join": "complement(join(" * (depth // 2) + "1..5" + "))" * (depth // 2),
        "order-unclosed": "order(" * depth,
        "complement-unclosed": "complement(" * depth + "1..5",
        "closing-only": ")" * depth,
        "flat-join": "join(" + ",".join("%d..%d" % (i, i + 1) for i in range(1, depth, 2)) + ")",
        "complement-flat-join": "complement(join(" + ",".join("%d" % i for i in range(depth)) + "))",
    }
    for label, loc in nested.items():
        feats = feature("CDS", loc) + feature("gene", loc)
        runs.append(("nested-%s" % label, ["--gene", "--annotate=CDS", "--bothstrand"],
                     record("N", 50, feats, "a" * 50).encode()))
        runs.append(("nested-%s-info" % label, ["-i3"], record("N", 50, feats, "a" * 50).encode()))
        cut = "\n                     ".join(loc[i:i + 58] for i in range(0, min(len(loc), 200000), 58))
        runs.append(("nested-%s-lines" % label, ["--gene", "--longinfo=1-9"],
                     record("N", 50, feature("CDS", cut), "a" * 50).encode()))

    for name, opts, path in runs:
        s.check(name, "morvel", opts + [path])
    # Standard input, and the same bytes from a pipe.
    s.check("stdin-sample", "morvel", ["--gene"], stdin=open(s.file(sample), "rb"))


# ---------------------------------------------------------------------------
# tindra and trasply: col files

COL = """\
; demo file
; ==========
; TYPE              DNA
; COL 1             label
; COL 2             residue
; COL 3             seqpos
; COL 4             alignpos
; ENTRY             demo
; ----------
N     A     1     1
N     C     2     2
N     -     .     3
N     G     3     4
; **********
; TYPE              PROTEIN
; ENTRY             plain
; ----------
N     M     1
N\tK\t2
; **********
; TYPE              DNA
; COL 1             label
; COL 2             residue
; COL 3             seqpos
; COL 4             color_r
; COL 5             color_g
; COL 6             color_b
; ENTRY             coloured
; ----------
N     A     1 1.000 0.000 0.000
N     C
; **********
; TYPE              DNA
; COL 3             seqpos
; ENTRY             empty
; ----------
; **********
"""

LINE_FORM = """\
; demo file
; ==========
; TYPE              DNA
; COL 1             label
; COL 2             residue
; COL 3             seqpos
; COL 4             alignpos
; ENTRY             demo
; ----------
2 N N N N N
6 A C - G T
6
6
; **********
; TYPE              DNA
; COL 1             label
; COL 2             residue
; COL 3             seqpos
; ENTRY             copied
; ----------
2 N N N
-4 a b c
6 11 12 13
; **********
; TYPE              DNA
; ENTRY             nodecl
; ----------
3 x y
3 a b c d
1
; **********
; TYPE              DNA
; COL 2             code
; ENTRY             short
; ----------
2 N
4 a b c
; **********
"""

TINDRA_OPTIONS = [
    [], ["-r2-3", "-c"], ["--seq=2,demo", "-f"], ["-C0,0.5,1", "-F1,1,1"], ["-s"], ["-r"], ["-r0", "-cf"],
    ["--range=1,x,3-2", "--fgcolor=0.333333,0.666666,0.999999"], ["-s1-2", "-r-5-5"],
]
TRASPLY_OPTIONS = [[], ["--"]]


def col_entry(name, lines, columns=("label", "residue", "seqpos")):
    head = "; TYPE              DNA\n" + "".join("; COL %-3d           %s\n" % (i + 1, c) for i, c in enumerate(columns))
    return head + "; ENTRY             %s\n; ----------\n" % name + "".join(lines) + "; **********\n"


def line_entry(name, lines, columns=("label", "residue", "seqpos")):
    return col_entry(name, lines, columns)


def col_cases(s, rnd, tool):
    base = (COL if tool == "tindra" else LINE_FORM).encode()
    option_sets = TINDRA_OPTIONS if tool == "tindra" else TRASPLY_OPTIONS
    offsets = 15 if SANITIZED else 80
    header = "; h\n; ==========\n"
    runs = Runs(s)

    pieces = line_prefixes(base) + byte_prefixes(base, offsets)
    for i, (piece, opts) in enumerate(rotate(pieces, option_sets)):
        runs.append(("prefix-%d" % i, opts, piece))
    runs.append(("empty", [], b""))
    runs.append(("only-separator", [], b"; ==========\n"))
    runs.append(("separator-without-newline", [], b"; ==========="))
    runs.append(("blank-after-last-entry", [], base + b"\n"))
    for i, data in enumerate(with_nuls(base, rnd, 10)):
        runs.append(("nul-%d" % i, option_sets[i % len(option_sets)], data))
    for i, opts in enumerate(option_sets):
        runs.append(("crlf-%d" % i, opts, with_crlf(base)))
    runs.append(("cr-only", [], base.replace(b"\n", b"\r")))
    for i, data in enumerate(garbage(rnd, [1, 100, 5000, 65536])):
        runs.append(("garbage-%d" % i, [], data))
        runs.append(("garbage-after-header-%d" % i, option_sets[i % len(option_sets)], header.encode() + data))
        runs.append(("garbage-in-body-%d" % i, option_sets[i % len(option_sets)],
                     (header + col_entry("g", [])).encode().replace(b"; ****", data + b"\n; ****")))
    for i, data in enumerate(gzip_variants(base, rnd)):
        runs.append(("gzip-%d" % i, [], data))

    big = "x" * BIG_LINE
    if tool == "tindra":
        runs += [
            ("long-header-line", ["-c"], (";" + big + "\n" + COL).encode()),
            ("long-entry-text-line", ["-r1"], (header + col_entry("e", ["N a 1\n"]).replace("; ENTRY", ";" + big + "\n; ENTRY")).encode()),
            ("long-entry-name", ["--seq=" + "n" * 1000], (header + col_entry("n" * BIG_LINE, ["N a 1\n"])).encode()),
            ("long-body-line", ["-r1-3", "-cf"], (header + col_entry("e", ["N a 1 " + big + "\n", "N c 2\n"])).encode()),
            ("long-position-field", ["-r5"], (header + col_entry("e", ["N a " + "9" * BIG_LINE + "\n", "N c 2\n"])).encode()),
            ("many-fields", ["-r1-2"], (header + col_entry("e", [" ".join(["1"] * 200000) + "\n"] * 3,
                                                              ["label"] * 3 + ["seqpos"])).encode()),
        ]
    else:
        runs += [
            ("long-header-line", [], (";" + big + "\n" + LINE_FORM).encode()),
            ("long-value", [], (header + line_entry("e", ["2 N\n", "4 " + big + "\n", "6\n"])).encode()),
            ("long-residue-line", [], (header + line_entry("e", ["2 " + "N " * 300000 + "\n",
                                                                  "2 " + "a " * 300000 + "\n", "6\n"])).encode()),
            ("many-body-lines", [], (header + line_entry("e", ["3 a b\n"] * 200000)).encode()),
        ]

    # Numbers beyond the int range, and at its edges, in every numeric place.
    numbers = ["2147483648", "-2147483649", "99999999999999999999", "2147483647", "-2147483648", "0", "-0", "+7"]
    for i, n in enumerate(numbers):
        for place, text in (("col-number", col_entry("c", ["N a 1\n"], ()).replace("; ENTRY", "; COL %s seqpos\n; ENTRY" % n)),
                            ("col-number-label", col_entry("c", ["N a 1\n"], ()).replace("; ENTRY", "; COL %s color_r\n; COL 1 residue\n; ENTRY" % n))):
            runs.append(("%s-%d" % (place, i), [], (header + text).encode()))
        if tool == "tindra":
            runs.append(("position-%d" % i, ["-r1-5"], (header + col_entry("p", ["N a %s\n" % n, "N c 2\n"])).encode()))
            for j, opt in enumerate(["-r%s" % n, "--range=%s-%s" % (n, n), "--range=-5-%s" % n, "-s%s" % n,
                                     "--seq=%s-%s" % (n, n), "--color=%s,%s,%s" % (n, n, n)]):
                runs.append(("option-%d-%d" % (i, j), [opt], base))
        elif n not in ("2147483647", "-2147483648"):
            runs.append(("width-%d" % i, [], (header + line_entry("w", ["%s N N\n" % n, "%s a b\n" % n, "%s\n" % n])).encode()))
    if tool == "tindra":
        for i, colour in enumerate(["1e400,-1e400,0", "nan,inf,-inf", "1e308,1e-308,-1e308", "0x1p3,1,1",
                                    "99999999999999999999,0,0"]):
            runs.append(("colour-%d" % i, ["--color=" + colour, "--fgcolor=" + colour], base))
    else:
        # A width of the whole int range pads one value with two billion blanks; one row only.
        runs.append(("width-int-max", [], (header + line_entry("w", ["2 N\n", "2147483647 a\n", "1\n"])).encode()))
        runs.append(("width-int-min", [], (header + line_entry("w", ["2 N\n", "-2147483648 a\n", "1\n"])).encode()))
        runs.append(("residue-line-beyond-body", [], (header + line_entry("r", ["2 N\n"], ("label", "x", "y", "residue"))).encode()))
        runs.append(("alignpos-line-one", [], (header + line_entry("a", ["6\n", "2 a b\n"], ("alignpos", "label"))).encode()))
        runs.append(("no-body-lines", [], (header + line_entry("z", [])).encode()))
        runs.append(("blank-body-lines", [], (header + line_entry("z", ["\n", "   \n", "2 a\n"])).encode()))

    # Thousands of entries, and entries of many lines.
    count = 2000 if SANITIZED else 10000
    if tool == "tindra":
        many = header + "".join(col_entry("e%d" % i, ["N a %d\n" % k for k in range(1, 6)]) for i in range(count))
        long_entry = header + col_entry("long", ["N a %d\n" % k if k % 997 else "N\n" for k in range(1, 30001)])
        for i, opts in enumerate([["-r2-4", "-cf"], ["--seq=3,e7,10-20", "-F0,0,1"], ["-s"]]):
            runs.append(("many-entries-%d" % i, opts, many.encode()))
            runs.append(("long-entry-%d" % i, opts, long_entry.encode()))
    else:
        many = header + "".join(line_entry("e%d" % i, ["2 N N N\n", "4 a c g\n", "6\n"]) for i in range(count))
        runs.append(("many-entries", [], many.encode()))

    for name, opts, path in runs:
        s.check(name, tool, opts + [path])
    s.check("stdin", tool, [], stdin=open(s.file(base), "rb"))


# ---------------------------------------------------------------------------
# Failure injection

def big_inputs(s):
    """Valid inputs whose output is far larger than any buffer."""
    n = 300000 if SANITIZED else 1000000
    morvel = "LOCUS       BIG %d bp DNA\nFEATURES             Location/Qualifiers\n" % n
    morvel += feature("CDS", "1..%d" % n) + "ORIGIN\n//\n"
    rows = n // 4
    tindra = "; h\n; ==========\n" + col_entry("big", ["N     a %5d\n" % k for k in range(1, rows + 1)])
    trasply = "; h\n; ==========\n" + line_entry("big", ["2 " + "N " * rows + "\n", "2 " + "a " * rows + "\n", "6\n"])
    return {"morvel": (["--gene"], s.file(morvel)), "tindra": (["-cf"], s.file(tindra)),
            "trasply": ([], s.file(trasply))}


def expect(s, name, tool, got, status, err):
    got_status, got_err = got
    problem = judge(tool, got_status, got_err)
    if problem is None and (got_status, got_err) != (status, err):
        problem = "status %s and stderr %r, expected %s and %r" % (got_status, shorten(got_err, 200), status, err)
    s.record(name, problem)


def run_pair(s, tool, args, **kw):
    status, err, _ = s.run(tool, args, **kw)
    return status, err


def close_fd(fd):
    return lambda: os.close(fd)


def pipe_closed_early(s, tool, args):
    """The tool writes into a pipe whose reader takes one byte and goes."""
    p = subprocess.Popen([s.tool(tool)] + args, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                         stdin=subprocess.DEVNULL, env=child_env())
    p.stdout.read(1)
    p.stdout.close()
    try:
        err = p.communicate(timeout=TIMEOUT)[1].decode("latin-1")
        status = p.returncode
    except subprocess.TimeoutExpired:
        p.kill()
        p.communicate()
        status, err = None, ""
    if status == -signal.SIGPIPE and err == "":
        problem = None
    elif status == 1 and err == "%s: Error in writing output\n" % tool:
        problem = None
    elif status is None:
        problem = "did not end within %ds" % TIMEOUT
    else:
        problem = "status %s and stderr %r after the reader went" % (status, shorten(err, 300))
    s.record("pipe-closed-%s" % tool, problem)


def trickled(s, name, tool, args, data, expected):
    """Standard input arriving in small pieces (the first bytes one by one,
    as a slow pipe hands them over) gives the same output as a file."""
    p = subprocess.Popen([s.tool(tool)] + args, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                         stderr=subprocess.PIPE, env=child_env())
    result = {}

    def drain():
        result["out"], result["err"] = p.stdout.read(), p.stderr.read()
    reader = threading.Thread(target=drain)
    reader.start()
    try:
        for i in range(0, 4):
            p.stdin.write(data[i:i + 1])
            p.stdin.flush()
            time.sleep(0.05)
        for i in range(4, len(data), 997):
            p.stdin.write(data[i:i + 997])
            p.stdin.flush()
        p.stdin.close()
    except BrokenPipeError:
        pass
    reader.join(TIMEOUT)
    try:
        p.wait(TIMEOUT)
    except subprocess.TimeoutExpired:
        p.kill()
        p.wait()
        s.record(name, "did not end within %ds" % TIMEOUT)
        return
    problem = judge(tool, p.returncode, result.get("err", b"").decode("latin-1"))
    if problem is None and (p.returncode, result.get("out")) != expected:
        problem = "status %d and %d bytes of output, expected status %d and %d bytes" % (
            p.returncode, len(result.get("out") or b""), expected[0], len(expected[1]))
    s.record(name, problem)


def failure_cases(s):
    sample = s.file(read(os.path.join(ROOT, "examples", "sample.gb")))
    clean = COL[:COL.index("; TYPE              PROTEIN")]
    small = {"morvel": ["--gene", sample], "tindra": ["-c", s.file(clean)], "trasply": [s.file(LINE_FORM)]}
    big = big_inputs(s)
    folder = os.path.join(s.work, "folder")
    os.mkdir(folder)
    secret = s.file(COL)
    os.chmod(secret, 0)
    missing = os.path.join(s.work, "missing")
    for tool in ("morvel", "tindra", "trasply"):
        written = "%s: Error in writing output\n" % tool
        with open("/dev/full", "wb") as full:
            expect(s, "dev-full-small-%s" % tool, tool, run_pair(s, tool, small[tool], stdout=full), 1, written)
        with open("/dev/full", "wb") as full:
            opts, path = big[tool]
            expect(s, "dev-full-big-%s" % tool, tool, run_pair(s, tool, opts + [path], stdout=full), 1, written)
        expect(s, "stdout-closed-%s" % tool, tool, run_pair(s, tool, small[tool], preexec=close_fd(1)), 1, written)
        opts, path = big[tool]
        pipe_closed_early(s, tool, opts + [path])

        opened = "%s: Error in opening file '%%s'\n" % tool
        expect(s, "missing-file-%s" % tool, tool, run_pair(s, tool, [missing]), 1, opened % missing)
        if os.getuid() != 0:
            expect(s, "unreadable-file-%s" % tool, tool, run_pair(s, tool, [secret]), 1, opened % secret)
        for name, kw in (("directory-%s" % tool, {"args": [folder]}),
                         ("directory-stdin-%s" % tool, {"stdin_path": folder}),
                         ("stdin-closed-%s" % tool, {"closed": True})):
            unreadable(s, name, tool, opened % folder, **kw)

    inputs = {"morvel": (["--gene"], read(os.path.join(ROOT, "examples", "sample.gb"))),
              "tindra": (["-c"], COL.encode()), "trasply": ([], LINE_FORM.encode())}
    for tool, (args, data) in inputs.items():
        with open(s.file(data), "rb") as f:
            p = subprocess.run([s.tool(tool)] + args, stdin=f, capture_output=True, env=child_env())
        trickled(s, "stdin-trickle-%s" % tool, tool, args, data, (p.returncode, p.stdout))
        trickled(s, "stdin-trickle-gzip-%s" % tool, tool, args, gzip.compress(data), (p.returncode, p.stdout))

    if SANITIZED:
        print("memory-limit cases skipped: the sanitizers reserve more virtual memory than the limit")
        return
    header = "; File generated by morvel\n; " + "=" * 72 + "\n"
    for i, length in enumerate(["2000000000", "2147483647"]):
        data = s.file("LOCUS       SMALL 3 bp DNA\nORIGIN\n        1 acg\n//\n"
                      "LOCUS       BIG %s bp DNA\n//\n" % length)
        out = os.path.join(s.work, "oom-out")
        with open(out, "wb") as f:
            got = run_pair(s, "morvel", ["--gene", data], stdout=f, preexec=limit_memory)
        expect(s, "out-of-memory-%d" % i, "morvel", got, 1, "morvel: Out of memory\n")
        if not read(out).startswith(header.encode()) or b"; ENTRY             SMALL\n" not in read(out):
            s.record("out-of-memory-%d-output" % i, "the output before the failure was not kept")


def limit_memory():
    limit = 2000000 * 1024
    resource.setrlimit(resource.RLIMIT_AS, (limit, limit))


def unreadable(s, name, tool, opened, args=None, stdin_path=None, closed=False):
    """Input that opens but cannot be read (or cannot be opened): status 1 and
    the tool's own messages, the last one about the input."""
    if stdin_path:
        fd = os.open(stdin_path, os.O_RDONLY)
        status, err, _ = s.run(tool, [], stdin=fd)
        os.close(fd)
    elif closed:
        status, err, _ = s.run(tool, [], preexec=close_fd(0))
    else:
        status, err, _ = s.run(tool, args)
    problem = judge(tool, status, err)
    last = err.rstrip("\n").split("\n")[-1] if err else ""
    if problem is None and status != 1:
        problem = "status %s for unreadable input" % status
    if problem is None and last not in ("%s: Error in reading file" % tool, opened.rstrip("\n")):
        problem = "no message about the input, stderr %r" % shorten(err, 200)
    s.record(name, problem)


# ---------------------------------------------------------------------------

def main():
    if len(sys.argv) != 3 or sys.argv[1] not in ("morvel", "tindra", "trasply", "failure"):
        print(__doc__)
        return 2
    group, bin_dir = sys.argv[1], sys.argv[2]
    rnd = random.Random(20261208)
    no_core_dumps()
    start = time.monotonic()
    with tempfile.TemporaryDirectory(prefix="malformed-") as work:
        s = Suite(group, bin_dir, work)
        if group == "morvel":
            morvel_cases(s, rnd)
        elif group == "failure":
            failure_cases(s)
        else:
            col_cases(s, rnd, group)
        status = s.report()
    print("%.1fs%s" % (time.monotonic() - start, " (sanitizer build)" if SANITIZED else ""))
    return status


if __name__ == "__main__":
    sys.exit(main())
