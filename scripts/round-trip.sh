#!/usr/bin/env bash
# Times the screen-plus-W round trip of Vantor.exe under Wine on a virtual display: a host sends COUNT
# screens of FIELDS fields ending in W and times each key response (bench/round_trip_host.cpp).
#
#   scripts/round-trip.sh [COUNT] [FIELDS] [SCENARIO]   (after ./test.sh, or with RUN_NATIVE_BUILD/RUN_WIN_BUILD)
#   scripts/round-trip.sh table [COUNT]
#   TLS=1 scripts/round-trip.sh [COUNT] [FIELDS]
#
# SCENARIO (bench/round_trip_screens.h): erase (default: one record erases the page and defines the
# fields), same (an I record, then a screen of the same shape as the last with other texts), other (an
# I record, then fields of other kinds at other places), value (one field's text set on the screen).
# BARE=1 runs the yardstick instead: a bare Win32 program doing the same window work (bench/bare_client_win.cpp).
# TLS=1 runs the link over TLS: a throw-away certificate (scripts/make-test-certs.sh) pinned in the
# terminal's settings; the host also prints the handshake's time.
# `table` runs every scenario with Vantor.exe and the yardstick back to back and prints their medians
# and 90th percentiles side by side, with the machine's load before and after.
# RSS=1 also prints the terminal's resident memory (VmRSS) after the last screen. VANTOR_EXE=path
# measures another build of Vantor.exe.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
ROOT=$PWD
NATIVE=${RUN_NATIVE_BUILD:-$ROOT/build/native}
WIN=${RUN_WIN_BUILD:-$ROOT/build/win}
[ -x "$NATIVE/round_trip_host" ] && [ -f "$WIN/Vantor.exe" ] || { echo "build first (./test.sh)"; exit 1; }
# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
work=$(mktemp -d)
host_pid="" xvfb_pid="" term_pid=""
cleanup() {
  [ -n "$term_pid" ] && kill "$term_pid" 2>/dev/null
  [ -n "$host_pid" ] && kill "$host_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
tls_host=() pin=""
if [ "${TLS:-0}" = 1 ]; then
  pin=$(bash scripts/make-test-certs.sh "$work/certs" | sed -n 's/^pin (hosttlspin, --tls-pin): //p')
  [ -n "$pin" ] || { echo "no test certificate"; exit 1; }
  tls_host=(--tls "$work/certs/host.pem" "$work/certs/host.key")
fi
display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$display_file" ] && break; sleep 0.1; done
export DISPLAY=":$(head -1 "$display_file")"
rm -f "$display_file"
cp "${VANTOR_EXE:-$WIN/Vantor.exe}" "$work/Vantor.exe"
cmake --build "$WIN" --target bare_client >/dev/null || { echo "bare_client.exe does not build"; exit 1; }
cp "$WIN/bare_client.exe" "$work/"

# One measurement: prints the host's summary line.
run_once() {  # program (vantor|bare), count, fields, scenario
  local program=$1 count=$2 fields=$3 scenario=$4
  "$NATIVE/round_trip_host" --port 0 --count "$count" --fields "$fields" --scenario "$scenario" \
    "${tls_host[@]}" >"$work/host.log" 2>&1 &
  host_pid=$!
  for _ in $(seq 50); do grep -q "listening on" "$work/host.log" && break; sleep 0.1; done
  local port
  port=$(sed -n 's/.*listening on 127.0.0.1:\([0-9]*\).*/\1/p' "$work/host.log")
  [ -n "$port" ] || { cat "$work/host.log"; return 1; }
  if [ "$program" = bare ]; then
    (cd "$work" && exec wine bare_client.exe "$port" "$fields" "$scenario") >/dev/null 2>&1 &
  else
    printf 'hostname=127.0.0.1\r\nhostport=%s\r\nterminalid=1\r\n' "$port" >"$work/Vantor.ini"
    [ -z "$pin" ] || printf 'hosttls=true\r\nhosttlspin=%s\r\n' "$pin" >>"$work/Vantor.ini"
    (cd "$work" && exec wine Vantor.exe) >/dev/null 2>&1 &
  fi
  term_pid=$!
  wait "$host_pid"
  host_pid=""
  # wine execs the program in the same process.
  local rss=""
  [ "${RSS:-0}" = 1 ] && rss=$(sed -n 's/^VmRSS:[[:space:]]*//p' "/proc/$term_pid/status")
  kill "$term_pid" 2>/dev/null
  wait "$term_pid" 2>/dev/null
  term_pid=""
  grep -v "listening on" "$work/host.log"
  [ -n "$rss" ] && echo "resident memory of the terminal: $rss"
  return 0
}

# "median X ms, p90 Y ms" of a summary line as "X (p90 Y)".
summary() { sed -n 's/.*median \([0-9.]*\) ms, p90 \([0-9.]*\) ms.*/\1 (p90 \2)/p'; }

if [ "${1:-}" = table ]; then
  COUNT=${2:-100}
  echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
  echo "| Screen | Vantor median ms (p90) | bare program median ms (p90) | ratio of medians |"
  echo "|---|---|---|---|"
  for row in "same 60:60 fields, same shape as the last" "other 60:60 fields, other shape" \
             "same 1:1 field" "value 60:value-only update of 1 field (60 shown)" "erase 60:60 fields, page erased in the record"; do
    spec=${row%%:*} label=${row#*:}
    scenario=${spec% *} fields=${spec#* }
    vantor_out=$(run_once vantor "$COUNT" "$fields" "$scenario")
    bare_out=$(run_once bare "$COUNT" "$fields" "$scenario")
    vantor=$(summary <<<"$vantor_out") bare=$(summary <<<"$bare_out")
    [ -n "$vantor" ] || echo "Vantor.exe, $spec: $vantor_out" >&2
    [ -n "$bare" ] || echo "bare program, $spec: $bare_out" >&2
    ratio=$(awk -v a="${vantor%% *}" -v b="${bare%% *}" 'BEGIN { if (b > 0) printf "%.2fx", a / b; else print "-" }')
    echo "| $label | ${vantor:-failed} | ${bare:-failed} | $ratio |"
  done
  echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
  exit 0
fi

COUNT=${1:-100}
FIELDS=${2:-60}
SCENARIO=${3:-erase}
if [ "${BARE:-0}" = 1 ]; then run_once bare "$COUNT" "$FIELDS" "$SCENARIO"; else run_once vantor "$COUNT" "$FIELDS" "$SCENARIO"; fi
