#!/usr/bin/env bash
# Builds the monitor database fuzz targets (libFuzzer, clang, 32-bit, with
# ASan and UBSan) in build-fuzz and runs each for a few seconds on a seed
# corpus made from data/. FUZZ_SECONDS sets the time per target (default 5).
# Skips (exit 0) where clang or a 32-bit libFuzzer runtime is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-5}
dir=build-fuzz

skip() { echo "fuzz: skipped: $*"; exit 0; }
command -v clang >/dev/null && command -v clang++ >/dev/null || skip "clang is not installed"

# A 32-bit libFuzzer must link and run here (under qemu-i386 where needed).
probe=$(mktemp -d)
trap 'rm -rf "$probe"' EXIT
printf '%s\n' '#include <stddef.h>' '#include <stdint.h>' \
  'extern "C" int LLVMFuzzerTestOneInput(const uint8_t*, size_t) { return 0; }' >"$probe/probe.cpp"
clang++ -m32 -fsanitize=fuzzer,address "$probe/probe.cpp" -o "$probe/probe" 2>/dev/null ||
  skip "clang cannot link a 32-bit libFuzzer program (libclang-rt-14-dev lacks the i386 runtime?)"
emulator=""
if ! "$probe/probe" -runs=1 >/dev/null 2>&1; then
  command -v qemu-i386 >/dev/null || skip "32-bit programs do not run here and qemu-i386 is missing"
  emulator=qemu-i386
  ASAN_OPTIONS=detect_leaks=0 $emulator "$probe/probe" -runs=1 >/dev/null 2>&1 ||
    skip "a 32-bit libFuzzer program does not run under qemu-i386"
fi

[ -f "$dir/build.ninja" ] ||
  CC=clang CXX=clang++ cmake -S . -B "$dir" -G Ninja -DOVX_FUZZ=ON -DOVX_SANITIZE=ON >/dev/null
cmake --build "$dir" -j 2 --target monitor_text_fuzzer monitor_cache_fuzzer make_cache_seed ovx_monitor_db_generator \
  mode_file_fuzzer make_mode_file_seed

# Seeds from data/: the head of the shipped database (inputs stay small, so
# each run is quick), a small generated one, and the cache of the shipped one.
# They are passed as files: a 32-bit libFuzzer under qemu cannot list the
# directories of a 64-bit file system.
seeds=$dir/fuzz-seeds
corpus=$dir/fuzz-corpus
mkdir -p "$seeds" "$corpus/text" "$corpus/cache" "$corpus/mode"
export ASAN_OPTIONS=detect_leaks=0 OVX_MODULE_DIR=$PWD/$dir/modules
head -c 3500 data/OVX.MON >"$seeds/shipped-head.mon"
$emulator "$dir/tools/monitor_db_generator/ovx_monitor_db_generator" "$seeds/generated.mon" --models 5 >/dev/null
$emulator "$dir/monitor_page/monitor_db/make_cache_seed" data/OVX.MON "$seeds/shipped.bin"
text_seeds=$seeds/shipped-head.mon,$seeds/generated.mon
cache_seeds=$seeds/shipped.bin
$emulator "$dir/monitor_page/mode_file/make_mode_file_seed" "$seeds/two-modes.inf"
mode_seeds=$seeds/two-modes.inf

status=0
run() {  # name, seeds, corpus, max_len[, folder under monitor_page]
  echo "== $1, ${seconds}s"
  local log=$dir/$1.log
  if $emulator "$dir/monitor_page/${5:-monitor_db}/$1" -max_total_time="$seconds" -max_len="$4" -artifact_prefix="$dir/" \
      -seed_inputs="$2" "$3" >"$log" 2>&1; then
    grep -E '^(INFO: seed corpus|Done)' "$log"
  else
    status=1
    grep -E -A15 '^(==[0-9]+==|SUMMARY)' "$log" | head -40
    echo "fuzz: $1 found a fault (log $log, input in $dir/)"
  fi
}
run monitor_text_fuzzer "$text_seeds" "$corpus/text" 8192
run monitor_cache_fuzzer "$cache_seeds" "$corpus/cache" 65536
run mode_file_fuzzer "$mode_seeds" "$corpus/mode" 4096 mode_file
exit $status
