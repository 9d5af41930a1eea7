#!/bin/bash
# Checks the bash completions: each script parses, and its function offers
# the expected candidates for a table of command lines.
# Usage: check_completion.sh COMPLETION_DIR
dir=$1
status=0
for tool in morvel tindra trasply; do
  bash -n "$dir/$tool" || status=1
done
# The shared helpers (every _morvel_suite_ function) are the same in each file.
helpers() { sed -n '/^_morvel_suite_/,/^}/p' "$dir/$1"; }
for tool in tindra trasply; do
  diff <(helpers morvel) <(helpers "$tool") >/dev/null || { echo "shared helpers differ in $tool" >&2; status=1; }
done

work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
mkdir "$work/gb" "$work/col" "$work/other" "$work/gb/sub" "$work/mixed"
touch "$work"/gb/{rec.gb,rec.gb.gz,rel.seq.bgz,notes.txt} "$work"/col/{a.col,b.col.gz,c.txt} "$work/other/x.txt"
# Every GenBank-like and col name, plain and compressed, beside other files.
genbank_names=() col_names=(c.col c.col.gz c.col.bgz c.col.zst)
for ending in gb gbk gbff gp gpff genbank seq; do
  genbank_names+=("r.$ending" "r.$ending.gz" "r.$ending.bgz" "r.$ending.zst")
done
other_names=(notes.txt r.gb.txt gb r.zst r.gz.gb.tar colfile r.line)
(cd "$work/mixed" && touch "${genbank_names[@]}" "${col_names[@]}" "${other_names[@]}")

# complete TOOL DIR WORDS... : prints the candidates, one per line, for the
# command line WORDS with the cursor at the end of its last word, given as
# bash hands them over (COMP_WORDS only, or COMP_LINE too when LINE is set).
complete_line() {
  local tool=$1 where=$2
  shift 2
  (
    cd "$work/$where" || exit 1
    source "$dir/$tool" || exit 1
    COMP_WORDS=("$@")
    COMP_CWORD=$(($# - 1))
    if [[ -n ${LINE-} ]]; then
      COMP_LINE=$LINE
      COMP_POINT=${#LINE}
    fi
    COMPREPLY=()
    "_$tool"
    printf '%s\n' "${COMPREPLY[@]}"
  )
}

# expect WANT|NOT CANDIDATE TOOL DIR WORDS...
expect() {
  local mode=$1 candidate=$2 replies
  shift 2
  replies=$(complete_line "$@")
  if [[ $mode == want ]] && ! grep -Fxq -- "$candidate" <<<"$replies"; then
    echo "'${*:3}': '$candidate' not offered (got: ${replies//$'\n'/ })" >&2
    status=1
  elif [[ $mode == not ]] && grep -Fxq -- "$candidate" <<<"$replies"; then
    echo "'${*:3}': '$candidate' offered" >&2
    status=1
  fi
}

expect want --gene        morvel gb morvel --ge
expect want --bothstrand  morvel gb morvel --b
expect want -g            morvel gb morvel -
expect not  --gene        morvel gb morvel rec.gb --ge
expect want rec.gb        morvel gb morvel -g ''
expect want rec.gb.gz     morvel gb morvel --gene rec
expect want rel.seq.bgz   morvel gb morvel r
expect want sub           morvel gb morvel ''
expect not  notes.txt     morvel gb morvel ''
expect want x.txt         morvel other morvel ''
expect not  rec.gb        morvel gb morvel rec.gb ''
expect want rec.gb        morvel gb morvel -- ''
LINE='morvel --annotate=C' expect want CDS   morvel gb morvel --annotate = C
LINE='morvel --annotate=CDS,ex' expect want CDS,exon morvel gb morvel --annotate = CDS,ex
LINE='morvel --mutation=' expect want t     morvel gb morvel --mutation =
LINE='morvel -g >' expect want notes.txt     morvel gb morvel -g '>'

expect want --fgcolor=    tindra col tindra --fg
expect want -r            tindra col tindra -
expect want a.col         tindra col tindra -c ''
expect want b.col.gz      tindra col tindra -r1-5 b
expect not  c.txt         tindra col tindra ''
expect want --bed=        tindra col tindra --b
expect want --bed-strand  tindra col tindra --bed-
expect want --feature=    tindra col tindra --fe
LINE='tindra --feature=ps' expect not a.col tindra col tindra --feature = ps
expect want --features    morvel gb morvel --fe
expect want --version     tindra col tindra --v
expect want --help        morvel gb morvel --he
expect want --version     trasply col trasply --v
expect not  a.col         tindra col tindra a.col ''

expect want --            trasply col trasply -
expect want a.col         trasply col trasply ''
expect want b.col.gz      trasply col trasply -- ''
expect not  a.col         trasply col trasply b.col.gz ''
for name in "${genbank_names[@]}"; do expect want "$name" morvel mixed morvel ''; done
for name in "${col_names[@]}" "${other_names[@]}"; do expect not "$name" morvel mixed morvel ''; done
for tool in tindra trasply; do
  for name in "${col_names[@]}"; do expect want "$name" $tool mixed $tool ''; done
  for name in "${genbank_names[@]}" "${other_names[@]}"; do expect not "$name" $tool mixed $tool ''; done
  expect want x.txt $tool other $tool ''
done
expect want r.gbff.gz     morvel mixed morvel -- r.gbf
# "compgen -F", the way to try a completion by hand, offers the same names.
got=$(cd "$work/mixed" && source "$dir/morvel" && compgen -F _morvel -- '' 2>/dev/null | sort)
[[ $got == "$(printf '%s\n' "${genbank_names[@]}" | sort)" ]] || { echo "compgen -F _morvel: $got" >&2; status=1; }
expect want c.col.zst     tindra mixed tindra -- c
exit $status
