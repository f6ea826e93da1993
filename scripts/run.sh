#!/usr/bin/env bash
# Sets up, builds and starts Marvessa. Without a display (no X11 or Wayland
# session) it shows the shipped question bank on the terminal instead.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh" release
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  echo "No display found: showing the question bank instead of starting the program."
  exec "$top/scripts/show_bank.sh" "$top/build/release"
fi
exec "$top/build/release/bin/marvessa"
