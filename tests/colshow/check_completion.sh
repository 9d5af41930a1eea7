#!/bin/bash
# Checks colshow's bash completion: it parses, and offers the expected
# candidates for a table of command lines.
# Usage: check_completion.sh COMPLETION_FILE
file=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
bash -n "$file" || exit 1
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
touch "$work"/{a.col,b.col.gz,c.txt,page.html}
status=0

# expect want|not CANDIDATE WORDS...: the candidates for WORDS, the cursor
# at the end of the last word.
expect() {
  local mode=$1 candidate=$2 replies
  shift 2
  replies=$(cd "$work" && source "$file" && COMP_WORDS=("$@") && COMP_CWORD=$(($# - 1)) && COMPREPLY=() &&
    _colshow && printf '%s\n' "${COMPREPLY[@]}")
  if [[ $mode == want ]] && ! grep -Fxq -- "$candidate" <<<"$replies"; then
    echo "'$*': '$candidate' not offered (got: ${replies//$'\n'/ })" >&2
    status=1
  elif [[ $mode == not ]] && grep -Fxq -- "$candidate" <<<"$replies"; then
    echo "'$*': '$candidate' offered" >&2
    status=1
  fi
}

expect want --svg      colshow --s
expect want --seq=     colshow --s
expect want --width=   colshow --w
expect want --align    colshow -
expect want a.col      colshow --svg ''
expect want b.col.gz   colshow -s2 b
expect not  c.txt      colshow ''
expect not  a.col      colshow a.col ''
expect not  a.col      colshow --range=1-5
expect want page.html  colshow a.col '>' ''
exit $status
