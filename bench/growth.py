#!/usr/bin/env python3
"""Growth benchmark: how the cost of each tool follows one dimension of its
input, that dimension doubled at a time with everything else fixed.

Usage: growth.py BIN_DIR [NAME_PART ...]   (what `make bench-growth` runs)

For every dimension the input is generated at N, 2N and 4N (into
bench/data/growth/, removed afterwards), each size runs three to five times
(once when slow), and the table gives the least CPU time (user + system,
less disturbed than wall time by other work on the machine), the time ratio
of each doubling and the peak resident memory of the process. A dimension
passes when the doublings cost at most 2.5 times the time each (over both;
3.2 for either alone) and the memory stays within its bound. A run that
exceeds the time limit ends its dimension (FAIL).

The table goes to standard output and into its own section of
bench/results.md, which the other benchmark (bench.py) keeps when it
rewrites the file. NAME_PART arguments run only the dimensions whose name
contains one of them; the section is then not written.
Only the standard library is used.
"""
import os
import platform
import random
import re
import shutil
import signal
import statistics
import subprocess
import sys
import time

BENCH = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(BENCH)
sys.path.insert(0, BENCH)
sys.dont_write_bytecode = True  # no __pycache__ in the source tree
from gen_genbank import qualifier, sequence_lines, wrap_location  # noqa: E402

MiB = 1 << 20
# The time ratio per doubling: over both doublings (the square root of
# 4N over N) at most RATIO_LIMIT, and neither doubling alone above
# ONE_RATIO_LIMIT, which leaves room for one disturbed run on a busy machine.
RATIO_LIMIT = 2.5
ONE_RATIO_LIMIT = 3.2
RUNS = 3
RUNS_QUICK = 5  # for runs under QUICK seconds, which other work disturbs most
QUICK = 0.3
RUN_TIMEOUT = 30.0  # seconds for one run
# GROWTH_SCALE=F multiplies every N by F (say 0.1 for a quick look, or to
# time a build that is still quadratic).
SLOW = 2.0  # seconds: a run this long is not repeated
SCALE = float(os.environ.get("GROWTH_SCALE", "1"))
SECTION_BEGIN = "<!-- growth benchmark: begin -->"
SECTION_END = "<!-- growth benchmark: end -->"


def log(text):
    print(text, file=sys.stderr, flush=True)


# ---------------------------------------------------------------- inputs

def write_lines(path, lines):
    with open(path, "w", newline="\n") as f:
        f.writelines(lines)


def genbank_record(name, length, features, rng):
    """One record: LOCUS line, the given feature lines, `length` bases."""
    out = ["LOCUS       %-16s%12d bp    DNA     linear   SYN 01-JAN-2026\n" % (name, length),
           "ACCESSION   %s\n" % name,
           "FEATURES             Location/Qualifiers\n"]
    out += wrap_location("source", "1..%d" % length)
    out += features
    out.append("ORIGIN      \n")
    out += sequence_lines(rng, length)
    out.append("//\n")
    return out


def gen_trailing_blanks(path, rows):
    # The label line ends after its first value and W blanks follow; the
    # residue line sets W rows.
    write_lines(path, ["; growth\n", "; " + "=" * 72 + "\n",
                       "; TYPE              DNA\n", "; COL 1             label\n",
                       "; COL 2             residue\n", "; ----------\n",
                       "2 N" + " " * rows + "\n",
                       "6 " + " ".join("ACGT"[i % 4] for i in range(rows)) + "\n",
                       "; **********\n"])


def gen_ranges_qualifiers(path, n):
    # One feature: R ranges on its feature line, Q = 10 R qualifier lines.
    ranges, quals = n, 10 * n
    loc = "join(%s)" % ",".join("%d..%d" % (10 * i + 1, 10 * i + 5) for i in range(ranges))
    feature = ["     %-16s%s\n" % ("mRNA", loc)]
    feature += ['                     /note="qualifier line %d"\n' % i for i in range(quals)]
    write_lines(path, genbank_record("RQ", 10 * ranges + 10, feature, random.Random(1)))


def last_range(n):
    # The report range meets only the last of the feature's n ranges.
    return "--longinfo=%d-%d" % (10 * n - 9, 10 * n)


def col_entries(count, fields=3):
    extra = "".join("   x%d" % k for k in range(fields - 3))
    return ["; TYPE              DNA\n; COL 1             label\n; COL 2             residue\n"
            "; COL 3             seqpos\n; ENTRY             E%d\n; ----------\n"
            "N     a     1%s\nN     c     2%s\n; **********\n" % (i, extra, extra)
            for i in range(1, count + 1)]


