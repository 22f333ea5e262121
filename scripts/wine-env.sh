# Sourced: a Wine prefix of the project's own under build/, created once, with "Courier New" mapped
# to Liberation Mono so that screen metrics are the same on every machine. The tests' prefix does not
# hand windows to a window manager (there is none on their virtual display, and Wine would wait up to
# two seconds for one each time a window is hidden); VANTOR_WINE_MANAGED=1 keeps Wine's default.
export WINEPREFIX="${WINEPREFIX:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/.vantor-ready" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  settings_reg="$(mktemp --suffix=.reg)"
  printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n"Courier New"="Liberation Mono"\r\n' >"$settings_reg"
  [ "${VANTOR_WINE_MANAGED:-0}" = 1 ] ||
    printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Managed"="N"\r\n' >>"$settings_reg"
  wine regedit "$settings_reg" >/dev/null 2>&1 || true
  rm -f "$settings_reg"
  wineserver -w
  touch "$WINEPREFIX/.vantor-ready"
fi
