#!/bin/bash
# Formats a man page with every roff warning enabled and fails when the
# formatter says anything or exits non-zero; then checks that each section
# named after the page is present.
# Usage: check_page.sh PAGE [SECTION...]
page=$1
shift
if command -v groff >/dev/null; then
  format=(groff -man -ww -z)
elif command -v nroff >/dev/null; then
  format=(nroff -man -ww -z)
else
  echo "no roff formatter installed" >&2
  exit 77
fi

status=0
if ! messages=$("${format[@]}" "$page" 2>&1); then
  echo "${format[*]} $page failed" >&2
  status=1
fi
if [[ -n $messages ]]; then
  printf '%s\n' "$messages" >&2
  status=1
fi
for section; do
  if ! grep -Eq "^\.SH \"?$section\"?\$" "$page"; then
    echo "$page: section $section missing" >&2
    status=1
  fi
done
exit $status
