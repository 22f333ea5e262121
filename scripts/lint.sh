#!/usr/bin/env bash
# Checks the tree against the house habits: the layout of every C++ file (clang-format, .clang-format)
# and the static checks of .clang-tidy on every source of the native build. Prints each finding once,
# a count per check, and exits non-zero on any finding.
#
# Usage: scripts/lint.sh [--format] [--tidy] [--win]
#   --format / --tidy  only that half (both by default)
#   --win              clang-tidy on the Windows-only sources too, from the cross build's compile
#                      database (build/win), as clang sees them for MinGW-w64
# Environment: JOBS (parallel clang-tidy runs, all cores by default), LINT_NATIVE_BUILD and LINT_WIN_BUILD
# (build folders, build/native and build/win; configured with their presets when they have no compile
# database yet), VANTOR_LINT_CACHE (where a file found clean is remembered, ~/.cache/vantor-lint; empty:
# no cache). A file is checked again when it, a header of the tree or the build that it includes (as the
# build recorded it), its compile command, .clang-tidy, clang-tidy or the libraries' packages changed; a
# finding is never remembered.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
ROOT=$PWD
JOBS=${JOBS:-$(nproc)}
NATIVE=${LINT_NATIVE_BUILD:-$ROOT/build/native}
WIN=${LINT_WIN_BUILD:-$ROOT/build/win}

format=0 tidy=0 win=0
for arg in "$@"; do
  case $arg in
    --format) format=1 ;;
    --tidy) tidy=1 ;;
    --win) win=1 ;;
    *) echo "usage: scripts/lint.sh [--format] [--tidy] [--win]" >&2; exit 2 ;;
  esac
done
[ $format -eq 0 ] && [ $tidy -eq 0 ] && format=1 tidy=1

failed=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if [ $format -eq 1 ]; then
  git ls-files -z --cached --others --exclude-standard -- '*.cpp' '*.h' | xargs -0 -P "$JOBS" -n 20 clang-format --dry-run -Werror 2>"$work/format.log"
  if [ -s "$work/format.log" ]; then
    grep -E '^[^ ].*: error:' "$work/format.log" | sed "s|^$ROOT/||" | sort -u
    echo "clang-format: files to reformat (clang-format -i <file>): $(grep -E ': error:' "$work/format.log" | cut -d: -f1 | sort -u | wc -l)"
    failed=1
  else
    echo "clang-format: clean"
  fi
fi

# Gives a compile database for clang-tidy from a build folder (configured with its preset if needed):
# without the precompiled header, which is GCC's, so each file is also checked to include what it uses.
prepare_database() {  # build folder, preset, folder for the copy
  local build=$1 preset=$2 copy=$3
  if [ ! -f "$build/compile_commands.json" ]; then
    cmake --preset "$preset" -B "$build" >"$work/$preset.configure.log" 2>&1 ||
      { cat "$work/$preset.configure.log"; return 1; }
  fi
  mkdir -p "$copy"
  sed -E 's# -Winvalid-pch##; s# -include [^ ]*/cmake_pch\.hxx##' "$build/compile_commands.json" \
    >"$copy/compile_commands.json"
}

# The tree's own sources in a compile database (not the generated header checks or GoogleTest's sources).
sources_of() {  # compile database folder
  grep -oE '"file": "[^"]*"' "$1/compile_commands.json" | sed -E 's/^"file": "(.*)"$/\1/' |
    grep -E "^$ROOT/(src|tools|tests|fuzz|bench)/.*\.cpp$" | sort -u
}

CACHE=${VANTOR_LINT_CACHE-${XDG_CACHE_HOME:-$HOME/.cache}/vantor-lint}

# What every file's check depends on besides its own compile command, bytes and headers (those are
# added per file by scripts/lint-keys.py), as one hash.
common_key() {  # extra clang-tidy arguments...
  {
    clang-tidy --version
    cat .clang-tidy
    printf '%s\n' "$@"
    dpkg-query -W libasio-dev googletest nlohmann-json3-dev libssl-dev libcpp-httplib-dev \
      g++-mingw-w64-x86-64-posix libstdc++-12-dev 2>/dev/null
  } | sha256sum | cut -c1-64
}

