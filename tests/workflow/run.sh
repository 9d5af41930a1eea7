#!/usr/bin/env bash
# One run of the workflow, shared by the output and rerun checks: the shipped
# example sheet (its paths taken from examples/) plus a sample whose GenBank,
# BED and VCF files are gzip-compressed. The tools are found on PATH.
#   run.sh SOURCE_DIR BIN_DIR RUN_DIR
set -euo pipefail
src=$1 bin=$2 run=$3
rm -rf "$run"
mkdir -p "$run/in"
for f in sample.gb sample.bed sample.vcf; do
  gzip -c "$src/examples/$f" > "$run/in/$f.gz"
done
cp "$src/examples/samples.tsv" "$run/samples.tsv"
printf 'packed\t%s\t%s\t%s\n' "$run/in/sample.gb.gz" "$run/in/sample.bed.gz" "$run/in/sample.vcf.gz" >> "$run/samples.tsv"
if ! PATH="$bin:$PATH" snakemake -s "$src/workflow/Snakefile" --cores 2 --directory "$run/out" \
     --config samples="$run/samples.tsv" root="$src/examples" > "$run/snakemake.log" 2>&1; then
  cat "$run/snakemake.log"
  exit 1
fi
