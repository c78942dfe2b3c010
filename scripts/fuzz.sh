#!/usr/bin/env bash
# Builds the libFuzzer targets with clang under AddressSanitizer and UndefinedBehaviorSanitizer and runs
# each for a while from its kept inputs (tests/data/fuzz/<target>/). A crashing input is left in
# build-fuzz/artifacts/; copy it into tests/data/fuzz/<target>/ with the fix, so the replay test keeps it.
# Usage: scripts/fuzz.sh [seconds per target, default 60] [target ...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
shift || true
targets=("$@")
if [ "${#targets[@]}" -eq 0 ]; then targets=(wordread evaluate colstream values inputfile plotfile engine results); fi
bash scripts/install-deps.sh
cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DBREVANTO_FUZZ=ON -DBREVANTO_TESTS=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build-fuzz -j "$(nproc)" --target $(printf 'fuzz_%s ' "${targets[@]}")
mkdir -p build-fuzz/artifacts
export QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  LSAN_OPTIONS="suppressions=$PWD/fuzz/lsan.supp"
status=0
for t in "${targets[@]}"; do
  corpus="build-fuzz/corpus/$t"
  mkdir -p "$corpus"
  echo "== fuzz_$t for ${seconds}s"
  if ! ./build-fuzz/fuzz/fuzz_"$t" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=4096 \
      -artifact_prefix="build-fuzz/artifacts/$t-" -print_final_stats=1 "$corpus" "tests/data/fuzz/$t" \
      2> "build-fuzz/fuzz_$t.log"; then
    status=1
    tail -40 "build-fuzz/fuzz_$t.log"
  fi
  grep -E "stat::number_of_executed_units|stat::peak_rss_mb" "build-fuzz/fuzz_$t.log" || true
done
exit $status