def gen_entries(path, count):
    write_lines(path, ["; growth\n", "; " + "=" * 72 + "\n"] + col_entries(count))


def gen_declared_length(path, length):
    # A few bytes of input that declare `length` bases.
    write_lines(path, ["LOCUS       TINY%20d bp    DNA     linear   SYN 01-JAN-2026\n" % length,
                       "FEATURES             Location/Qualifiers\n",
                       "     CDS             2..7\n", "ORIGIN      \n",
                       "        1 acgtacgtac\n", "//\n"])


def long_location_ranges(n):
    return ["%d..%d" % (10 * i + 1, 10 * i + 5) for i in range(n)]


def gen_long_location(path, n):
    # One exon feature whose join of n ranges runs over continuation lines.
    feature = wrap_location("exon", "join(%s)" % ",".join(long_location_ranges(n)))
    write_lines(path, genbank_record("LONGLOC", 10 * n + 10, feature, random.Random(2)))


def count_painted(output):
    """Body lines whose gene-structure field (column 4) is painted."""
    painted = 0
    for line in output.splitlines():
        fields = line.split()
        if len(fields) >= 4 and fields[0] == b"N" and fields[3] != b".":
            painted += 1
    return painted


def gen_seq_items(path, n):
    # E = 5 n entries; the -s list of n items is written by seq_items().
    gen_entries(path, 5 * n)


def seq_items(n):
    # Names and numbers no entry has, so that every item is looked at; short,
    # as one argument may hold at most 128 KiB.
    items = ["n%x" % i if i % 2 else str(200000 + i) for i in range(n - 1)]
    return ",".join(items + ["E1"])


def gen_annotate(path, n):
    # F = 10 n features, every other one an exon: the key list holds "exon"
    # but not "misc_feature", so half the look-ups fail, however they walk.
    features = []
    for i in range(10 * n):
        key = "misc_feature" if i % 2 else "exon"
        features += ["     %-16s%d..%d\n" % (key, 30 * i + 1, 30 * i + 20)]
    write_lines(path, genbank_record("ANNOT", 30 * 10 * n + 30, features, random.Random(3)))


def annotate_options(n):
    # Keys no feature has, then "exon"; several options (their keys add up),
    # as one argument may hold at most 128 KiB.
    keys = ["key%d" % i for i in range(n - 1)] + ["exon"]
    return ["--annotate=" + ",".join(keys[i:i + 5000]) for i in range(0, len(keys), 5000)]


def gen_features(path, n):
    # n genes with a CDS each, 100 bases per gene.
    rng = random.Random(4)
    features = []
    for i in range(n):
        a, b = 100 * i + 1, 100 * i + 90
        features += wrap_location("gene", "%d..%d" % (a, b)) + qualifier("gene", "g%d" % i)
        features += wrap_location("CDS", "join(%d..%d,%d..%d)" % (a, a + 29, a + 40, b))
        features += qualifier("codon_start", 1, False)
    write_lines(path, genbank_record("FEAT", 100 * n + 100, features, rng))


def gen_records(path, n):
    rng = random.Random(5)
    lines = []
    for i in range(n):
        features = wrap_location("CDS", "join(11..100,201..290)") + qualifier("gene", "g%d" % i)
        lines += genbank_record("R%d" % i, 400, features, rng)
    write_lines(path, lines)


def gen_fields(path, n):
    # One entry of 10000 lines of n fields each.
    body = "".join("N     a %5d%s\n" % (i, " x" * (n - 3)) for i in range(1, 10001))
    write_lines(path, ["; growth\n", "; " + "=" * 72 + "\n",
                       "; TYPE              DNA\n; COL 1             label\n"
                       "; COL 2             residue\n; COL 3             seqpos\n; ----------\n",
                       body, "; **********\n"])


def gen_values(path, n):
    subprocess.run([sys.executable, os.path.join(BENCH, "gen_lineform.py"), path, "1", str(n)],
                   check=True, stdout=subprocess.DEVNULL)


# ---------------------------------------------------------------- bounds
# Each returns (ok, text) from the sizes and the peak memory in bytes.

def bound_linear(sizes, peaks):
    ok = peaks[-1] <= 4.5 * peaks[0] + MiB
    return ok, "at most linear (4N <= 4.5 x N)"


def bound_flat(sizes, peaks):
    ok = peaks[-1] <= peaks[0] + 2 * MiB
    return ok, "independent of N (4N <= N + 2 MiB)"


