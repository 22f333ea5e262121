#!/usr/bin/env bash
# Regenerates the README's pictures in docs/: runs the end-to-end tests (built by ./test.sh) with
# VANTOR_DOCS_DIR set, so the tests that show a control, the toolbar, the indicator or a dialog save it.
set -euo pipefail
cd "$(dirname "$0")/.."
[ -x build/native/e2e_tests ] || { echo "build the tests first: ./test.sh" >&2; exit 1; }
mkdir -p docs
VANTOR_DOCS_DIR="$PWD/docs" build/native/e2e_tests --gtest_brief=1 "$@"
ls -l docs/*.png
