#!/usr/bin/env python3
"""Time morvel, tindra and trasply on large generated inputs against peer
scripts, check the targets and write a Markdown report.

Usage: bench.py BIN_DIR        (run through bench/run.sh, i.e. `make bench`)

Environment: BENCH_SCALE=small for a smoke run at a tenth of the sizes (its
report goes to bench/data/ so that bench/results.md keeps the full run),
BENCH_RUNS=N timed runs per peer (default and minimum 3; the tools, which are
quick, run at least 5 times).
Inputs are generated on demand into bench/data/<scale>/ and kept there.
Only the standard library is used.
"""
import gzip
import hashlib
import json
import mmap
import os
import platform
import random
import resource
import shutil
import statistics
import struct
import subprocess
import sys
import time
import zlib

import colfile_read

BENCH = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(BENCH)
PEERS = os.path.join(BENCH, "peers")
MiB = 1 << 20
TIMEOUT = 900  # seconds for one run of one case

SCALES = {
    # GenBank bases, largest record, line-form entries, rows per 1x entry
    "full": dict(bases=25_000_000, largest=10_000_000, entries=4, rows=1_000_000),
    "small": dict(bases=2_500_000, largest=1_000_000, entries=4, rows=100_000),
}
# morvel --variants: one record of this many bases and a VCF of this many SNVs
VARIANT_SCALES = {"full": (5_000_000, 1_000_000), "small": (500_000, 100_000)}
INFO_POS = 500
TINDRA_RANGES = "-r1-100000,2000000-2500000,9000000-9100000"
TINDRA_COLOURS = ["-C0,0.5,1", "-F0.2,0.2,0.2"]
TINDRA_ONE_ITEM = "-r1000-1010"
TINDRA_ITEMS = 6000          # about as many range items as one argument holds
BED_REGIONS = {"full": 1_000_000, "small": 100_000}


def log(text):
    print(text, file=sys.stderr, flush=True)


# ---------------------------------------------------------------- inputs

def source_digest(*paths):
    h = hashlib.sha1()
    for path in paths:
        with open(path, "rb") as f:
            h.update(f.read())
    return h.hexdigest()[:12]


def cached(path, stamp, make):
    """Run make(tmp_path) unless path exists with the same stamp; return its meta."""
    meta_path = path + ".json"
    if os.path.exists(path) and os.path.exists(meta_path):
        with open(meta_path) as f:
            meta = json.load(f)
        if meta.get("stamp") == stamp:
            return meta
    log("generating %s ..." % os.path.relpath(path, ROOT))
    started = time.monotonic()
    tmp = path + ".tmp"
    meta = make(tmp)
    os.replace(tmp, path)
    meta["stamp"] = stamp
    meta["seconds"] = round(time.monotonic() - started, 1)
    with open(meta_path, "w") as f:
        json.dump(meta, f)
    return meta


def make_genbank(tmp, scale):
    gen = os.path.join(BENCH, "gen_genbank.py")
    subprocess.run([sys.executable, gen, tmp, str(scale["bases"]), str(scale["largest"])],
                   check=True, stdout=subprocess.DEVNULL)
    lengths, features = [], 0
    with open(tmp, "rb") as f:
        for line in f:
            if line.startswith(b"LOCUS "):
                lengths.append(int(line.split()[2]))
            elif line.startswith(b"     ") and line[5:6] != b" ":
                features += 1
    return dict(bytes=os.path.getsize(tmp), records=len(lengths), bases=sum(lengths),
                largest=max(lengths), features=features)


def make_col(tmp, gb_path, morvel):
    with open(tmp, "wb") as out:
        subprocess.run([morvel, "--gene", gb_path], check=True, stdout=out)
    return col_meta(tmp)


def col_meta(path):
    """Body lines and entry sizes of a col file whose non-body lines start with ';'."""
    size = os.path.getsize(path)
    with open(path, "rb") as f, mmap.mmap(f.fileno(), 0, access=mmap.ACCESS_READ) as mm:
        lines = semis = 0
        chunk = 64 * MiB
        for start in range(0, size, chunk):
            piece = mm[start:start + chunk + 1]
            lines += piece[:chunk].count(b"\n")
            semis += piece.count(b"\n;")
        semis += mm[:1] == b";"
        entries, largest = 0, 0
        start = mm.find(b"\n", mm.find(b"; ==========")) + 1
        while start < size:
            end = mm.find(b"\n; **********", start - 1)
            if end < 0:
                break
            end = mm.find(b"\n", end + 1) + 1 or size
            largest = max(largest, end - start)
            entries += 1
            start = end
    return dict(bytes=size, body_lines=lines - semis, entries=entries, largest_entry=largest)


def make_coloured(tmp, col_path, tindra):
    """What colshow is measured on: `morvel --gene | tindra -r...` output."""
    with open(tmp, "wb") as out:
        subprocess.run([tindra, TINDRA_RANGES, TINDRA_COLOURS[0], col_path], check=True, stdout=out)
    return col_meta(tmp)