run_tidy() {  # build folder, compile database folder, list of sources, extra clang-tidy arguments...
  local build=$1 database=$2 list=$3; shift 3
  local cache=""
  if [ -n "$CACHE" ] && mkdir -p "$CACHE" 2>/dev/null; then cache=$CACHE; fi
  python3 scripts/lint-keys.py "$ROOT" "$build" "$database/compile_commands.json" "$(common_key "$@")" \
    <"$list" >"$list.keys" || return 1
  # Each file's report goes to a file of its own, so that parallel runs never interleave.
  # shellcheck disable=SC2016
  xargs -P "$JOBS" -I{} sh -c 'key=${4%% *} file=${4#* } cache=$2; out="$1/$(echo "$file" | tr / _).tidy"
      shift 4
      [ -n "$cache" ] && [ -e "$cache/$key" ] && exit 0
      if clang-tidy "$@" "$file" >"$out" 2>&1; then
        [ -n "$cache" ] && ! grep -qE "(warning|error): " "$out" && : >"$cache/$key"
      else
        echo "$file" | cat - "$out" >"$out.failed"; rm "$out"
      fi; exit 0' \
    sh "$work" "$cache" "" {} -p "$database" --quiet "$@" <"$list.keys"
}

if [ $tidy -eq 1 ]; then
  prepare_database "$NATIVE" native "$work/native" || exit 1
  sources_of "$work/native" >"$work/native.sources"
  # Some of GCC's warning options are unknown to clang; the compiler's own warnings are the build's
  # (GCC's, as errors there), and clang's -Wshadow reaches further than GCC's.
  run_tidy "$NATIVE" "$work/native" "$work/native.sources" --extra-arg=-Wno-unknown-warning-option --extra-arg=-Wno-error
  if [ $win -eq 1 ]; then
    prepare_database "$WIN" win "$work/win" || exit 1
    # What the native build does not compile: the Windows front end, its tests, the Windows-only files.
    sources_of "$work/win" | comm -23 - "$work/native.sources" >"$work/win.sources"
    # Clang targets MinGW-w64 with MinGW's C headers but does not find the cross GCC's C++ library
    # (Debian names its folder 12-posix): it is taken from the cross compiler itself.
    cross_cxx=$(grep -m1 -oE '"command": "[^ ]+' "$work/win/compile_commands.json" | sed 's/^"command": "//')
    cxx_includes=()
    while read -r dir; do cxx_includes+=("--extra-arg=-isystem$dir"); done < <(
      "$cross_cxx" -x c++ -E -v - </dev/null 2>&1 | sed -n '/<...> search starts here:/,/End of search list/p' |
        grep -E '^ .*/c\+\+' | sed 's/^ //')
    run_tidy "$WIN" "$work/win" "$work/win.sources" --extra-arg=--target=x86_64-w64-mingw32 --extra-arg=-nostdinc++ \
      "${cxx_includes[@]}" --extra-arg=-Wno-unknown-warning-option --extra-arg=-Wno-error
  fi
  # One line per finding, headers named by their place in the tree (not the layer's staged link), each
  # once however many files include it.
  cat "$work"/*.tidy* 2>/dev/null | grep -E '^[^ ].*:[0-9]+:[0-9]+: (warning|error): ' |
    sed -E "s#^.*/layers/vantor_[a-z_]+/#src/#; s#^$ROOT/##" | sort -u >"$work/findings"
  if [ -s "$work/findings" ]; then
    cat "$work/findings"
    echo "clang-tidy findings per check:"
    grep -oE '\[[a-z0-9.,-]+\]$' "$work/findings" | sort | uniq -c | sort -rn
    echo "clang-tidy: $(wc -l <"$work/findings") findings"
    failed=1
  else
    echo "clang-tidy: clean ($(cat "$work"/*.sources | wc -l) files)"
  fi
  # clang-tidy itself fails only when a file does not compile for it.
  for log in "$work"/*.failed; do
    [ -e "$log" ] || continue
    echo "clang-tidy could not check $(head -1 "$log" | sed "s#^$ROOT/##"):"
    grep -E 'error:' "$log" | head -10
    failed=1
  done
fi

exit $failed
