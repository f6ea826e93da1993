#!/usr/bin/env bash
# Sets up, builds under the sanitizers and runs every test.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh" asan
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS=suppressions="$top/testing/lsan.supp"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cd "$top/build/asan"
ctest --output-on-failure -j"$(nproc)"
