#!/usr/bin/env bash
# Runs every fuzz target for the given number of seconds, each from a seed
# corpus gathered from the tests' own inputs. Findings are written to
# build/fuzz-findings/; a target that finds a crash fails the run.
set -u
bin=$1 seconds=$2
root=$(cd "$(dirname "$0")/.." && pwd)
work=$root/build/fuzz-corpus
findings=$root/build/fuzz-findings
mkdir -p "$findings"

seed() {  # target, then file patterns under tests/ and examples/
  local target=$1; shift
  mkdir -p "$work/$target"
  for pattern in "$@"; do
    find "$root/tests" "$root/examples" "$root/fuzz/regressions/$target" -type f -name "$pattern" 2>/dev/null |
      while read -r f; do cp "$f" "$work/$target/$(md5sum <"$f" | cut -c1-16)"; done
  done
}
seed location 'loc-*'
seed morvel '*.gb' '*.gbk'
seed args 'args-*'
seed col '*.col'
seed tindra '*.col'
seed trasply '*.col' '*.line'
# A few hand-written seeds where the tests keep their inputs inside scripts.
printf 'join(complement(1..5),<7..>9)' >"$work/location/join"
printf 'complement(join(1..3,7..9))' >"$work/location/cjoin"
printf -- '-gi25\0--annotate=CDS,exon\0--\0file' >"$work/args/mixed"

status=0
for target in location morvel args col tindra trasply; do
  exe=$bin/fuzz_$target
  [ -x "$exe" ] || { echo "fuzz_$target: not built, skipped"; continue; }
  echo "== fuzz_$target for ${seconds}s"
  if ! "$exe" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
       -artifact_prefix="$findings/$target-" -print_final_stats=0 "$work/$target" 2>"$findings/$target.log" >/dev/null; then
    echo "fuzz_$target found a problem:"; tail -n 30 "$findings/$target.log"; status=1
  else
    grep -E '^#[0-9]+.*DONE|Done [0-9]+ runs' "$findings/$target.log" | tail -n 1
  fi
done
exit $status