def bound_few_mib(sizes, peaks):
    ok = max(peaks) <= 8 * MiB
    return ok, "a few MB for any length (<= 8 MiB)"


def bound_per_base(limit):
    def bound(sizes, peaks):
        ok = all(p <= limit * n + 8 * MiB for n, p in zip(sizes, peaks))
        return ok, "<= %d B per declared base + 8 MiB" % limit
    return bound


# ---------------------------------------------------------------- dimensions

class Dimension:
    def __init__(self, name, unit, base, make, args, bound, check=None, issue=True):
        self.name, self.unit, self.base = name, unit, base
        self.make, self.args, self.bound, self.check = make, args, bound, check
        self.issue = issue  # a dimension that issue 16 found faulty


def dimensions():
    return [
        Dimension("trasply: rows x trailing blanks", "rows W", 1_000_000, gen_trailing_blanks,
                  lambda n, f: ["trasply", f], bound_linear),
        Dimension("morvel --longinfo: ranges R x qualifier lines 10R", "ranges R", 4_000,
                  gen_ranges_qualifiers, lambda n, f: ["morvel", last_range(n), f], bound_linear),
        Dimension("tindra -c -f: memory over entries", "entries", 50_000, gen_entries,
                  lambda n, f: ["tindra", "-c", "-f", f], bound_flat),
        Dimension("morvel -i5: declared LOCUS length", "declared bp", 10_000_000,
                  gen_declared_length, lambda n, f: ["morvel", "-i5", f], bound_few_mib),
        Dimension("morvel --longinfo: declared LOCUS length", "declared bp", 10_000_000,
                  gen_declared_length, lambda n, f: ["morvel", "--longinfo=1-10", f], bound_few_mib),
        Dimension("morvel --gene: declared LOCUS length", "declared bp", 2_500_000,
                  gen_declared_length, lambda n, f: ["morvel", "--gene", f], bound_per_base(4)),
        Dimension("morvel --gene: long location over continuation lines", "ranges", 2_000,
                  gen_long_location, lambda n, f: ["morvel", "--gene", f], bound_linear,
                  check=lambda n, out: (count_painted(out) == 5 * n,
                                        "%d of %d bases painted" % (count_painted(out), 5 * n))),
        Dimension("tindra -s: items x entries (5 per item)", "items", 4_000, gen_seq_items,
                  lambda n, f: ["tindra", "-c", "--seq=" + seq_items(n), f], bound_linear),
        Dimension("morvel --annotate: keys x features (10 per key)", "keys", 4_000, gen_annotate,
                  lambda n, f: ["morvel"] + annotate_options(n) + [f], bound_linear),
        Dimension("morvel --gene: features per record", "features", 10_000, gen_features,
                  lambda n, f: ["morvel", "--gene", f], bound_linear, issue=False),
        Dimension("morvel --gene: records per file", "records", 5_000, gen_records,
                  lambda n, f: ["morvel", "--gene", f], bound_flat, issue=False),
        Dimension("tindra -c: entries per file", "entries", 50_000, gen_entries,
                  lambda n, f: ["tindra", "-c", f], bound_flat, issue=False),
        Dimension("tindra -c: fields per line", "fields", 1_000, gen_fields,
                  lambda n, f: ["tindra", "-c", f], bound_linear, issue=False),
        Dimension("trasply: values per line", "rows", 500_000, gen_values,
                  lambda n, f: ["trasply", f], bound_linear, issue=False),
    ]


# ---------------------------------------------------------------- running

class Run:
    def __init__(self):
        self.cpu = self.wall = None
        self.peak = 0
        self.status = None
        self.timed_out = False


# The peak memory comes from /usr/bin/time: a process started straight from
# this script would report this script's own size as its peak when that is
# larger (Linux keeps the high-water mark across exec).
TIME = "/usr/bin/time"


