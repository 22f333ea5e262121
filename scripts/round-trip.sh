#!/usr/bin/env bash
# Times the screen-plus-W round trip of Vantor.exe under Wine on a virtual display: a host sends COUNT
# screens of FIELDS fields ending in W and times each key response (bench/round_trip_host.cpp).
#
#   scripts/round-trip.sh [COUNT] [FIELDS]      (after ./test.sh, or with RUN_NATIVE_BUILD/RUN_WIN_BUILD)
#   TLS=1 scripts/round-trip.sh [COUNT] [FIELDS]
#
# BARE=1 runs the yardstick instead: a bare Win32 program doing the same window work (bench/bare_client_win.cpp).
# TLS=1 runs the link over TLS: a throw-away certificate (scripts/make-test-certs.sh) pinned in the
# terminal's settings; the host also prints the handshake's time.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
ROOT=$PWD
COUNT=${1:-100}
FIELDS=${2:-60}
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
"$NATIVE/round_trip_host" --port 0 --count "$COUNT" --fields "$FIELDS" "${tls_host[@]}" >"$work/host.log" 2>&1 &
host_pid=$!
for _ in $(seq 50); do grep -q "listening on" "$work/host.log" && break; sleep 0.1; done
port=$(sed -n 's/.*listening on 127.0.0.1:\([0-9]*\).*/\1/p' "$work/host.log")
[ -n "$port" ] || { cat "$work/host.log"; exit 1; }
cp "$WIN/Vantor.exe" "$work/"
printf 'hostname=127.0.0.1\r\nhostport=%s\r\nterminalid=1\r\n' "$port" >"$work/Vantor.ini"
[ -z "$pin" ] || printf 'hosttls=true\r\nhosttlspin=%s\r\n' "$pin" >>"$work/Vantor.ini"
display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$display_file" ] && break; sleep 0.1; done
export DISPLAY=":$(head -1 "$display_file")"
rm -f "$display_file"
if [ "${BARE:-0}" = 1 ]; then
  cmake --build "$WIN" --target bare_client >/dev/null || { echo "bare_client.exe does not build"; exit 1; }
  cp "$WIN/bare_client.exe" "$work/"
  (cd "$work" && exec wine bare_client.exe "$port" "$FIELDS") >/dev/null 2>&1 &
else
  (cd "$work" && exec wine Vantor.exe) >/dev/null 2>&1 &
fi
term_pid=$!
wait "$host_pid"
host_pid=""
cat "$work/host.log"
