#!/usr/bin/env bash
# Builds the Debian package and checks its contents, its dependencies and,
# where lintian is installed, that lintian finds no error in it.
set -eu
build=$1
command -v dpkg-deb >/dev/null || { echo "dpkg-deb absent"; exit 77; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
(cd "$tmp" && cpack --config "$build/CPackConfig.cmake" -G DEB >/dev/null)
deb=$(ls "$tmp"/*.deb)
dpkg-deb -c "$deb" | awk '{print $6}' >"$tmp/contents"
doc=./usr/share/doc/$(dpkg-deb -f "$deb" Package)
for f in ./usr/bin/morvel ./usr/bin/tindra ./usr/bin/trasply ./usr/share/man/man1/tindra.1.gz \
         ./usr/share/man/man5/col.5.gz ./usr/include/col/col.h ./usr/lib/libcol.a ./usr/lib/libsupport.a \
         ./usr/lib/cmake/col/colConfig.cmake ./usr/lib/pkgconfig/col.pc \
         ./usr/share/bash-completion/completions/morvel "$doc/copyright" "$doc/changelog.Debian.gz"; do
  grep -qxF "$f" "$tmp/contents" || { echo "missing from the package: $f"; cat "$tmp/contents"; exit 1; }
done
# The Python module, where the build made it: in Debian's python3 folder,
# and importable from the unpacked package.
if ls "$build"/python/colfile/_colfile.*.so >/dev/null 2>&1; then
  grep -qxF ./usr/lib/python3/dist-packages/colfile/__init__.py "$tmp/contents" &&
    grep -qE '^\./usr/lib/python3/dist-packages/colfile/_colfile\..*\.so$' "$tmp/contents" ||
    { echo "colfile missing from the package"; cat "$tmp/contents"; exit 1; }
fi
if grep -E '^\./usr/share/man/.*[^z]$' "$tmp/contents" | grep -v '/$'; then
  echo "uncompressed man pages above"; exit 1
fi
dpkg-deb -f "$deb" Depends | grep -q zlib1g || { echo "no dependency on zlib1g"; exit 1; }
dpkg-deb -x "$deb" "$tmp/root"
grep -qF 'Copyright (c) 2026 the morvel suite authors' "$tmp/root/$doc/copyright" ||
  { echo "the copyright file lacks the licence"; exit 1; }
if [ -d "$tmp/root/usr/lib/python3/dist-packages/colfile" ]; then
  (cd "$tmp" && PYTHONPATH=$tmp/root/usr/lib/python3/dist-packages /usr/bin/python3 -c 'import colfile, numpy') ||
    { echo "colfile from the package does not import"; exit 1; }
fi
if command -v lintian >/dev/null; then
  lintian --fail-on error "$deb" >"$tmp/lintian" 2>&1 || { echo "lintian:"; cat "$tmp/lintian"; exit 1; }
else
  echo "lintian absent: not run"
fi
echo "package ok"
