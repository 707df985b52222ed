#!/usr/bin/env bash
# One command for everything:
#   ./build.sh         builds dist/Launcher.exe and runs it once under Wine in
#                      a throwaway demo session, telling what it did
#   ./build.sh test    builds the Linux and the Windows builds and runs every
#                      test: on the simulated Windows and under Wine
#   ./build.sh simulate  runs the launcher once on the simulated Windows
# Whatever the machine lacks is installed first (Debian packages, as root).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"

# Packages by the architecture they are for; wine32 and the X libraries that
# Wine's X11 driver loads are 32-bit.
LINUX_PACKAGES=(cmake make g++ libgtest-dev)
WINDOWS_PACKAGES=(g++-mingw-w64-i686 binutils-mingw-w64-i686 wine xvfb x11-utils)
I386_PACKAGES=(wine32 libxext6 libxrender1 libxrandr2 libxi6 libxcursor1 libxinerama1 libxcomposite1 libxfixes3)

log() { printf '\n== %s\n' "$*"; }

as_root() {
  if [[ $(id -u) -eq 0 ]]; then "$@"; else sudo "$@"; fi
}

is_installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

install_missing() {
  local missing=() package
  for package in "${LINUX_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}"; do
    is_installed "$package" || missing+=("$package")
  done
  for package in "${I386_PACKAGES[@]}"; do
    is_installed "$package:i386" || missing+=("$package:i386")
  done
  [[ ${#missing[@]} -eq 0 ]] && return
  log "installing ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
  fi
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

build() { # preset
  log "building ($1)"
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1" -j "$(nproc)"
}

case "${1:-}" in
  "")
    install_missing
    build windows
    log "dist/Launcher.exe: $(stat -c %s dist/Launcher.exe) bytes"
    bash tests/wine/demo.sh build/windows/tests/wine/helpers dist/Launcher.exe
    ;;
  test)
    install_missing
    build linux
    build windows
    log "tests on the simulated Windows"
    ctest --preset linux -j "$(nproc)"
    log "tests under Wine"
    ctest --preset windows -j "$(nproc)"
    ;;
  simulate)
    install_missing
    build linux
    build/linux/simulated_demo
    ;;
  *)
    echo "usage: $0 [test|simulate]" >&2
    exit 2
    ;;
esac
