#!/usr/bin/env bash
# Runs every fuzz target for the given number of seconds, each from a seed
# corpus gathered from the tests' own inputs (and the shared GenBank records
# when they are there), plus the inputs kept in fuzz/regressions/<target>/.
# Findings are written to build/fuzz-findings/; a target that finds a crash,
# a leak or a timeout fails the run. Replay a finding with the tests'
# replay_<target> binary or with `fuzz_<target> FILE`, then keep it in
# fuzz/regressions/<target>/ once it is fixed.
#
#   fuzz/run.sh BIN_DIR SECONDS [TARGET...]
set -u
bin=$1 seconds=$2
shift 2
targets=${*:-location morvel args col tindra trasply gzip colshow bed vcf features}
root=$(cd "$(dirname "$0")/.." && pwd)
shared=$root/../shared/data/genbank
work=$root/build/fuzz-corpus
findings=$root/build/fuzz-findings
mkdir -p "$findings"

keep() {  # target, file: a seed named by its contents
  cp "$2" "$work/$1/$(md5sum <"$2" | cut -c1-16)"
}

seed() {  # target, then file-name patterns searched under tests/ and examples/
  local target=$1 pattern; shift
  mkdir -p "$work/$target"
  for pattern in "$@"; do
    find "$root/tests" "$root/examples" -type f -name "$pattern" 2>/dev/null |
      while read -r f; do keep "$target" "$f"; done
  done
  if [ -d "$root/fuzz/regressions/$target" ]; then
    find "$root/fuzz/regressions/$target" -type f | while read -r f; do keep "$target" "$f"; done
  fi
}

gb_files() {
  find "$root/tests" "$root/examples" -type f \( -name '*.gb' -o -name '*.gbk' \) 2>/dev/null
  [ -d "$shared" ] && find "$shared" -type f
}

seed location 'loc-*'
seed morvel '*.gb' '*.gbk'
seed args 'args-*'
# The golden outputs of morvel and tindra are col files too.
seed col '*.col' 'out'
seed tindra '*.col'
seed trasply '*.col' '*.line'
# colshow reads what the col reader reads: the same seeds and kept inputs.
seed colshow '*.col' 'out'
find "$root/fuzz/regressions/col" -type f 2>/dev/null | while read -r f; do keep colshow "$f"; done
seed gzip '*.gz'
seed bed '*.bed'
seed vcf '*.vcf'
# FEATURE lines are entry text: every col file seeds them, with the kept ones.
seed features '*.col' 'out'
# Locations: the location word of every feature line of the GenBank inputs.
gb_files | xargs -r awk '/^     [^ ]/ && NF >= 2 { print $2 }' 2>/dev/null | sort -u | head -n 2000 |
  while read -r loc; do printf '%s' "$loc" >"$work/location/$(printf '%s' "$loc" | md5sum | cut -c1-16)"; done
printf 'join(complement(1..5),<7..>9)' >"$work/location/join"
printf 'complement(join(1..3,7..9))' >"$work/location/cjoin"
printf 'order(1..2,(3.5)..>9,J00194.1:100..202)' >"$work/location/order"
printf -- '-gi25\0--annotate=CDS,exon\0--\0file' >"$work/args/mixed"
printf -- '-r2-3\0-cf\0--color=1.0,0.5,0.5\0--fgcolor=0.333333,0.666666,0.999999\0in.col' >"$work/args/tindra"
printf -- '--longinfo=5-1\0--extend=-3\0--mutation=a\0-i-2147483648\0a\0b' >"$work/args/morvel"
# Compressed seeds: a few GenBank inputs, one of them as two members.
for f in "$root/examples/sample.gb" $(gb_files | head -n 3); do
  [ -f "$f" ] && gzip -c "$f" >"$work/gzip/$(basename "$f").gz"
done
cat "$work"/gzip/*.gz >"$work/gzip/members.gz" 2>/dev/null
# The morvel target also reads the shared records in place, without copying.
extra_morvel=()
[ -d "$shared" ] && extra_morvel=("$shared")

status=0
for target in $targets; do
  exe=$bin/fuzz_$target
  [ -x "$exe" ] || { echo "fuzz_$target: not built, skipped"; continue; }
  extra=()
  [ "$target" = morvel ] && extra=("${extra_morvel[@]}")
  # A target's dictionary of words its readers look for, when it has one.
  [ -f "$root/fuzz/$target.dict" ] && extra+=(-dict="$root/fuzz/$target.dict")
  echo "== fuzz_$target for ${seconds}s"
  if ! "$exe" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
       -close_fd_mask=3 -artifact_prefix="$findings/$target-" -print_final_stats=1 \
       "$work/$target" "${extra[@]}" >"$findings/$target.log" 2>&1; then
    echo "fuzz_$target found a problem:"; grep -v '^#' "$findings/$target.log" | tail -n 40; status=1
  else
    grep -E '^stat::number_of_executed_units|^stat::peak_rss' "$findings/$target.log" | tr '\n' ' '; echo
  fi
done
exit $status
