#!/bin/bash
# Renders a man page as plain text and checks that it quotes the programs'
# exact texts: every line of a .lines file must be a whole rendered line, and
# a .block file must appear as consecutive whole lines (page indentation of
# seven blanks removed).
# Usage: check_texts.sh PAGE FILE...
page=$1
shift
command -v groff >/dev/null || { echo "groff not installed" >&2; exit 77; }
rendered=$(groff -man -Tascii -P-cbou -rLL=300n "$page" | sed 's/^       //') || exit 1

status=0
for file; do
  case $file in
    *.lines)
      while IFS= read -r line; do
        if ! grep -Fxq -- "$line" <<<"$rendered"; then
          echo "$page: missing line: $line" >&2
          status=1
        fi
      done <"$file"
      ;;
    *.block)
      block=$(<"$file")
      if [[ $'\n'$rendered$'\n' != *$'\n'"$block"$'\n'* ]]; then
        echo "$page: missing block $file:" >&2
        printf '%s\n' "$block" >&2
        status=1
      fi
      ;;
  esac
done
exit $status
