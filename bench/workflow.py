#!/usr/bin/env python3
"""The Snakemake workflow at scale: a generated sample sheet of many small
genomes (GenBank, BED and VCF file each) run through workflow/Snakefile and
through a plain sequential shell loop that does the same work.

Usage: workflow.py BIN_DIR      (run by `make bench` and `make bench-workflow`)

Reports the wall time of the loop, of Snakemake on one core (the difference,
spread over the jobs, is Snakemake's own cost per job) and on two cores, and
of a Snakemake run with nothing left to do (what a resumed run pays before its
first job). The two result folders must be byte for byte the same.

BENCH_WORKFLOW_SAMPLES sets the number of samples (default 200). Inputs are
made into bench/data/workflow-N/ (kept between runs), the runs go to a
temporary folder; the report to standard output and bench/workflow-results.md.
"""
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile
import time

BENCH = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(BENCH)
sys.dont_write_bytecode = True
sys.path.insert(0, BENCH)
import gen_genbank  # noqa: E402
import gen_vcf  # noqa: E402

SAMPLES = int(os.environ.get("BENCH_WORKFLOW_SAMPLES", "200"))
GENOME_BASES = 40000      # per sample, a few records of 1 to 20 kbp
LARGEST_RECORD = 20000
VARIANTS = 40             # per sample, on its longest record
SEED = 20261209
SNAKEFILE = os.path.join(ROOT, "workflow", "Snakefile")
SCRIPTS = os.path.join(ROOT, "workflow", "scripts")
FEATURES_OPTION = re.compile(r"^\s*(-\w,\s*)?--features\b", re.M)


def log(text):
    print("workflow bench: " + text, file=sys.stderr, flush=True)


def write_genbank(path, seed):
    rng = random.Random(seed)
    tag = 1
    with open(path, "w", newline="\n") as out:
        for number, length in enumerate(gen_genbank.record_lengths(rng, GENOME_BASES, LARGEST_RECORD), 1):
            tag, _ = gen_genbank.write_record(out, rng, number, length, tag)


def write_vcf(gb, path, seed):
    name, seq = gen_vcf.longest_record(gb)
    rng = random.Random(seed)
    with open(path, "w") as out:
        out.write("##fileformat=VCFv4.2\n#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\n")
        for pos in sorted(rng.sample(range(1, len(seq) + 1), VARIANTS)):
            ref = chr(seq[pos - 1]).upper()
            alt = rng.choice([b for b in "ACGT" if b != ref])
            out.write("%s\t%d\t.\t%s\t%s\t50\tPASS\tDP=%d\n" % (name, pos, ref, alt, rng.randint(5, 80)))


def write_bed(gb, path, seed):
    name, seq = gen_vcf.longest_record(gb)
    rng = random.Random(seed)
    with open(path, "w") as out:
        for start in sorted(rng.sample(range(0, len(seq) - 200), 5)):
            out.write("%s\t%d\t%d\n" % (name, start, start + rng.randint(20, 200)))


def make_inputs():
    """The sample sheet (absolute paths) in bench/data/workflow-N/."""
    folder = os.path.join(BENCH, "data", "workflow-%d" % SAMPLES)
    sheet = os.path.join(folder, "samples.tsv")
    if os.path.exists(sheet):
        return sheet
    log("generating %d samples in %s" % (SAMPLES, os.path.relpath(folder, ROOT)))
    os.makedirs(folder, exist_ok=True)
    rows = ["sample\tgenbank\tbed\tvcf"]
    for i in range(1, SAMPLES + 1):
        name = "isolate%03d" % i
        gb, bed, vcf = (os.path.join(folder, name + ext) for ext in (".gb", ".bed", ".vcf"))
        write_genbank(gb, SEED + i)
        write_bed(gb, bed, SEED + i)
        write_vcf(gb, vcf, SEED + i)
        rows.append("\t".join((name, gb, bed, vcf)))
    with open(sheet + ".part", "w") as f:
        f.write("\n".join(rows) + "\n")
    os.rename(sheet + ".part", sheet)
    return sheet


def morvel_options(bin_dir):
    helptext = subprocess.run([os.path.join(bin_dir, "morvel"), "--help"],
                              capture_output=True, text=True).stdout
    return "--gene --features" if FEATURES_OPTION.search(helptext) else "--gene"


