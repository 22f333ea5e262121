#!/usr/bin/env bash
# Makes the release zip of a Windows build folder and checks it: the files it must hold, stripped
# programs, and Vantor.exe at most 1 MiB.
#   scripts/check-package.sh [build folder, build/win]
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
build=${1:-build/win}
fail() { echo "package: $*"; exit 1; }

rm -f "$build"/Vantor-*-win64.zip
cmake --build "$build" --target package >"$build.package.log" 2>&1 || { tail -20 "$build.package.log"; fail "cpack failed"; }
zips=("$build"/Vantor-*-win64.zip)
[ -f "${zips[0]}" ] || fail "no Vantor-<version>-win64.zip in $build"
zip=${zips[0]}
name=$(basename "$zip" .zip)

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
zip=$(realpath "$zip")
(cd "$tmp" && cmake -E tar xf "$zip") || fail "$zip does not unpack"
wanted=(Vantor.exe vantor-trace.exe Vantor.ini DEPLOY.txt)
[ -f tools/headless/CMakeLists.txt ] && wanted+=(vantor-headless.exe)
for file in "${wanted[@]}"; do
  [ -f "$tmp/$name/$file" ] || fail "$name.zip lacks $file"
done
for program in "$tmp/$name"/*.exe; do
  x86_64-w64-mingw32-objdump -t "$program" | grep -q "no symbols" || fail "$(basename "$program") is not stripped"
done
size=$(stat -c %s "$tmp/$name/Vantor.exe")
[ "$size" -le 1048576 ] || fail "Vantor.exe is $size bytes, more than 1 MiB"
echo "package: $zip holds ${wanted[*]}; Vantor.exe $size bytes"
