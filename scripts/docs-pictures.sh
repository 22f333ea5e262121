#!/usr/bin/env bash
# Takes the README's pictures again into docs/: the screens, toolbar and indicator from the end-to-end
# tests that show them, and the options dialogs opened on a plausible setup. Needs the builds of
# ./test.sh (build/native, build/win).
set -euo pipefail
cd "$(dirname "$0")/.."
[ -x build/native/e2e_tests ] || { echo "build the tests first: ./test.sh" >&2; exit 1; }
cmake --build build/native --target doc_pictures >/dev/null
mkdir -p docs
source scripts/wine-env.sh
# The pictures come from a virtual display of their own: the same size and fonts on every machine.
display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill $xvfb_pid 2>/dev/null; wineserver -k 2>/dev/null; rm -f "$display_file"' EXIT
for _ in $(seq 50); do [ -s "$display_file" ] && break; sleep 0.2; done
export DISPLAY=":$(head -1 "$display_file")"
VANTOR_DOCS_DIR="$PWD/docs" build/native/doc_pictures --gtest_brief=1 "$@"
ls -l docs/*.png
