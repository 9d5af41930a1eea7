#!/usr/bin/env bash
# A run in which two samples fail: a GenBank file that ends inside its second
# record (morvel has written the first entry by then) and a bad BED file. Each
# failing job leaves no output and the tool's message in its log; the good
# sample is finished (--keep-going) and the run ends with status 1.
#   check_failure.sh SOURCE_DIR BIN_DIR RUN_DIR
set -uo pipefail
src=$1 bin=$2 run=$3
export PATH="$bin:$PATH"
rm -rf "$run"
mkdir -p "$run"
cd "$run" || exit 1
(cat "$src/examples/sample.gb"; head -12 "$src/examples/sample.gb") > cut.gb
printf 'SAMPLE01\tten\t20\n' > bad.bed
printf 'sample\tgenbank\tbed\nfine\t%s\t\ncut\tcut.gb\t\nbadbed\t%s\tbad.bed\n' "$src/examples/sample.gb" "$src/examples/sample.gb" > samples.tsv
snakemake -s "$src/workflow/Snakefile" --cores 2 --keep-going --directory . --config samples=samples.tsv > snakemake.log 2>&1
status=$?
failed=0
fail() { echo "FAIL: $*"; failed=1; }
[ $status = 1 ] || fail "status $status, expected 1"
for f in fine/fine.col.zst fine/fine.html badbed/badbed.col.zst; do
  [ -f results/$f ] || fail "results/$f missing"
done
for f in cut/cut.col.zst badbed/badbed.coloured.col.zst index.html; do
  [ ! -e results/$f ] || fail "results/$f left behind by a failed job"
done
grep -qx 'Error in format' logs/cut/col.log || fail "morvel's message is not in logs/cut/col.log"
grep -qx 'tindra: Error in BED file, line 1' logs/badbed/coloured.log || fail "tindra's message is not in logs/badbed/coloured.log"
[ $failed = 0 ] && echo "workflow failure: failed jobs left no output and their tools' messages"
[ $failed = 0 ] || cat snakemake.log
exit $failed
