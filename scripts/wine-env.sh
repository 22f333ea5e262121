# Sourced: a Wine prefix of the project's own under build/, created once, with "Courier New" mapped
# to Liberation Mono so that screen metrics are the same on every machine.
export WINEPREFIX="${WINEPREFIX:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/.vantor-ready" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  fonts_reg="$(mktemp --suffix=.reg)"
  printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n"Courier New"="Liberation Mono"\r\n' >"$fonts_reg"
  wine regedit "$fonts_reg" >/dev/null 2>&1 || true
  rm -f "$fonts_reg"
  wineserver -w
  touch "$WINEPREFIX/.vantor-ready"
fi
