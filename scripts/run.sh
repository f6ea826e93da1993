#!/usr/bin/env bash
# Sets up, builds and starts Marvessa.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh" release
exec "$top/scripts/show_bank.sh" "$top/build/release"