def many_range_items(count, top=10_000_000):
    """-r with `count` items of 1 to 15 positions spread over 1..top, in random order."""
    rnd = random.Random(14)
    starts = rnd.sample(range(1, top, 25), count)
    return "-r" + ",".join("%d-%d" % (a, a + rnd.randrange(15)) for a in starts)


def make_bed(tmp, gb_path, regions):
    """BED6/BED9 regions on the records of the GenBank file, as a variant caller
    or peak finder writes them: a track line, random strands, some itemRgb."""
    records = []
    with open(gb_path, "rb") as f:
        for line in f:
            if line.startswith(b"LOCUS "):
                words = line.split()
                records.append((words[1].decode(), int(words[2])))
    rnd = random.Random(16)
    weights = [length for _, length in records]
    picks = rnd.choices(records, weights=weights, k=regions)
    with open(tmp, "w") as out:
        out.write('track name="bench" itemRgb="On"\n')
        for k, (name, length) in enumerate(picks):
            start = rnd.randrange(length)
            end = min(length, start + rnd.randrange(1, 40))
            rgb = ("255,0,0", "0,0,255", "0", "30,160,60")[k % 4]
            out.write("%s\t%d\t%d\tr%d\t0\t%s\t%d\t%d\t%s\n"
                      % (name, start, end, k, "+-."[k % 3], start, end, rgb))
    return dict(bytes=os.path.getsize(tmp), regions=regions)


def make_lineform(tmp, entries, rows):
    gen = os.path.join(BENCH, "gen_lineform.py")
    subprocess.run([sys.executable, gen, tmp, str(entries), str(rows)],
                   check=True, stdout=subprocess.DEVNULL)
    return dict(bytes=os.path.getsize(tmp), entries=entries, rows=rows)


def prepare_inputs(scale_name, bin_dir):
    scale = SCALES[scale_name]
    data = os.path.join(BENCH, "data", scale_name)
    os.makedirs(data, exist_ok=True)
    gen_gb = source_digest(os.path.join(BENCH, "gen_genbank.py"))
    gen_lin = source_digest(os.path.join(BENCH, "gen_lineform.py"))
    gb = os.path.join(data, "records.gb")
    col = os.path.join(data, "records.col")
    lin1 = os.path.join(data, "rows-1x.lin")
    lin2 = os.path.join(data, "rows-2x.lin")
    inputs = {
        "gb": (gb, cached(gb, gen_gb, lambda tmp: make_genbank(tmp, scale))),
    }
    inputs["col"] = (col, cached(col, gen_gb + "-col",
                                 lambda tmp: make_col(tmp, gb, os.path.join(bin_dir, "morvel"))))
    bed = os.path.join(data, "regions.bed")
    inputs["bed"] = (bed, cached(bed, gen_gb + "-bed%d" % BED_REGIONS[scale_name],
                                 lambda tmp: make_bed(tmp, gb, BED_REGIONS[scale_name])))
    entries, rows = scale["entries"], scale["rows"]
    coloured = os.path.join(data, "records-coloured.col")
    inputs["coloured"] = (coloured, cached(coloured, gen_gb + "-coloured", lambda tmp: make_coloured(
        tmp, col, os.path.join(bin_dir, "tindra"))))
    inputs["lin1"] = (lin1, cached(lin1, gen_lin, lambda tmp: make_lineform(tmp, entries, rows)))
    inputs["lin2"] = (lin2, cached(lin2, gen_lin,
                                   lambda tmp: make_lineform(tmp, entries, 2 * rows)))
    vbases, snvs = VARIANT_SCALES[scale_name]
    vgb = os.path.join(data, "variants.gb")
    vcf = os.path.join(data, "variants.vcf")
    gen_vcf = source_digest(os.path.join(BENCH, "gen_vcf.py"))
    inputs["vgb"] = (vgb, cached(vgb, gen_gb + "-variants",
                                 lambda tmp: make_genbank(tmp, dict(bases=vbases, largest=vbases))))
    inputs["vcf"] = (vcf, cached(vcf, gen_gb + gen_vcf, lambda tmp: make_vcf(tmp, vgb, snvs)))
    prepare_compressed(inputs, gen_gb)
    return inputs


def make_vcf(tmp, gb_path, snvs):
    subprocess.run([sys.executable, os.path.join(BENCH, "gen_vcf.py"), gb_path, tmp, str(snvs)],
                   check=True, stdout=subprocess.DEVNULL)
    return dict(bytes=os.path.getsize(tmp), snvs=snvs)


# ---------------------------------------------------------------- compressed inputs

def make_gzip(tmp, src):
    with open(src, "rb") as f, gzip.GzipFile(tmp, "wb", compresslevel=6, mtime=0) as out:
        shutil.copyfileobj(f, out, MiB)
    return dict(bytes=os.path.getsize(tmp))


