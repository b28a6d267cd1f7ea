#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (build-fuzz/) and runs each for a while, or for a
# number of runs, on a scratch copy of its corpus; prints each target's executions.
#   scripts/fuzz.sh [seconds-per-target] [target …]     default: 100 s, every target
#   FUZZ_RUNS=1000000 scripts/fuzz.sh 0 m3u             a fixed number of runs instead
# A crash leaves its input in build-fuzz/findings/<target>/ and the script fails.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-100}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(text_decode ini m3u cue skin_bitmap lrc getlrc_json engine_open)

if ! command -v clang++ >/dev/null || ! dpkg -s libclang-rt-14-dev >/dev/null 2>&1; then
  [ "$(id -u)" -eq 0 ] || { echo "fuzz: clang and libclang-rt-14-dev are needed (run as root to install)" >&2; exit 1; }
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends clang libclang-rt-14-dev
fi

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DLIRRA_FUZZ=ON -DLIRRA_SANITIZE=ON -DLIRRA_TESTS=OFF -DLIRRA_BENCH=OFF >/dev/null
cmake --build build-fuzz -j2 --target "${targets[@]/%/_fuzz}"

status=0
for target in "${targets[@]}"; do
  work=build-fuzz/corpus-work/$target findings=build-fuzz/findings/$target
  mkdir -p "$work" "$findings"
  cp -n fuzz/corpus/"$target"/* "$work"/ 2>/dev/null || true
  limit=(-max_total_time="$seconds")
  [ -n "${FUZZ_RUNS:-}" ] && limit=(-runs="$FUZZ_RUNS")
  log=build-fuzz/$target.log
  # Long sanitizer runs grow beyond libFuzzer's default 2 GB.
  if ! build-fuzz/fuzz/"$target"_fuzz "${limit[@]}" -rss_limit_mb=4096 -artifact_prefix="$findings/" -print_final_stats=1 \
      "$work" >"$log" 2>&1; then
    status=1
    echo "$target: FAILED (see $log and $findings/)"
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  echo "$target: ${runs:-?} runs"
done
exit $status