def loop_script(sheet, options):
    """The same work as the workflow, one sample after another in one shell."""
    py = sys.executable
    return """set -euo pipefail
summaries=()
while IFS=$'\\t' read -r s gb bed vcf; do
  [ "$s" = sample ] && continue
  r=results/$s/$s
  mkdir -p results/$s logs/$s
  morvel %(options)s "$gb" 2> logs/$s/col.log | zstd -q -3 -T1 > $r.col.zst
  zstd -dcq $r.col.zst | tindra --bed="$bed" 2> logs/$s/coloured.log | zstd -q -3 -T1 > $r.coloured.col.zst
  morvel --variants="$vcf" "$gb" > $r.annotated.vcf 2> logs/$s/variants.log
  zstd -dcq $r.coloured.col.zst | colshow 2> logs/$s/page.log > $r.html
  %(py)s %(scripts)s/summary.py $s "$gb" $r.col.zst "$bed" $r.annotated.vcf $r.summary.tsv 2> logs/$s/summary.log
  summaries+=($r.summary.tsv)
done < %(sheet)s
%(py)s %(scripts)s/index.py results/index.html "${summaries[@]}" 2> logs/index.log
""" % {"options": options, "py": py, "scripts": SCRIPTS, "sheet": sheet}


def timed(argv, cwd, env):
    started = time.monotonic()
    done = subprocess.run(argv, cwd=cwd, env=env, capture_output=True, text=True)
    seconds = time.monotonic() - started
    if done.returncode != 0:
        sys.exit("workflow bench: %s failed:\n%s%s" % (argv[0], done.stdout, done.stderr[-4000:]))
    return seconds, done.stdout + done.stderr


def snakemake(sheet, out, cores, env, *extra):
    return timed(["snakemake", "-s", SNAKEFILE, "--cores", str(cores), "--directory", out,
                  "--config", "samples=" + sheet, *extra], ROOT, env)


def jobs_done(output):
    found = re.findall(r"(\d+) of (\d+) steps \(100%\) done", output)
    return int(found[-1][1]) if found else 0


def same_results(a, b):
    return subprocess.run(["diff", "-rq", os.path.join(a, "results"), os.path.join(b, "results")],
                          capture_output=True).returncode == 0


def report(rows, jobs, load):
    loop, one, two, idle = (rows[k] for k in ("loop", "one", "two", "idle"))
    lines = [
        "# Workflow benchmark",
        "",
        "`make bench-workflow` (also part of `make bench`): %d generated samples of %d kbp each"
        % (SAMPLES, GENOME_BASES // 1000),
        "(a few records, %d BED regions, %d VCF lines), %d jobs." % (5, VARIANTS, jobs),
        "Load average before the runs: %.2f (the machine is shared; times are single runs)." % load,
        "",
        "| Run | Wall time (s) | Per sample (ms) |",
        "|---|---:|---:|",
    ]
    for label, key in (("plain sequential shell loop", "loop"), ("snakemake --cores 1", "one"),
                       ("snakemake --cores 2", "two"), ("snakemake, nothing to do", "idle")):
        lines.append("| %s | %.1f | %.0f |" % (label, rows[key], rows[key] * 1000 / SAMPLES))
    lines += [
        "",
        "Snakemake's own cost per job: (one core - loop) / jobs = %.0f ms, or %.0f ms beyond the"
        % ((one - loop) * 1000 / jobs, (one - loop - idle) * 1000 / jobs),
        "start-up that the nothing-to-do run measures (what a resumed run pays before its first",
        "job: %.1f s). Two cores run %.2fx as fast as one. Both result folders are byte for byte"
        % (idle, one / two),
        "the same.",
    ]
    return "\n".join(lines) + "\n"


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: workflow.py BIN_DIR")
    bin_dir = os.path.abspath(sys.argv[1])
    for tool in ("snakemake", "zstd"):
        if not shutil.which(tool):
            log("%s is not installed: skipped" % tool)
            return
    env = dict(os.environ, PATH=bin_dir + os.pathsep + os.environ["PATH"])
    sheet = make_inputs()
    load = os.getloadavg()[0]
    rows = {}
    with tempfile.TemporaryDirectory(prefix="workflow-bench-") as tmp:
        loop_dir, one_dir, two_dir = (os.path.join(tmp, d) for d in ("loop", "one", "two"))
        os.makedirs(loop_dir)
        log("plain loop")
        rows["loop"], _ = timed(["bash", "-c", loop_script(sheet, morvel_options(bin_dir))], loop_dir, env)
        log("snakemake --cores 1")
        rows["one"], output = snakemake(sheet, one_dir, 1, env)
        jobs = jobs_done(output)
        log("snakemake --cores 2")
        rows["two"], _ = snakemake(sheet, two_dir, 2, env)
        log("snakemake with nothing to do")
        rows["idle"], _ = snakemake(sheet, two_dir, 2, env)
        if not (same_results(loop_dir, one_dir) and same_results(loop_dir, two_dir)):
            sys.exit("workflow bench: the loop's and Snakemake's results differ (kept nothing)")
    text = report(rows, jobs, load)
    sys.stdout.write(text)
    if SAMPLES == 200:
        with open(os.path.join(BENCH, "workflow-results.md"), "w") as f:
            f.write(text)


if __name__ == "__main__":
    main()