def make_bgzf(tmp, src):
    """BGZF as bgzip writes it: members of 64 KiB input at most, with the
    block size in an extra field, and the empty end block."""
    with open(src, "rb") as f, open(tmp, "wb") as out:
        while True:
            part = f.read(0xff00)
            if not part:
                break
            c = zlib.compressobj(6, zlib.DEFLATED, -15)
            raw = c.compress(part) + c.flush()
            out.write(b"\x1f\x8b\x08\x04\0\0\0\0\0\xff\x06\0BC\x02\0" + struct.pack("<H", 25 + len(raw))
                      + raw + struct.pack("<II", zlib.crc32(part), len(part)))
        out.write(bytes.fromhex("1f8b08040000000000ff0600424302001b0003000000000000000000"))
    return dict(bytes=os.path.getsize(tmp))


def make_zstd(tmp, src):
    subprocess.run([shutil.which("zstd"), "-q", "-3", "-f", "-o", tmp, src], check=True)
    return dict(bytes=os.path.getsize(tmp))


def prepare_compressed(inputs, stamp):
    """gzip, BGZF and zstd copies of the GenBank input, a gzip copy of the col file."""
    gb, col = inputs["gb"][0], inputs["col"][0]
    forms = [("gb.gz", gb + ".gz", make_gzip, gb), ("gb.bgz", gb + ".bgz", make_bgzf, gb),
             ("col.gz", col + ".gz", make_gzip, col)]
    if shutil.which("zstd"):
        forms.append(("gb.zst", gb + ".zst", make_zstd, gb))
    for key, path, make, src in forms:
        inputs[key] = (path, cached(path, stamp + "-" + key, lambda tmp: make(tmp, src)))


# ---------------------------------------------------------------- peers

def find_awk():
    for name in ("mawk", "gawk", "awk"):
        path = shutil.which(name)
        if path:
            return path
    return None


def find_biopython():
    for python in ("/usr/bin/python3", shutil.which("python3")):
        if python and os.path.exists(python):
            probe = subprocess.run([python, "-c", "import Bio"], capture_output=True)
            if probe.returncode == 0:
                return python
    return None


# ---------------------------------------------------------------- cases

class Case:
    def __init__(self, group, name, argv, units, unit_name, peer=None, reference=None,
                 same_input=True):
        self.group, self.name, self.argv = group, name, argv
        self.units, self.unit_name = units, unit_name
        self.peer = peer            # peer kind ("awk", "Biopython") or None for a tool
        self.reference = reference  # tool case whose output the peer must equal
        self.same_input = same_input  # a tool case on the input its group's peers read
        self.skipped = None         # reason, when the case cannot run
        self.times, self.cpu_times, self.rss_kib = [], [], []
        self.out_bytes = None
        self.digest = None
        self.failure = None
        self.stderr = ""

    @property
    def median(self):
        return statistics.median(self.times) if self.times else None

    @property
    def peak_rss(self):
        return max(self.rss_kib) * 1024 if self.rss_kib else None


