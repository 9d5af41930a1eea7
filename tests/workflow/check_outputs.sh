#!/usr/bin/env bash
# The outputs of the shared run (run.sh) against the tools run directly on the
# same inputs with the same arguments, and the index page's numbers.
#   check_outputs.sh SOURCE_DIR BIN_DIR RUN_DIR
set -uo pipefail
src=$1 bin=$2 run=$3
export PATH="$bin:$PATH"
cd "$run/out" || exit 1
failed=0
fail() { echo "FAIL: $*"; failed=1; }
same() {  # same NAME FILE COMMAND...: FILE (decompressed if .zst) is what COMMAND writes
  local name=$1 file=$2; shift 2
  [ -f "$file" ] || { fail "$name: $file missing"; return; }
  if ! cmp -s <(case $file in *.zst) zstd -dcq "$file" ;; *) cat "$file" ;; esac) <("$@" 2>/dev/null); then
    fail "$name: $file differs from: $*"
  fi
}
# The conversion takes --features where this morvel offers it.
opts="--gene"
morvel --help | grep -Eq -- "^ *(-[a-z], *)?--features\b" && opts="--gene --features"
ex=$src/examples in=$run/in
# sample        genbank          bed               vcf
while read -r name gb bed vcf; do
  r=results/$name/$name
  same "$name col" $r.col.zst morvel $opts "$gb"
  plain=$r.col.zst
  if [ "$bed" != - ]; then
    same "$name coloured" $r.coloured.col.zst bash -c 'morvel $1 "$2" | tindra --bed="$3"' - "$opts" "$gb" "$bed"
    plain=$r.coloured.col.zst
  else
    [ ! -e $r.coloured.col.zst ] || fail "$name: coloured col file without a BED file"
  fi
  if [ "$vcf" != - ]; then
    same "$name variants" $r.annotated.vcf morvel --variants="$vcf" "$gb"
  else
    [ ! -e $r.annotated.vcf ] || fail "$name: annotated VCF without a VCF file"
  fi
  same "$name page" $r.html bash -c 'zstd -dcq "$1" | colshow' - "$plain"
done <<TABLE
sample        $ex/sample.gb    $ex/sample.bed    $ex/sample.vcf
sample_plain  $ex/sample.gb    -                 -
packed        $in/sample.gb.gz $in/sample.bed.gz $in/sample.vcf.gz
TABLE

# Index rows: records, bases, features, BED regions, variants, annotated,
# REF mismatch; "-" where the sample has no such file.
while read -r name numbers; do
  row=$(grep -F "<tr><td><a href=\"$name/$name.html\">" results/index.html \
        | sed 's/&ndash;/-/g; s/<\/td>/ /g; s/<[^>]*>//g' | awk '{ $1 = ""; NF = 8; print }' | sed 's/^ //')
  [ "$row" = "$numbers" ] || fail "index row of $name: '$row', expected '$numbers'"
done <<TABLE
sample        1 600 10 3 7 6 1
sample_plain  1 600 10 - - - -
packed        1 600 10 3 7 6 1
TABLE
grep -q 'morvel: Warning: 1 of 7 variants' logs/sample/variants.log || fail "morvel's warning is not in the job's log"
[ $failed = 0 ] && echo "workflow outputs: as the tools write them"
exit $failed
