#!/usr/bin/env bash
# Installs the Debian packages the build needs (when missing), then configures
# and builds one flavour: "release" (the program) or "asan" (the tests, under
# AddressSanitizer and UBSan). Usage: scripts/setup.sh release|asan
set -euo pipefail
flavour=${1:-release}
top=$(cd "$(dirname "$0")/.." && pwd)

packages=(cmake g++ make pkg-config libgtest-dev libgmock-dev nlohmann-json3-dev locales libsqlite3-dev
          qt6-base-dev qt6-charts-dev libqt6opengl6-dev qt6-svg-dev libemf2svg-dev libwmf-dev fonts-urw-base35
          desktop-file-utils xvfb xauth xdotool openbox at-spi2-core dbus-daemon python3-pyatspi
          fonts-liberation2 fonts-dejavu-core poppler-utils)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
fi

case "$flavour" in
  release) options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
  asan) options=(-DCMAKE_BUILD_TYPE=Debug -DMARVESSA_SANITIZE=ON) ;;
  *) echo "unknown flavour $flavour" >&2; exit 2 ;;
esac
cmake -S "$top" -B "$top/build/$flavour" "${options[@]}" >/dev/null
cmake --build "$top/build/$flavour" -j"$(nproc)"
