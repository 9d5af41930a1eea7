#!/usr/bin/env bash
# Runs one CLI golden case: a folder holding `cmd` (a shell command run in the
# folder, with $MORVEL, $TINDRA and $TRASPLY naming the built tools), `out`
# (expected standard output, byte for byte), and optionally `err` (expected
# standard error; empty when absent) and `status` (expected exit status; 0
# when absent). A file `needs-shared` skips the case when the shared data
# folder is absent; `no-sanitizer` skips it in the sanitizer build (memory
# limits). With UPDATE_GOLDEN=1 the expected files are rewritten.
set -u
case_dir=$1
bin_dir=$2
export MORVEL=$bin_dir/morvel TINDRA=$bin_dir/tindra TRASPLY=$bin_dir/trasply
export COLSHOW=$bin_dir/colshow
export SHARED_DATA=${SHARED_DATA:-${SHARED_DATA_DEFAULT:-}}
cd "$case_dir" || exit 2
if [ -f no-sanitizer ] && [ "${SANITIZED:-OFF}" = ON ]; then
  echo "not run under the sanitizers"; exit 77
fi
if [ -f needs-shared ] && [ ! -d "$SHARED_DATA/genbank" ]; then
  echo "shared data absent"; exit 77
fi
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
bash ./cmd >"$tmp/out" 2>"$tmp/err"
echo $? >"$tmp/status"

if [ "${UPDATE_GOLDEN:-0}" = 1 ]; then
  cp "$tmp/out" out
  if [ -s "$tmp/err" ]; then cp "$tmp/err" err; else rm -f err; fi
  if [ "$(cat "$tmp/status")" != 0 ]; then cp "$tmp/status" status; else rm -f status; fi
  exit 0
fi

fail=0
if ! cmp -s out "$tmp/out"; then
  echo "--- stdout differs"; diff <(od -c out) <(od -c "$tmp/out") | head -40; fail=1
fi
[ -f err ] && expected_err=err || expected_err=/dev/null
if ! cmp -s "$expected_err" "$tmp/err"; then
  echo "--- stderr differs"; diff "$expected_err" "$tmp/err" | head -20; fail=1
fi
expected_status=0
[ -f status ] && expected_status=$(cat status)
if [ "$expected_status" != "$(cat "$tmp/status")" ]; then
  echo "--- exit status $(cat "$tmp/status"), expected $expected_status"; fail=1
fi
exit $fail
