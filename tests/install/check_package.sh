#!/usr/bin/env bash
# Builds the Debian package and checks its contents and its dependencies.
set -eu
build=$1
command -v dpkg-deb >/dev/null || { echo "dpkg-deb absent"; exit 77; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
(cd "$tmp" && cpack --config "$build/CPackConfig.cmake" -G DEB >/dev/null)
deb=$(ls "$tmp"/*.deb)
dpkg-deb -c "$deb" | awk '{print $6}' >"$tmp/contents"
for f in ./usr/bin/morvel ./usr/bin/tindra ./usr/bin/trasply ./usr/share/man/man1/tindra.1 \
         ./usr/share/man/man5/col.5 ./usr/include/col/col.h ./usr/lib/libcol.a ./usr/lib/libsupport.a \
         ./usr/lib/cmake/col/colConfig.cmake ./usr/lib/pkgconfig/col.pc \
         ./usr/share/bash-completion/completions/morvel; do
  grep -qxF "$f" "$tmp/contents" || { echo "missing from the package: $f"; cat "$tmp/contents"; exit 1; }
done
dpkg-deb -f "$deb" Depends | grep -q zlib1g || { echo "no dependency on zlib1g"; exit 1; }
echo "package ok"