def make_cases(bins, inputs, awk, bio):
    gb, gbm = inputs["gb"]
    col, colm = inputs["col"]
    lin1, lin1m = inputs["lin1"]
    lin2, lin2m = inputs["lin2"]
    morvel, tindra, trasply = (os.path.join(bins, t) for t in ("morvel", "tindra", "trasply"))
    bases, lines = gbm["bases"], colm["body_lines"]
    rows1 = lin1m["entries"] * lin1m["rows"]
    rows2 = lin2m["entries"] * lin2m["rows"]
    colshow = os.path.join(bins, "colshow")
    coloured, colouredm = inputs["coloured"]
    cases = [
        Case("morvel", "morvel", [morvel, gb], bases, "bases"),
        Case("morvel", "morvel --gene", [morvel, "--gene", gb], bases, "bases"),
        Case("morvel", "morvel --gene --bothstrand", [morvel, "--gene", "--bothstrand", gb],
             bases, "bases"),
        Case("morvel", "morvel --annotate=CDS --extend=50",
             [morvel, "--annotate=CDS", "--extend=50", gb], bases, "bases"),
        Case("morvel", "morvel -i%d" % INFO_POS, [morvel, "-i%d" % INFO_POS, gb], bases, "bases"),
        Case("morvel", "awk peer: plain lines", [awk, "-f", os.path.join(PEERS, "morvel_plain.awk"), gb],
             bases, "bases", peer="awk", reference="morvel"),
        Case("morvel", "Biopython peer: plain lines",
             [bio, os.path.join(PEERS, "morvel_plain_bio.py"), gb], bases, "bases",
             peer="Biopython", reference="morvel"),
        Case("tindra", "tindra -c", [tindra, "-c", col], lines, "lines"),
        Case("tindra", "tindra %s %s" % (TINDRA_RANGES, " ".join(TINDRA_COLOURS)),
             [tindra, TINDRA_RANGES] + TINDRA_COLOURS + [col], lines, "lines"),
        Case("tindra", "tindra %s -c" % TINDRA_ONE_ITEM, [tindra, TINDRA_ONE_ITEM, "-c", col],
             lines, "lines"),
        Case("tindra", "tindra -r<%s items> -c" % fmt_count(TINDRA_ITEMS),
             [tindra, many_range_items(TINDRA_ITEMS), "-c", col], lines, "lines"),
        Case("tindra", "tindra --bed=<%s regions> -c" % fmt_count(inputs["bed"][1]["regions"]),
             [tindra, "--bed=" + inputs["bed"][0], "-c", col], lines, "lines"),
        Case("tindra", "awk peer: colour every line",
             [awk, "-v", "prog=" + tindra, "-f", os.path.join(PEERS, "tindra_color.awk"), col],
             lines, "lines", peer="awk", reference="tindra -c"),
        Case("trasply", "trasply (entries of %s rows)" % fmt_count(lin1m["rows"]), [trasply, lin1],
             rows1, "rows"),
        Case("trasply", "trasply (entries of %s rows, 2x)" % fmt_count(lin2m["rows"]),
             [trasply, lin2], rows2, "rows", same_input=False),
        Case("trasply", "awk peer: transpose (%s rows)" % fmt_count(lin1m["rows"]),
             [awk, "-f", os.path.join(PEERS, "trasply.awk"), lin1], rows1, "rows",
             peer="awk", reference="trasply (entries of %s rows)" % fmt_count(lin1m["rows"])),
        Case("colshow", "colshow (tindra %s %s output)" % (TINDRA_RANGES, TINDRA_COLOURS[0]),
             [colshow, coloured], colouredm["body_lines"], "lines"),
    ]
    vgb, vgbm = inputs["vgb"]
    vcf, vcfm = inputs["vcf"]
    cases += [
        Case("variants", "morvel --variants (%s SNVs, %s-base record)"
             % (fmt_count(vcfm["snvs"]), fmt_count(vgbm["largest"])),
             [morvel, "--variants=" + vcf, vgb], vcfm["snvs"], "variants"),
        Case("variants", "morvel --gene (same record)", [morvel, "--gene", vgb], vgbm["bases"], "bases"),
    ]
    cases += compressed_cases(morvel, tindra, inputs, bases, lines)
    for case in cases:
        if case.peer == "awk" and not awk:
            case.skipped = "no awk on PATH"
        if case.peer == "Biopython" and not bio:
            case.skipped = "no python3 that can import Bio (Debian: python3-biopython)"
    return cases


def compressed_cases(morvel, tindra, inputs, bases, lines):
    """Compressed input against the plain file in one interleaved group, with
    the decompress-then-pipe peers."""
    gb, col = inputs["gb"][0], inputs["col"][0]
    plain = "morvel --gene: plain input"
    cases = [Case("compressed", plain, [morvel, "--gene", gb], bases, "bases")]
    for key, label in (("gb.gz", "gzip"), ("gb.bgz", "BGZF"), ("gb.zst", "zstd")):
        case = Case("compressed", "morvel --gene: %s input" % label,
                    [morvel, "--gene", inputs[key][0] if key in inputs else gb + ".zst"], bases, "bases")
        case.skipped = None if key in inputs else "no zstd on PATH"
        cases.append(case)
    for tool, decompress in (("zcat", "zcat"), ("igzip", "igzip -dc")):
        found = shutil.which(tool)
        case = Case("compressed", "%s FILE \\| morvel --gene" % decompress,
                    ["sh", "-c", '%s "$0" | "$1" --gene' % decompress, inputs["gb.gz"][0], morvel],
                    bases, "bases", peer=tool, reference=plain)
        case.skipped = None if found else "no %s on PATH (Debian: %s)" % (tool, "isal" if tool == "igzip" else "gzip")
        cases.append(case)
    cases += [Case("compressed", "tindra -c: plain input", [tindra, "-c", col], lines, "lines"),
              Case("compressed", "tindra -c: gzip input", [tindra, "-c", inputs["col.gz"][0]], lines, "lines")]
    return cases


def compressed_targets(cases):
    by = {c.name: c for c in cases}
    rows = []

    def add(name, limit, measured, ok):
        rows.append("| %s | %s | %s | %s |" % (name, limit, measured, verdict(ok)))

    def versus(tool, form, limit):
        plain, packed = by["%s: plain input" % tool], by["%s: %s input" % (tool, form)]
        if packed.skipped or not packed.median or not plain.median:
            add("`%s` on %s input" % (tool, form), "<= %.2fx plain" % limit,
                "not measured (%s)" % (packed.skipped or packed.failure or plain.failure), None)
            return
        r = packed.median / plain.median
        add("`%s` on %s input" % (tool, form), "<= %.2fx plain" % limit, "%.2fx" % r, r <= limit)
        extra = (packed.peak_rss - plain.peak_rss) / MiB
        add("`%s` on %s input: peak memory" % (tool, form), "<= plain + 8 MiB",
            "+%.1f MiB" % extra, extra <= 8)
        add("`%s` on %s input: output" % (tool, form), "same bytes as plain", "same" if
            packed.digest == plain.digest else "**differs**", packed.digest == plain.digest)

    for form in ("gzip", "BGZF", "zstd"):
        versus("morvel --gene", form, 1.1)
    versus("tindra -c", "gzip", 1.15)
    tool = by["morvel --gene: gzip input"]
    for peer in ("zcat", "igzip -dc"):
        p = by["%s FILE \\| morvel --gene" % peer]
        r = ratio(p, tool)
        add("`morvel --gene` on gzip vs `%s FILE \\| morvel --gene`" % peer, "faster (> 1x)",
            "%.2fx" % r if r else "not measured (%s)" % (p.skipped or p.failure), None if r is None else r > 1)
    return rows


