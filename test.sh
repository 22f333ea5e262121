#!/usr/bin/env bash
# Runs every test of Vantor: native core tests (plain, ASan+UBSan, TSan), the Windows build's tests
# under Wine, the end-to-end tests of Vantor.exe, a bounded fuzzing run and the lint checks.
set -uo pipefail
cd "$(dirname "$0")"
JOBS=${JOBS:-$(nproc)}
FUZZ_SECONDS=${FUZZ_SECONDS:-30}  # per fuzz target
start=$(date +%s)

bash scripts/install-deps.sh || { echo "dependency install failed"; exit 1; }

# Configures and builds one preset of CMakePresets.json (its folder is build/<preset>; its build preset
# names the targets).
configure_and_build() {  # preset
  local preset=$1 dir=build/$1
  cmake --preset "$preset" >"$dir.configure.log" 2>&1 || { cat "$dir.configure.log"; return 1; }
  cmake --build --preset "$preset" -j "$JOBS" >"$dir.build.log" 2>&1 || { tail -60 "$dir.build.log"; return 1; }
}

mkdir -p build
passed=0; failed=0; broken=()
run_suite() {  # name, test preset
  local name=$1 preset=$2 log="build/$1.test.log"
  echo "== $name (at $(( $(date +%s) - start ))s)"
  ctest --preset "$preset" >"$log" 2>&1
  local rc=$?
  local p f
  p=$(grep -Eo '\[  PASSED  \] [0-9]+' "$log" | awk '{s+=$4} END {print s+0}')
  f=$(grep -Eo '\[  FAILED  \] [0-9]+ tests?,' "$log" | awk '{s+=$4} END {print s+0}')
  passed=$((passed + p)); failed=$((failed + f))
  grep -E '\[  FAILED  \]|tests passed|Test +#' "$log" | grep -v 'listed below' | tail -20
  if [ $rc -ne 0 ]; then
    broken+=("$name"); grep -B5 -A30 -E 'Failure|FAILED|Timeout|Exception|SEGFAULT|Sanitizer' "$log" | head -150
  fi
}

build_ok=1
echo "== building (native, ASan+UBSan, TSan, Windows)"
configure_and_build native || build_ok=0
configure_and_build asan || build_ok=0
configure_and_build tsan || build_ok=0
configure_and_build win || build_ok=0
[ $build_ok -eq 1 ] || { echo "0 passed, 1 failed"; echo "build failed"; exit 1; }
echo "== built (at $(( $(date +%s) - start ))s)"

# Each fuzz target with its seeds: the record engine (fuzz/corpus), vantor-trace's decoders
# (fuzz/trace_corpus), vantor-gateway's sessions (fuzz/gateway_corpus) and the host link's TLS receive
# path (fuzz/tls_corpus); built and run two at a time while the suites below run (they mostly wait on
# Wine).
fuzz_one() {  # target:seeds
  local name=${1%%:*} seeds=${1#*:}
  mkdir -p "build/fuzz/$seeds"
  if "build/fuzz/$name" -max_total_time="$FUZZ_SECONDS" -max_len=8192 -timeout=10 \
      "build/fuzz/$seeds" "fuzz/$seeds" >"build/$name.log" 2>&1; then
    echo passed >"build/$name.result"
  else
    echo failed >"build/$name.result"
  fi
}
fuzz_job() {
  rm -f build/fuzz_*.result
  configure_and_build fuzz >/dev/null || return
  fuzz_one fuzz_records:corpus & fuzz_one fuzz_trace:trace_corpus & wait
  fuzz_one fuzz_gateway:gateway_corpus & fuzz_one fuzz_tls:tls_corpus & wait
}
fuzz_job &
fuzz_pid=$!

# The house habits (scripts/lint.sh: clang-format on every C++ file, clang-tidy on the native and the
# Windows sources from the builds' compile databases), on one core at low priority beside the suites.
lint_job() {
  if JOBS=1 nice -n 10 bash scripts/lint.sh --win >build/lint.test.log 2>&1; then
    echo passed >build/lint.result
  else
    echo failed >build/lint.result
  fi
}
rm -f build/lint.result
lint_job &
lint_pid=$!

run_suite native native
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 run_suite asan asan
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" run_suite tsan tsan

# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
# Win32-level tests create windows: give Wine a virtual display of its own.
display=$(( 90 + RANDOM % 100 ))
while [ -e "/tmp/.X11-unix/X$display" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill $xvfb_pid 2>/dev/null; wineserver -k 2>/dev/null' EXIT
export DISPLAY=":$display"
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
run_suite wine win
echo "== package (at $(( $(date +%s) - start ))s)"
if bash scripts/check-package.sh build/win; then passed=$((passed + 1)); else failed=$((failed + 1)); broken+=(package); fi
if [ -x build/native/e2e_tests ]; then run_suite e2e e2e; fi

# The fuzzers run on one core beside the suites below, which mostly wait on Wine.
wait "$fuzz_pid"
for target in fuzz_records fuzz_trace fuzz_gateway fuzz_tls; do
  result=$(cat "build/$target.result" 2>/dev/null || echo "missing")
  echo "== $target: $result"
  if [ "$result" = passed ]; then
    grep -Eo 'Done [0-9]+ runs.*' "build/$target.log" | tail -1
    passed=$((passed + 1))
  else
    tail -40 "build/$target.log" 2>/dev/null || tail -60 build/fuzz.build.log
    failed=$((failed + 1)); broken+=("$target")
  fi
done

wait "$lint_pid"
result=$(cat build/lint.result 2>/dev/null || echo "missing")
echo "== lint: $result"
if [ "$result" = passed ]; then
  passed=$((passed + 1))
else
  grep -vE '^clang-(format|tidy): clean' build/lint.test.log | tail -60
  failed=$((failed + 1)); broken+=(lint)
fi

echo "== done in $(( $(date +%s) - start ))s"
[ ${#broken[@]} -eq 0 ] || echo "failing suites: ${broken[*]}"
echo "tests: $passed passed, $failed failed"
[ ${#broken[@]} -eq 0 ] && [ "$failed" -eq 0 ]
