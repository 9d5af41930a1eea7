#!/usr/bin/env bash
# Benchmarks of morvel, tindra and trasply against peer scripts.
#   bash bench/run.sh BIN_DIR     (what `make bench` runs, after building)
# BIN_DIR holds the three binaries; nothing is built here. Inputs are made on
# demand into bench/data/ (kept between runs); the report goes to
# bench/results.md and standard output. BENCH_SCALE=small runs at a tenth of
# the sizes and writes its report to bench/data/results-small.md instead.
set -euo pipefail
if [ $# -ne 1 ]; then
  echo "usage: bash bench/run.sh BIN_DIR" >&2
  exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
python=$(command -v python3 || true)
if [ -z "$python" ]; then
  echo "bench: python3 is needed to generate the inputs and time the runs" >&2
  exit 1
fi
exec "$python" "$here/bench.py" "$1"