def run_once(argv, out_path=None):
    """One process: CPU and wall time, peak RSS."""
    run = Run()
    out = open(out_path, "wb") if out_path else subprocess.DEVNULL
    peak_path = os.path.join(os.path.dirname(argv[-1]), "peak")
    launch = [TIME, "-f", "%M", "-o", peak_path] + argv if os.access(TIME, os.X_OK) else argv
    started = time.monotonic()
    # A session of its own, so that a run over time is ended with the tool.
    proc = subprocess.Popen(launch, stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.DEVNULL,
                            start_new_session=True)
    while True:
        pid, status, usage = os.wait4(proc.pid, os.WNOHANG)
        if pid:
            break
        if time.monotonic() - started > RUN_TIMEOUT:
            os.killpg(proc.pid, signal.SIGKILL)
            pid, status, usage = os.wait4(proc.pid, 0)
            run.timed_out = True
            break
        time.sleep(0.002)
    proc.returncode = os.waitstatus_to_exitcode(status)  # reaped: keep Popen from waiting
    if out_path:
        out.close()
    run.wall = time.monotonic() - started
    run.cpu = usage.ru_utime + usage.ru_stime
    run.peak = usage.ru_maxrss * 1024
    if launch is not argv and os.path.exists(peak_path):
        with open(peak_path) as f:
            words = f.read().split()
        os.remove(peak_path)
        if words and words[-1].isdigit():
            run.peak = int(words[-1]) * 1024
    run.status = proc.returncode
    return run


class Result:
    def __init__(self, dim):
        self.dim = dim
        self.sizes, self.cpu, self.wall, self.peaks, self.input_bytes = [], [], [], [], []
        self.notes = []
        self.ratios = []
        self.mean_ratio = None
        self.time_ok = self.mem_ok = False
        self.mem_text = ""


def measure(dim, bins, work):
    """Runs the three sizes in turns (N, 2N, 4N, N, ...), so that a spell of
    other work on the machine falls on all of them alike."""
    result = Result(dim)
    sizes = [max(1, int(dim.base * SCALE)) << step for step in range(3)]
    paths, argvs, runs = [], [], []
    for n in sizes:
        path = os.path.join(work, "input-%d" % n)
        dim.make(path, n)
        argv = dim.args(n, path)
        paths.append(path)
        argvs.append([os.path.join(bins, argv[0])] + argv[1:])
        runs.append([])
    stopped = len(sizes)  # the sizes from here on are not run
    for turn in range(RUNS_QUICK):
        for i in range(stopped):
            done = runs[i]
            if done and (done[0].wall > SLOW or (turn >= RUNS and done[0].wall >= QUICK)):
                continue  # enough runs of this size
            run = run_once(argvs[i])
            done.append(run)
            if run.timed_out:
                stopped = i + 1
                break
    for i, n in enumerate(sizes[:stopped]):
        done = runs[i]
        result.sizes.append(n)
        result.input_bytes.append(os.path.getsize(paths[i]))
        if done[-1].timed_out:
            result.notes.append("at %s: over %.0f s, stopped" % (human(n), RUN_TIMEOUT))
            break
        if any(r.status != 0 for r in done):
            result.notes.append("at %s: exit status %d" % (human(n), done[0].status))
        if dim.check:
            out_path = paths[i] + ".out"
            run_once(argvs[i], out_path)
            with open(out_path, "rb") as f:
                ok, text = dim.check(n, f.read())
            os.remove(out_path)
            if not ok:
                result.notes.append("at %s: %s" % (human(n), text))
        result.cpu.append(min(r.cpu for r in done))
        result.wall.append(statistics.median(r.wall for r in done))
        result.peaks.append(max(r.peak for r in done))
        log("  %-55s %10s: %.3f s CPU, %.3f s wall, %.1f MiB"
            % (dim.name, human(n), result.cpu[-1], result.wall[-1], result.peaks[-1] / MiB))
    for path in paths:
        os.remove(path)
    if len(result.cpu) == 3:
        # Times below the clock's grain count as one grain.
        t = [max(c, 0.001) for c in result.cpu]
        result.ratios = [t[1] / t[0], t[2] / t[1]]
        result.mean_ratio = (t[2] / t[0]) ** 0.5
        result.time_ok = result.mean_ratio <= RATIO_LIMIT and max(result.ratios) <= ONE_RATIO_LIMIT
        result.mem_ok, result.mem_text = dim.bound(result.sizes, result.peaks)
    else:
        result.mem_text = dim.bound(result.sizes, [0] * len(result.sizes))[1]
    return result