# ---------------------------------------------------------------- running

TIME = "/usr/bin/time"


def run_timed(argv):
    """Wall and CPU time, peak RSS (KiB), exit status and stderr of one run,
    standard output to /dev/null.

    The peak RSS comes from /usr/bin/time when it exists: a child forked from
    this (much larger) Python process would report Python's peak as its own."""
    scratch = os.path.join(BENCH, "data", "run")
    os.makedirs(scratch, exist_ok=True)
    rss_file = os.path.join(scratch, "rss")
    launcher = [TIME, "-f", "%M %U %S", "-o", rss_file] if os.access(TIME, os.X_OK) else []
    with open(os.devnull, "wb") as null, open(os.path.join(scratch, "stderr"), "w+b") as err:
        started = time.perf_counter()
        proc = subprocess.Popen(launcher + argv, stdout=null, stderr=err)
        try:
            status = proc.wait(timeout=TIMEOUT)
        except subprocess.TimeoutExpired:
            proc.kill()
            status = proc.wait()
        elapsed = time.perf_counter() - started
        err.seek(0)
        stderr = err.read(2000).decode(errors="replace")
    if launcher:
        with open(rss_file) as f:  # a failed run has a line of its own first
            fields = f.read().split()[-3:]
        rss, cpu = int(fields[0]), float(fields[1]) + float(fields[2])
    else:
        usage = resource.getrusage(resource.RUSAGE_CHILDREN)
        rss, cpu = usage.ru_maxrss, None
    return elapsed, cpu, rss, status, stderr


