#!/usr/bin/env bash
# After the shared run (run.sh), a deleted output makes Snakemake plan its own
# job and the jobs that read it, nothing else, and the next run rewrites just
# those files.
#   check_rerun.sh SOURCE_DIR BIN_DIR RUN_DIR
set -uo pipefail
src=$1 bin=$2 run=$3
export PATH="$bin:$PATH"
cd "$run/out" || exit 1
snake() {
  snakemake -s "$src/workflow/Snakefile" --cores 2 --config samples="$run/samples.tsv" root="$src/examples" "$@"
}
failed=0
# deleted output ; the outputs planned and rewritten (sorted)
while IFS=';' read -r deleted expected; do
  rm -f "$deleted"
  pending=$(snake --summary 2>/dev/null | awk -F'\t' '$7 == "update pending" { print $1 }' | sort | xargs)
  [ "$pending" = "$expected" ] || { echo "FAIL: $deleted deleted: planned '$pending', expected '$expected'"; failed=1; }
  touch ../before-rerun
  snake > ../rerun.log 2>&1 || { cat ../rerun.log; exit 1; }
  rewritten=$(find results -type f -newer ../before-rerun | sort | xargs)
  [ "$rewritten" = "$expected" ] || { echo "FAIL: $deleted deleted: rewritten '$rewritten', expected '$expected'"; failed=1; }
done <<'TABLE'
results/sample/sample.html;results/sample/sample.html
results/sample/sample.annotated.vcf;results/index.html results/sample/sample.annotated.vcf results/sample/sample.summary.tsv
TABLE
[ $failed = 0 ] && echo "workflow rerun: only the deleted outputs and what reads them"
exit $failed