def human(n):
    for div, suffix in ((1_000_000, "M"), (1_000, "k")):
        if n >= div and n % (div // 10) == 0:
            return ("%.1f" % (n / div)).rstrip("0").rstrip(".") + suffix
    return str(n)


# ---------------------------------------------------------------- report

def table(results):
    lines = [
        "| Dimension | N, 2N, 4N | CPU s | Ratio per doubling | Peak RSS MiB | Memory bound | Result |",
        "|---|---|---:|---:|---:|---|---|",
    ]
    for r in results:
        passed = r.time_ok and r.mem_ok and not r.notes
        verdict = "PASS" if passed else "**FAIL**"
        if r.notes:
            verdict += " (%s)" % "; ".join(r.notes)
        elif not passed:
            why = [w for w, bad in (("time", not r.time_ok), ("memory", not r.mem_ok)) if bad]
            verdict += " (%s)" % " and ".join(why)
        lines.append("| %s | %s %s | %s | %s | %s | %s | %s |" % (
            r.dim.name + ("" if r.dim.issue else " (linear before)"),
            ", ".join(human(n) for n in r.sizes), r.dim.unit,
            " / ".join("%.3f" % c for c in r.cpu) or "—",
            ("%s (%.2f)" % (" / ".join("%.2f" % x for x in r.ratios), r.mean_ratio)
             if r.ratios else "—"),
            " / ".join("%.1f" % (p / MiB) for p in r.peaks) or "—",
            r.mem_text, verdict))
    return lines


def git_revision():
    try:
        return subprocess.run(["git", "-C", ROOT, "rev-parse", "--short", "HEAD"], check=True,
                              capture_output=True, text=True).stdout.strip()
    except (OSError, subprocess.CalledProcessError):
        return "unknown"


def section(results, bins, seconds, load):
    failed = sum(1 for r in results if not (r.time_ok and r.mem_ok and not r.notes))
    return "\n".join([
        SECTION_BEGIN,
        "## Growth with input size",
        "",
        "Produced by `make bench-growth` (bench/growth.py); do not edit by hand. Each dimension "
        "of the input is doubled twice (N, 2N, 4N) with the rest fixed; inputs are generated "
        "on the fly. CPU s is the least user + system time of %d runs (%d for runs under %.1f s, "
        "one for runs over %.0f s). The ratio per doubling is given for each doubling and, in "
        "brackets, over both (the square root of the time at 4N over the time at N). A "
        "dimension passes when that is at most %.1f, neither doubling alone exceeds %.1f (room "
        "for one disturbed run), the peak resident memory stays within its bound and the "
        "output passes its check." % (RUNS, RUNS_QUICK, QUICK, SLOW, RATIO_LIMIT, ONE_RATIO_LIMIT),
        "",
        "- Revision: %s; binaries: %s; %s, `nproc` %d" % (
            git_revision(), os.path.relpath(bins, ROOT), platform.machine(), os.cpu_count() or 0),
        "- Date: %s; total time %.0f s; load average (1 min) before / after: %.2f / %.2f" % (
            time.strftime("%Y-%m-%d %H:%M UTC", time.gmtime()), seconds, load[0], load[1]),
        "- %d of %d dimensions pass" % (len(results) - failed, len(results)),
    ] + ([] if os.access(TIME, os.X_OK) else [
        "- %s is missing: peak memory includes this script's own (install GNU time)" % TIME,
    ]) + [
        "",
    ] + table(results) + ["", SECTION_END]) + "\n"


def write_section(text):
    """Puts the section into bench/results.md, replacing an earlier one."""
    path = os.path.join(BENCH, "results.md")
    old = ""
    if os.path.exists(path):
        with open(path) as f:
            old = f.read()
    pattern = re.compile(re.escape(SECTION_BEGIN) + ".*?" + re.escape(SECTION_END) + "\n?", re.S)
    if pattern.search(old):
        new = pattern.sub(lambda _: text, old, count=1)
    else:
        new = old + ("\n" if old and not old.endswith("\n\n") else "") + text
    with open(path, "w") as f:
        f.write(new)


def main():
    if len(sys.argv) < 2:
        sys.exit("usage: growth.py BIN_DIR [NAME_PART ...]")
    bins = os.path.abspath(sys.argv[1])
    wanted = sys.argv[2:]
    for tool in ("morvel", "tindra", "trasply"):
        if not os.access(os.path.join(bins, tool), os.X_OK):
            sys.exit("growth: %s/%s is missing; build first (make bench-growth does)" % (bins, tool))
    started = time.monotonic()
    load_before = os.getloadavg()[0]
    work = os.path.join(BENCH, "data", "growth")
    os.makedirs(work, exist_ok=True)
    results = []
    try:
        for dim in dimensions():
            if wanted and not any(w in dim.name for w in wanted):
                continue
            results.append(measure(dim, bins, work))
    finally:
        shutil.rmtree(work, ignore_errors=True)
    text = section(results, bins, time.monotonic() - started, (load_before, os.getloadavg()[0]))
    print(text)
    if not wanted:
        write_section(text)
        log("written to %s" % os.path.relpath(os.path.join(BENCH, "results.md"), ROOT))


if __name__ == "__main__":
    main()
