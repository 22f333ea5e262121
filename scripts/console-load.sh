#!/usr/bin/env bash
# Measures what the web console costs the terminals: vantor-load's turnaround through vantor-gateway,
# once without the console and once with it asked 50 times a second by 10 clients at once (the list,
# a terminal's page, /metrics, and odd requests: unknown paths, a huge header, a connection that never
# finishes its request). Needs the Release build:
#   cmake --preset release && cmake --build build/release --target vantor-gateway vantor-load demo_host
# Usage: scripts/console-load.sh [TERMINALS] [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
terminals=${1:-300} seconds=${2:-30}
bin=build/release
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done' EXIT
work=$(mktemp -d)

"$bin/demo_host" 0 >"$work/host.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do grep -q listening "$work/host.log" && break; sleep 0.1; done
host_port=$(grep -o '127.0.0.1:[0-9]*' "$work/host.log" | head -1 | cut -d: -f2)

run() {  # name, extra gateway options...
  local name=$1
  shift
  "$bin/vantor-gateway" --listen 127.0.0.1:0 --host "127.0.0.1:$host_port" "$@" >/dev/null 2>"$work/$name.gw" &
  local gateway=$!
  pids+=($gateway)
  for _ in $(seq 50); do grep -q "listening on" "$work/$name.gw" && break; sleep 0.1; done
  local port poller=""
  port=$(grep -o 'listening on 127.0.0.1:[0-9]*' "$work/$name.gw" | grep -o '[0-9]*$')
  if grep -q "console on" "$work/$name.gw"; then
    local console
    console=$(grep -o 'http://127.0.0.1:[0-9]*' "$work/$name.gw")
    python3 - "$console" "$seconds" <<'PY' &
import signal, socket, sys, threading, time, urllib.error, urllib.request
console, seconds = sys.argv[1], float(sys.argv[2]) + 10
signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
paths = ["/api/terminals", "/api/terminals/7", "/metrics", "/", "/no/such/path", "/api/terminals/99999"]
host, port = console[len("http://"):].split(":")
stalled = socket.create_connection((host, int(port)))  # a browser that stopped: half a request
stalled.sendall(b"GET /api/terminals HTTP/1.1\r\nHost: x\r\n")
begin, counts = time.monotonic(), [0, 0]  # asked, answered 200


def ask(worker):  # 10 of these at once, 5 requests a second each
    n = worker
    while time.monotonic() < begin + seconds:
        started = time.monotonic()
        try:
            headers = {"X-Huge": "x" * 16000} if n % 10 == 9 else {}
            request = urllib.request.Request(console + paths[n % len(paths)], headers=headers)
            urllib.request.urlopen(request, timeout=5).read()
            counts[1] += 1
        except (urllib.error.URLError, OSError):
            pass
        n += 1
        counts[0] += 1
        time.sleep(max(0.0, 0.2 - (time.monotonic() - started)))


for worker in range(10):
    threading.Thread(target=ask, args=(worker,), daemon=True).start()
try:
    time.sleep(seconds)
finally:
    print("console: %d requests in %.1f s (%d answered 200)" % (counts[0], time.monotonic() - begin, counts[1]))
PY
    poller=$!
    pids+=($poller)
    sleep 1
  fi
  echo "== $name"
  "$bin/vantor-load" --host "127.0.0.1:$port" --terminals "$terminals" --duration "$seconds" --think 0.5 \
    --script tools/load/warehouse.script 2>/dev/null | grep -E "turnaround|script errors|screens "
  [ -z "$poller" ] || kill "$poller" 2>/dev/null || true
  kill "$gateway"
  wait "$gateway" 2>/dev/null || true
}

run without
run console-polled --admin 127.0.0.1:0
run without-again
run console-polled-again --admin 127.0.0.1:0
rm -rf "$work"
