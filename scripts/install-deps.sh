#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Vantor need (skipped when present).
set -euo pipefail
packages=(cmake ninja-build g++ clang libclang-rt-14-dev googletest libgtest-dev libgmock-dev libbenchmark-dev
          g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64 xvfb xdotool x11-utils imagemagick socat
          fonts-liberation fonts-wine python3 nlohmann-json3-dev libasio-dev libssl-dev openssl
          clang-format clang-tidy libcpp-httplib-dev chromium)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
