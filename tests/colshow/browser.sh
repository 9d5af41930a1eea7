#!/bin/bash
# Loads pages written by colshow in headless Chromium and checks what a
# person would see. Skips (status 77) with a one-line note where Chromium or
# Python's PIL is missing.
# Usage: browser.sh CHECK BIN_DIR SAMPLE_GB    (CHECK: pixels dom hostile far)
check=$1 bin=$2 sample=$3
here=$(cd "$(dirname "$0")" && pwd)
chromium=$(command -v chromium || command -v chromium-browser || true)
if [ -z "$chromium" ]; then
  echo "chromium not installed: browser check '$check' skipped (Debian: apt-get install chromium)"
  exit 77
fi
if [ "$check" = far ] && [ "${SANITIZED:-OFF}" = ON ]; then
  echo "the ten-million-residue page is not built under the sanitizers"
  exit 77
fi
# The Debian python3 has python3-pil; another python3 first on PATH may not.
python=
for p in python3 /usr/bin/python3; do
  if command -v "$p" >/dev/null && "$p" -c 'import PIL' 2>/dev/null; then python=$p; break; fi
done
if [ -z "$python" ]; then
  echo "python3 with PIL not installed: browser check '$check' skipped (Debian: apt-get install python3-pil)"
  exit 77
fi
exec "$python" "$here/browser_check.py" "$check" "$chromium" "$bin" "$sample"
