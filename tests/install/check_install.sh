#!/usr/bin/env bash
# Installs the build into a fresh prefix, then builds and runs a client of
# the col library through find_package(col) and through pkg-config. The
# client has its own file.h, output.h, Entry and GetLine, and includes
# <col/col.h> with only include/ on its path.
set -eu
build=$1 source=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cmake --install "$build" --prefix "$tmp/prefix" >/dev/null
for f in bin/morvel bin/tindra bin/trasply share/man/man1/morvel.1.gz share/man/man5/col.5.gz \
         include/col/col.h lib/cmake/col/colConfig.cmake lib/pkgconfig/col.pc \
         share/bash-completion/completions/tindra share/doc/morvel-suite/copyright; do
  [ -e "$tmp/prefix/$f" ] || { echo "not installed: $f"; exit 1; }
done
# The Python module goes where Debian's python3 looks under a prefix other
# than /usr: lib/python3.X/dist-packages.
if ls "$build"/python/colfile/_colfile.*.so >/dev/null 2>&1; then
  site=$(echo "$tmp"/prefix/lib/python3.*/dist-packages)
  [ -f "$site/colfile/__init__.py" ] || { echo "colfile not installed under lib/python3.X/dist-packages"; exit 1; }
  (cd "$tmp" && PYTHONPATH=$site /usr/bin/python3 -c 'import colfile') || { echo "installed colfile does not import"; exit 1; }
fi
printf '; h\n; ==========\n; TYPE DNA\n; ENTRY one\n; ----------\nN a 1\nN c 2\n; **********\n' >"$tmp/in.col"
expected='one 2'

cmake -S "$source/tests/install/client" -B "$tmp/client" -G Ninja -DCMAKE_PREFIX_PATH="$tmp/prefix" >/dev/null
cmake --build "$tmp/client" >/dev/null
got=$("$tmp/client/count_entries" "$tmp/in.col")
[ "$got" = "$expected" ] || { echo "find_package client printed '$got'"; exit 1; }

if command -v pkg-config >/dev/null; then
  export PKG_CONFIG_PATH=$tmp/prefix/lib/pkgconfig
  # shellcheck disable=SC2046
  c++ -o "$tmp/pc_client" "$source/tests/install/client/main.cpp" $(pkg-config --cflags --libs col)
  got=$("$tmp/pc_client" "$tmp/in.col")
  [ "$got" = "$expected" ] || { echo "pkg-config client printed '$got'"; exit 1; }
fi
echo "install ok"
