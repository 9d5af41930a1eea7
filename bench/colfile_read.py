"""Reading a col file into numpy columns: the colfile module against
pandas.read_csv(sep=r"\\s+", comment=";") on the same file, each in a fresh
interpreter, interleaved, medians of the runs.

    python3 bench/colfile_read.py COL_FILE PACKAGE_DIR [RUNS]

PACKAGE_DIR holds the built colfile package (build/release/python). Prints
the report lines; bench.py calls measure() and puts them into results.md.
Memory is the interpreter's peak RSS growth while reading, against the
bytes of the arrays colfile returns (data and masks), all kept until the end.
"""
import json
import os
import statistics
import subprocess
import sys

MiB = 1 << 20

PRELUDE = r"""
import json, resource, sys, time
def rss():
    return resource.getrusage(resource.RUSAGE_SELF).ru_maxrss * 1024
def cpu():
    t = resource.getrusage(resource.RUSAGE_SELF)
    return t.ru_utime + t.ru_stime
"""

COLFILE = PRELUDE + r"""
import numpy as np
import colfile
base, wall, used = rss(), time.perf_counter(), cpu()
arrays, lines = [], 0
for entry in colfile.read(sys.argv[1]):
    lines += entry.length
    arrays.extend(entry[k] for k in range(1, len(entry.labels) + 1))
wall, used = time.perf_counter() - wall, cpu() - used
nbytes = sum(a.data.nbytes + (a.mask.nbytes if np.ma.getmask(a) is not np.ma.nomask else 0)
             if isinstance(a, np.ma.MaskedArray) else a.nbytes for a in arrays)
print(json.dumps(dict(wall=wall, cpu=used, grown=rss() - base, nbytes=nbytes, lines=lines)))
"""

PANDAS = PRELUDE + r"""
import pandas as pd
base, wall, used = rss(), time.perf_counter(), cpu()
frame = pd.read_csv(sys.argv[1], sep=r"\s+", comment=";", header=None)
wall, used = time.perf_counter() - wall, cpu() - used
print(json.dumps(dict(wall=wall, cpu=used, grown=rss() - base, nbytes=int(frame.memory_usage(deep=True).sum()),
                      lines=len(frame))))
"""

PYTHON = "/usr/bin/python3" if os.access("/usr/bin/python3", os.X_OK) else sys.executable


def run(script, path, package_dir):
    env = dict(os.environ, PYTHONPATH=package_dir)
    done = subprocess.run([PYTHON, "-c", script, path], env=env, capture_output=True, text=True, timeout=1800)
    if done.returncode != 0:
        raise RuntimeError(done.stderr.strip().splitlines()[-1] if done.stderr.strip() else "failed")
    return json.loads(done.stdout)


def missing(package_dir):
    """Why the comparison cannot run, or None."""
    if not os.path.isdir(os.path.join(package_dir, "colfile")):
        return "colfile not built (needs python3-dev, pybind11-dev, python3-numpy)"
    probe = subprocess.run([PYTHON, "-c", "import pandas"], capture_output=True)
    return "pandas missing (python3-pandas)" if probe.returncode else None


def measure(path, package_dir, runs=3):
    """Report lines (markdown) of the side-by-side comparison."""
    head = ["## colfile (Python) against pandas.read_csv", ""]
    why = missing(package_dir)
    if why:
        return head + ["Not measured: %s." % why]
    ours, theirs = [], []
    for _ in range(runs):
        ours.append(run(COLFILE, path, package_dir))
        theirs.append(run(PANDAS, path, package_dir))
    wall = statistics.median(r["wall"] for r in ours), statistics.median(r["wall"] for r in theirs)
    cpu = statistics.median(r["cpu"] for r in ours), statistics.median(r["cpu"] for r in theirs)
    grown, nbytes = max(r["grown"] for r in ours), ours[0]["nbytes"]
    lines = ours[0]["lines"]
    speed = wall[1] / wall[0]
    memory = grown / nbytes
    verdict = lambda ok: "PASS" if ok else "**FAIL**"  # noqa: E731
    return head + [
        "The col file's %s body lines (%.1f MB) read into numpy columns by `colfile.read` (every column of "
        "every entry kept) and by `pandas.read_csv(path, sep=r\"\\s+\", comment=\";\", header=None)`, "
        "each in a fresh interpreter, medians of %d interleaved runs; memory is the peak RSS growth "
        "while reading." % ("{:,}".format(lines), os.path.getsize(path) / 1e6, runs),
        "",
        "| Reader | Wall s | CPU s | Peak RSS growth | Result size |",
        "|---|---|---|---|---|",
        "| colfile | %.2f | %.2f | %.1f MiB | %.1f MiB of arrays |" % (wall[0], cpu[0], grown / MiB, nbytes / MiB),
        "| pandas.read_csv | %.2f | %.2f | %.1f MiB | %.1f MiB frame (deep) |" % (
            wall[1], cpu[1], max(r["grown"] for r in theirs) / MiB, theirs[0]["nbytes"] / MiB),
        "",
        "| Target | Limit | Measured | Result |",
        "|---|---|---|---|",
        "| colfile vs pandas.read_csv, speed | >= 10x | %.1fx (CPU %.1fx) | %s |" % (
            speed, cpu[1] / cpu[0], verdict(speed >= 10)),
        "| colfile memory | <= 1.5 x the arrays | %.2f x | %s |" % (memory, verdict(memory <= 1.5)),
    ]


def main():
    if len(sys.argv) not in (3, 4):
        sys.exit("usage: colfile_read.py COL_FILE PACKAGE_DIR [RUNS]")
    runs = int(sys.argv[3]) if len(sys.argv) == 4 else 3
    print("\n".join(measure(os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2]), runs)))


if __name__ == "__main__":
    main()