def count_output(argv):
    """Bytes and digest of the output, in a run of its own (not timed)."""
    digest, size = hashlib.sha1(), 0
    proc = subprocess.Popen(argv, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    while True:
        block = proc.stdout.read(MiB)
        if not block:
            break
        size += len(block)
        digest.update(block)
    proc.wait()
    return size, digest.hexdigest(), proc.returncode


def run_group(cases, runs):
    """Peers run `runs` times; the tools, which take seconds, at least 5 times."""
    active = [c for c in cases if not c.skipped]
    for case in active:  # the counting run also warms the page cache
        log("  counting output: %s" % case.name)
        case.out_bytes, case.digest, status = count_output(case.argv)
        if status != 0:
            case.failure = "exit status %d" % status
    tool_runs = max(runs, 5)
    for rep in range(tool_runs):  # interleaved, so that ratios survive a noisy machine
        for case in active:
            wanted = runs if case.peer else tool_runs
            if case.failure or rep >= wanted:
                continue
            elapsed, cpu, rss, status, stderr = run_timed(case.argv)
            log("  run %d/%d %-45s %7.2f s %8.1f MiB" % (rep + 1, wanted, case.name, elapsed, rss / 1024))
            if status != 0:
                case.failure = "exit status %d" % status
            case.times.append(elapsed)
            if cpu is not None:
                case.cpu_times.append(cpu)
            case.rss_kib.append(rss)
            case.stderr = case.stderr or stderr


# ---------------------------------------------------------------- report

def fmt_count(n):
    for div, suffix in ((1_000_000, "M"), (1_000, "k")):
        if n >= div and n % (div // 10) == 0:
            return ("%g" % (n / div)) + suffix
    return "{:,}".format(n)


def fmt_rate(x):
    return "%.1f M" % (x / 1e6) if x >= 1e6 else "%.0f k" % (x / 1e3)


def machine_lines():
    cpu = "unknown"
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                if line.startswith("model name"):
                    cpu = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    return cpu, os.cpu_count(), platform.release()


def git_revision():
    try:
        out = subprocess.run(["git", "-C", ROOT, "describe", "--always", "--dirty"],
                             capture_output=True, text=True, timeout=10)
        return out.stdout.strip() or "unknown"
    except (OSError, subprocess.SubprocessError):
        return "unknown"


def ratio(peer, tool):
    if not peer or peer.skipped or peer.failure or not tool.median or not peer.median:
        return None
    return peer.median / tool.median


def case_table(cases):
    groups = {}
    for case in cases:
        groups.setdefault(case.group, []).append(case)
    rows = ["| Case | Median wall s (runs) | CPU s | Throughput | Written MB/s | Output MB | Peak RSS MiB | x awk peer | x Biopython peer |",
            "|---|---:|---:|---:|---:|---:|---:|---:|---:|"]
    for group in groups.values():
        peers = {c.peer: c for c in group if c.peer}
        for case in group:
            if case.skipped:
                rows.append("| %s | skipped: %s | | | | | | | |" % (case.name, case.skipped))
                continue
            if case.failure and not case.times:
                rows.append("| %s | FAILED: %s | | | | | | | |" % (case.name, case.failure))
                continue
            med = case.median
            cells = [case.name + (" (FAILED: %s)" % case.failure if case.failure else ""),
                     "%.2f (%d)" % (med, len(case.times)),
                     "%.2f" % statistics.median(case.cpu_times) if case.cpu_times else "n/a",
                     "%s %s/s" % (fmt_rate(case.units / med), case.unit_name),
                     "%.0f" % (case.out_bytes / 1e6 / med),
                     "%.0f" % (case.out_bytes / 1e6),
                     "%.1f" % (case.peak_rss / MiB)]
            for kind in ("awk", "Biopython"):
                peer = peers.get(kind)
                if case.peer or not case.same_input:
                    cells.append("—")
                elif peer is None:
                    cells.append("—")
                elif peer.skipped:
                    cells.append("n/a (peer skipped)")
                else:
                    r = ratio(peer, case)
                    cells.append("%.1fx" % r if r else "n/a")
            rows.append("| " + " | ".join(cells) + " |")
    return rows


def verdict(ok):
    return "n/a" if ok is None else ("PASS" if ok else "**MISS**")


def targets(cases, inputs):
    by = {c.name: c for c in cases}
    gbm, colm = inputs["gb"][1], inputs["col"][1]
    gene = by["morvel --gene"]
    awk_m, bio_m = by["awk peer: plain lines"], by["Biopython peer: plain lines"]
    rows = ["| Target | Limit | Measured | Result |", "|---|---|---|---|"]

    def add(name, limit, measured, ok):
        rows.append("| %s | %s | %s | %s |" % (name, limit, measured, verdict(ok)))

    if gene.median:
        rate = gene.units / gene.median
        add("`morvel --gene` throughput", ">= 40 M bases/s", "%.1f M bases/s" % (rate / 1e6),
            rate >= 40e6)
    for peer, limit in ((awk_m, 10), (bio_m, 20)):
        r = ratio(peer, gene)
        label = "`morvel --gene` vs %s peer" % peer.peer
        if r is None:
            add(label, ">= %dx" % limit, "not measured (%s)" % (peer.skipped or peer.failure),
                None)
        else:
            add(label, ">= %dx" % limit, "%.1fx" % r, r >= limit)
    limit = 10 * gbm["largest"] + 32 * MiB
    morvels = [c for c in cases if c.group == "morvel" and not c.peer and c.peak_rss]
    if morvels:
        worst = max(morvels, key=lambda c: c.peak_rss)
        add("morvel peak memory (largest record %s bases)" % fmt_count(gbm["largest"]),
            "<= 10 B/base + 32 MiB = %.1f MiB" % (limit / MiB),
            "%.1f MiB (%s)" % (worst.peak_rss / MiB, worst.name), worst.peak_rss <= limit)
    tin = by["tindra -c"]
    r = ratio(by["awk peer: colour every line"], tin)
    add("`tindra -c` vs awk peer", ">= 3x", "%.1fx" % r if r else "not measured",
        None if r is None else r >= 3)
    limit = 3 * colm["largest_entry"] + 32 * MiB
    tindras = [c for c in cases if c.group == "tindra" and not c.peer and c.peak_rss]
    if tindras:
        worst = max(tindras, key=lambda c: c.peak_rss)
        add("tindra peak memory (largest entry %.1f MiB)" % (colm["largest_entry"] / MiB),
            "<= 3 x entry + 32 MiB = %.1f MiB" % (limit / MiB),
            "%.1f MiB (%s)" % (worst.peak_rss / MiB, worst.name), worst.peak_rss <= limit)
    variants, vgene = [c for c in cases if c.group == "variants"]
    if variants.median:
        add("`morvel --variants`, %s SNVs on a %s-base record" % (fmt_count(variants.units),
                                                                 fmt_count(inputs["vgb"][1]["largest"])),
            "<= 2 s", "%.2f s" % variants.median, variants.median <= 2)
    if variants.peak_rss and vgene.peak_rss:
        limit = vgene.peak_rss + 64 * variants.units
        add("`morvel --variants` peak memory", "<= `--gene` on the record + 64 B/variant = %.1f MiB"
            % (limit / MiB), "%.1f MiB" % (variants.peak_rss / MiB), variants.peak_rss <= limit)
    one, many = by["tindra %s -c" % TINDRA_ONE_ITEM], by["tindra -r<%s items> -c" % fmt_count(TINDRA_ITEMS)]
    r = ratio(one, many)
    add("`tindra -c` with %s range items vs one item" % fmt_count(TINDRA_ITEMS), "speed >= 0.8x",
        "%.2fx" % r if r else "not measured", None if r is None else r >= 0.8)
    bed = [c for c in cases if c.name.startswith("tindra --bed=")][0]
    r = ratio(tin, bed)
    add("`%s` vs `tindra -c`" % bed.name, "speed >= 0.8x",
        "%.2fx" % r if r else "not measured", None if r is None else r >= 0.8)
    t1, t2, tp = [c for c in cases if c.group == "trasply"]
    r = ratio(tp, t1)
    add("trasply vs awk peer", ">= 3x", "%.1fx" % r if r else "not measured",
        None if r is None else r >= 3)
    if t1.median and t2.median:
        lin = t2.median / t1.median
        add("trasply linear in entry size (entries twice as long)",
            "time ratio about 2 (1.6 to 2.4)", "%.2f" % lin, 1.6 <= lin <= 2.4)
    shows = [c for c in cases if c.group == "colshow"]
    if shows and shows[0].median:
        show = shows[0]
        rate = show.units / show.median
        add("`colshow` throughput", ">= 30 M lines/s", "%.1f M lines/s" % (rate / 1e6), rate >= 30e6)
        per = show.out_bytes / show.units
        add("`colshow` page size", "<= 2 bytes of HTML per residue", "%.2f bytes per residue" % per, per <= 2)
    paint = PAINT.get("result")
    if paint:
        small, large, residues = paint
        add("%s-residue page painted in headless Chromium" % fmt_count(residues),
            "<= 3 s more than a 10-residue page",
            "%.2f s vs %.2f s (%.2f s more)" % (large, small, large - small),
            large - small <= 3)
    else:
        add("large page painted in headless Chromium", "<= 3 s more than a 10-residue page",
            "not measured (%s)" % PAINT.get("skipped", "not run"), None)
    return rows


# ---------------------------------------------------------------- paint time

PAINT = {}


def measure_paint(bins, inputs, runs):
    """Median wall time of a headless Chromium screenshot of a 10-residue page
    and of the page of the largest entry (its first), each from file://."""
    chromium = shutil.which("chromium") or shutil.which("chromium-browser")
    if not chromium:
        PAINT["skipped"] = "no chromium on PATH"
        return
    colshow = os.path.join(bins, "colshow")
    coloured = inputs["coloured"][0]
    scratch = os.path.join(BENCH, "data", "run")
    os.makedirs(scratch, exist_ok=True)
    small, large = os.path.join(scratch, "small.html"), os.path.join(scratch, "large.html")
    with open(small, "wb") as f:
        subprocess.run([colshow, "-s1", "-r1-10", coloured], check=True, stdout=f)
    with open(large, "wb") as f:
        subprocess.run([colshow, "-s1", coloured], check=True, stdout=f)
    residues = inputs["gb"][1]["largest"]

    def shot(page):
        profile = os.path.join(scratch, "chromium-profile")
        shutil.rmtree(profile, ignore_errors=True)
        argv = [chromium, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                "--disable-background-networking", "--disable-component-update", "--disable-sync",
                "--user-data-dir=" + profile, "--window-size=1100,800", "--hide-scrollbars",
                "--run-all-compositor-stages-before-draw", "--screenshot=" + os.path.join(scratch, "shot.png"),
                "file://" + page]
        started = time.perf_counter()
        subprocess.run(argv, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=TIMEOUT, check=True)
        return time.perf_counter() - started

    times = {small: [], large: []}
    for rep in range(runs):  # interleaved, like the other cases
        for page in (small, large):
            times[page].append(shot(page))
            log("  paint %d/%d %-30s %6.2f s" % (rep + 1, runs, os.path.basename(page), times[page][-1]))
    PAINT["result"] = (statistics.median(times[small]), statistics.median(times[large]), residues)


def report(cases, inputs, scale_name, runs, load_before, load_after, bins, started):
    cpu, ncpu, kernel = machine_lines()
    gbm, colm = inputs["gb"][1], inputs["col"][1]
    l1, l2 = inputs["lin1"][1], inputs["lin2"][1]
    lines = [
        "# Benchmark results",
        "",
        "Produced by `make bench` (bench/run.sh); do not edit by hand. "
        "Reproduce with `make bench` (3 to 6 minutes on 2 cores, plus about a minute to generate the inputs into "
        "bench/data/), or `BENCH_SCALE=small make bench` for a smoke run at a tenth of the sizes.",
        "",
        "## Machine and run",
        "",
        "- CPU: %s, `nproc` %s; Linux %s" % (cpu, ncpu, kernel),
        "- Load average (1 min) before / after: %.2f / %.2f%s" % (
            load_before, load_after,
            " (other work shared the CPUs: wall times are high and ratios less certain)"
            if max(load_before, load_after) > 1.5 else ""),
        "- Revision: %s; binaries: %s" % (git_revision(), os.path.relpath(bins, ROOT)),
        "- Scale: %s; medians of %d timed runs per peer and %d per tool case, interleaved; "
        "all output to /dev/null; output size counted in a separate untimed run"
        % (scale_name, runs, max(runs, 5)),
        "- Date: %s; total time %.0f s" % (time.strftime("%Y-%m-%d %H:%M UTC", time.gmtime()),
                                          time.monotonic() - started),
        "",
        "## Inputs (generated, deterministic)",
        "",
        "- GenBank: %d records, %s bases (1 kbp to %s bases per record), %s features, %.1f MB"
        % (gbm["records"], "{:,}".format(gbm["bases"]), "{:,}".format(gbm["largest"]),
           "{:,}".format(gbm["features"]), gbm["bytes"] / 1e6),
        "- col file (`morvel --gene` of it): %s body lines, %d entries, largest entry %.1f MiB, %.1f MB"
        % ("{:,}".format(colm["body_lines"]), colm["entries"], colm["largest_entry"] / MiB,
           colm["bytes"] / 1e6),
        "- line form: %d entries of %s rows (%.1f MB) and %d entries of %s rows (%.1f MB), "
        "6 columns each, seqpos and alignpos generated"
        % (l1["entries"], "{:,}".format(l1["rows"]), l1["bytes"] / 1e6,
           l2["entries"], "{:,}".format(l2["rows"]), l2["bytes"] / 1e6),
        "",
        "## Targets",
        "",
    ] + ([] if scale_name == "full" else [
        "The targets are set for the full scale; at this scale start-up costs weigh more, "
        "so this run only shows that every case works.", ""]) + targets(cases, inputs) + compressed_targets(cases) + [
        "",
        "## Cases",
        "",
        "Throughput counts input bases (morvel), input body lines (tindra) or output rows "
        "(trasply) per second of wall time; MB = 10^6 bytes, MiB = 2^20 bytes. "
        "CPU s is the median of user + system time, less sensitive than wall time to other work "
        "on the machine. \"x peer\" is the peer's median wall time over the tool's.",
        "",
    ] + case_table(cases) + [
        "",
        "## Peers",
        "",
        "Peers are small scripts in bench/peers/ doing the same job the plain way; "
        "their output is compared with the tool's:",
        "",
    ]
    for case in cases:
        if case.peer:
            ref = next((c for c in cases if c.name == case.reference), None)
            if case.skipped:
                same = "skipped (%s)" % case.skipped
            elif ref and ref.digest and case.digest:
                same = "same bytes as `%s`: %s" % (ref.name, "yes" if ref.digest == case.digest else "**no**")
            else:
                same = "output not compared"
            lines.append("- %s (`%s`): %s" % (case.name, os.path.basename(case.argv[0] or "?"), same))
    lines += ["",
              "The awk peers of morvel write only the plain lines (label, residue, position), "
              "so `morvel --gene` is compared with a peer that does less work."]
    notes = [c for c in cases if c.stderr.strip()]
    if notes:
        lines += ["", "## Messages on standard error", ""]
        for case in notes:
            lines.append("- %s: `%s`" % (case.name, case.stderr.strip().splitlines()[0][:200]))
    return "\n".join(lines) + "\n"


def kept_growth_section(path):
    """The section that growth.py wrote into the report, kept as it was."""
    if not os.path.exists(path):
        return ""
    with open(path) as f:
        old = f.read()
    begin = old.find("<!-- growth benchmark: begin -->")
    return "" if begin < 0 else "\n" + old[begin:]


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: bench.py BIN_DIR")
    started = time.monotonic()
    bins = os.path.abspath(sys.argv[1])
    scale_name = os.environ.get("BENCH_SCALE", "full")
    if scale_name not in SCALES:
        sys.exit("BENCH_SCALE must be one of: %s" % ", ".join(SCALES))
    runs = max(3, int(os.environ.get("BENCH_RUNS", "3")))
    for tool in ("morvel", "tindra", "trasply", "colshow"):
        if not os.access(os.path.join(bins, tool), os.X_OK):
            sys.exit("bench: %s/%s is missing; build first (make bench does)" % (bins, tool))
    inputs = prepare_inputs(scale_name, bins)
    awk, bio = find_awk(), find_biopython()
    cases = make_cases(bins, inputs, awk, bio)
    load_before = os.getloadavg()[0]
    for group in ("morvel", "tindra", "trasply", "variants", "colshow", "compressed"):
        log("%s:" % group)
        run_group([c for c in cases if c.group == group], runs)
    log("colshow page in headless Chromium:")
    measure_paint(bins, inputs, runs)
    log("colfile (Python) against pandas.read_csv:")
    python_lines = colfile_read.measure(inputs["col"][0], os.path.join(os.path.dirname(bins), "python"), runs)
    text = report(cases, inputs, scale_name, runs, load_before, os.getloadavg()[0], bins, started)
    text += "\n" + "\n".join(python_lines) + "\n"
    target = (os.path.join(BENCH, "results.md") if scale_name == "full"
              else os.path.join(BENCH, "data", "results-%s.md" % scale_name))
    with open(target, "w") as f:
        f.write(text + kept_growth_section(target))
    print(text)
    log("written to %s" % os.path.relpath(target, ROOT))


if __name__ == "__main__":
    main()
