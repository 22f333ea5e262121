#!/usr/bin/env bash
# Runs the Vantor demo: builds the demo host (native) and Vantor.exe (Windows), starts the demo host and
# the terminal under Wine from out/run/. With a display the terminal's window opens there; without one
# a virtual display is used, the first screen is saved as docs/screenshot.png and everything stops.
#
# Environment: PORT (demo host port, 9999), JOBS (build jobs, 2), RUN_NATIVE_BUILD and RUN_WIN_BUILD
# (build folders, build/native and build/win), WINEPREFIX (out/wineprefix).
set -uo pipefail
cd "$(dirname "$0")" || exit 1
ROOT=$PWD
PORT=${PORT:-9999}
JOBS=${JOBS:-2}
NATIVE=${RUN_NATIVE_BUILD:-$ROOT/build/native}
WIN=${RUN_WIN_BUILD:-$ROOT/build/win}
RUN_DIR=$ROOT/out/run
export WINEPREFIX=${WINEPREFIX:-$ROOT/out/wineprefix}

say() { echo "run.sh: $*"; }
fail() { echo "run.sh: $*" >&2; exit 1; }

bash scripts/install-deps.sh || fail "installing the build and run dependencies failed"

# Configure a build folder only once (with its preset of CMakePresets.json); later builds re-run CMake by
# themselves when needed.
build() {  # preset, folder, targets, extra configure arguments...
  local preset=$1 dir=$2 targets=$3; shift 3
  mkdir -p "$(dirname "$dir")"
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake --preset "$preset" -B "$dir" "$@" >"$dir.configure.log" 2>&1 || { tail -30 "$dir.configure.log"; return 1; }
  fi
  # shellcheck disable=SC2086
  cmake --build "$dir" -j "$JOBS" --target $targets >"$dir.build.log" 2>&1 || { tail -40 "$dir.build.log"; return 1; }
}

say "building the demo host ($NATIVE) and Vantor.exe ($WIN)"
build native "$NATIVE" demo_host -DVANTOR_WIN_BUILD="$WIN" ||
  fail "the demo host did not build"
build win "$WIN" "Vantor probe" ||
  fail "Vantor.exe did not build"
[ -f "$WIN/Vantor.exe" ] || fail "no Vantor.exe in $WIN"

# shellcheck source=scripts/wine-env.sh
VANTOR_WINE_MANAGED=1 source scripts/wine-env.sh
own_prefix=0
[ "$WINEPREFIX" = "$ROOT/out/wineprefix" ] && own_prefix=1

# In the demo's own prefix: the caption buttons' symbol font, and window frames drawn by Wine itself
# when there is no window manager to draw them (Y: the desktop's window manager draws them).
prepare_prefix() {  # Y or N
  [ "$own_prefix" -eq 1 ] || return 0
  local fonts="$WINEPREFIX/drive_c/windows/Fonts"
  if [ ! -f "$fonts/marlett.ttf" ] && [ -f /usr/share/wine/fonts/marlett.ttf ]; then
    cp /usr/share/wine/fonts/marlett.ttf "$fonts/"
  fi
  local reg
  reg=$(mktemp --suffix=.reg)
  printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Decorated"="%s"\r\n' "$1" >"$reg"
  wine regedit "$reg" >/dev/null 2>&1
  rm -f "$reg"
}

demo_pid="" xvfb_pid="" term_pid=""
cleanup() {
  [ -n "$term_pid" ] && kill "$term_pid" 2>/dev/null
  # The prefix is the demo's own unless WINEPREFIX was given: then only our terminal is stopped.
  [ "$own_prefix" -eq 1 ] && wineserver -k 2>/dev/null
  [ -n "$demo_pid" ] && kill "$demo_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Waits up to $1 seconds for the command that follows to succeed.
wait_for() {
  local seconds=$1; shift
  local tries=$((seconds * 5))
  while [ "$tries" -gt 0 ]; do
    "$@" && return 0
    sleep 0.2
    tries=$((tries - 1))
  done
  return 1
}

mkdir -p "$RUN_DIR"
cp "$WIN/Vantor.exe" "$RUN_DIR/Vantor.exe"

"$NATIVE/demo_host" "$PORT" >"$RUN_DIR/demo_host.log" 2>&1 &
demo_pid=$!
wait_for 10 grep -q "listening on" "$RUN_DIR/demo_host.log" ||
  fail "the demo host did not start: $(cat "$RUN_DIR/demo_host.log")"
say "demo host on 127.0.0.1:$PORT (log: out/run/demo_host.log)"

write_settings() {
  printf 'hostname=127.0.0.1\r\nhostport=%s\r\nterminalid=1\r\n' "$PORT" >"$RUN_DIR/Vantor.ini"
}

if [ -n "${DISPLAY:-}" ]; then
  # Keep what the terminal stored last time; only the host must be the demo host.
  if [ -f "$RUN_DIR/Vantor.ini" ]; then
    sed -i -E "s/^hostname=.*\r?$/hostname=127.0.0.1\r/I; s/^hostport=.*\r?$/hostport=$PORT\r/I" "$RUN_DIR/Vantor.ini"
  else
    write_settings
  fi
  prepare_prefix Y
  say "starting the terminal on $DISPLAY; sign on with any user id, close its window to end"
  (cd "$RUN_DIR" && exec wine Vantor.exe) &
  term_pid=$!
  wait "$term_pid"
  term_pid=""
  exit 0
fi

# No display: a virtual one, the first screen saved as a picture.
write_settings
display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
xvfb_pid=$!
wait_for 10 test -s "$display_file" || fail "Xvfb did not start"
DISPLAY=":$(head -1 "$display_file")"
export DISPLAY
rm -f "$display_file"
say "virtual display $DISPLAY"
prepare_prefix N

(cd "$RUN_DIR" && exec wine Vantor.exe) >"$RUN_DIR/wine.log" 2>&1 &
term_pid=$!
wait_for 60 grep -q "sign-on screen sent" "$RUN_DIR/demo_host.log" || fail "the terminal did not reach the demo host"
# The sign-on screen is up once its entry field exists; then give it a moment to paint.
screen_up() { wine "$WIN/probe.exe" list 2>/dev/null | grep -q $'\tVdxEntry\t'; }
wait_for 30 screen_up || say "the sign-on screen's fields did not appear in time; taking the picture anyway"
sleep 1.5
mkdir -p docs
import -window root -crop 240x320+0+0 +repage docs/screenshot.png || fail "the screenshot failed"
say "saved docs/screenshot.png"
