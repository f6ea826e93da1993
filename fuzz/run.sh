#!/usr/bin/env bash
# Builds the fuzz targets with clang (once, into build/fuzz), makes the seed
# corpora when they are missing, and runs one target for a while.
#   fuzz/run.sh TARGET SECONDS [libFuzzer options...]
# TARGET: table_read, table_write, filter_text, filter_buffer, wmf, emf.
# The corpus grows in build/fuzz/corpus/TARGET; crashes land in
# build/fuzz/findings/TARGET; once fixed, a finding is copied into
# fuzz/regressions/TARGET/, which the normal test suite replays
# (fuzz/regressions_test.cpp). MARVESSA_ROOT=DIR fuzzes another
# source tree.
set -euo pipefail
if (($# < 2)); then
  sed -n '2,10p' "$0" >&2
  exit 2
fi
target=$1
seconds=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
build=${MARVESSA_FUZZ_BUILD:-$here/../build/fuzz}
root=${MARVESSA_ROOT:-$here/..}

CXX=clang++ cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMARVESSA_ROOT="$root" >/dev/null
cmake --build "$build" --target "fuzz_$target" make_seeds -j"${MARVESSA_FUZZ_JOBS:-2}" >/dev/null

seeds=$build/seeds
if [[ ! -d $seeds/table ]]; then
  ASAN_OPTIONS=detect_leaks=0 "$build/make_seeds" "$seeds"
fi
case $target in
  table_read | table_write) seed=$seeds/table ;;
  *) seed=$seeds/$target ;;
esac
# Exhibit metafiles: the committed pictures of the format are the seeds.
if [[ $target == wmf || $target == emf ]]; then
  seed=$seeds/$target
  mkdir -p "$seed"
  cp "$root"/exam/presentation/testdata/*."$target" "$seed"/
fi
corpus=$build/corpus/$target
findings=$build/findings/$target
mkdir -p "$corpus" "$findings"
dict=()
[[ -f $here/$target.dict ]] && dict=(-dict="$here/$target.dict")

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
exec "$build/fuzz_$target" "$corpus" "$seed" -max_total_time="$seconds" -timeout=10 \
  -rss_limit_mb=2048 -max_len=262144 -artifact_prefix="$findings/" -print_final_stats=1 "${dict[@]}" "$@"
