"""Two builds side by side on the benchmark's inputs.

    python3 bench/side_by_side.py BASE_BIN_DIR NEW_BIN_DIR [RUNS] [WORD]

Every tool case of `make bench` (no peers) runs RUNS times (default 5) at
both builds, interleaved so that a busy machine weighs on both alike; the
table gives the least CPU time of each and their ratio, and whether the two
outputs are the same bytes (the binaries' own paths, which tindra writes into
its history line, are set aside first). WORD keeps only the cases whose name
holds it. The inputs are those of `make bench` (BENCH_SCALE as there), made
with the base build when absent."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import bench  # noqa: E402


def tool_cases(bins, inputs):
    cases = [c for c in bench.make_cases(bins, inputs, None, None) if not c.peer]
    compressed = bench.compressed_cases(os.path.join(bins, "morvel"), os.path.join(bins, "tindra"), inputs, 0, 0)
    return cases + [c for c in compressed if not c.peer and c.name not in {x.name for x in cases}]


def digest(case, bins):
    """Bytes, digest and status of the output with the binaries' folder named alike."""
    script = '"$@" | sed "s#%s/#BIN/#g"' % bins
    return bench.count_output(["sh", "-c", script, "sh"] + case.argv)


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    base, new = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 5
    word = sys.argv[4] if len(sys.argv) > 4 else ""
    inputs = bench.prepare_inputs(os.environ.get("BENCH_SCALE", "full"), base)
    print("%-58s %8s %8s %7s  %s" % ("case", "base s", "new s", "new/base", "output"))
    for b, n in zip(tool_cases(base, inputs), tool_cases(new, inputs)):
        name = "%s: %s" % (b.group, b.name)
        if word not in name or b.skipped or n.skipped:
            continue
        same = digest(b, base) == digest(n, new)
        tb, tn = [], []
        for _ in range(runs):
            tb.append(bench.run_timed(b.argv)[1])
            tn.append(bench.run_timed(n.argv)[1])
        tb, tn = min(tb), min(tn)
        print("%-58s %8.3f %8.3f %7.3f  %s" % (name[:58], tb, tn, tn / tb, "same" if same else "DIFFERENT"),
              flush=True)


if __name__ == "__main__":
    main()
