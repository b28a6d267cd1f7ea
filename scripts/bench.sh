#!/usr/bin/env bash
# Builds the Release build and runs the benchmarks with the servers they need.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh release
# Audacious (classic skin, analyser) is the player the spectrum's CPU figure is compared with.
if [ "$(id -u)" -eq 0 ]; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends audacious audacious-plugins >/dev/null ||
    echo "bench: Audacious could not be installed; the comparison is left out" >&2
fi
source scripts/test-servers.sh
scratch=$(mktemp -d /tmp/lirra-bench.XXXXXX)
trap 'stop_test_servers; rm -rf "$scratch"' EXIT
start_test_servers "$scratch"
build/bench/engine_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
build/bench/engine_system_bench
build/bench/player_bench "$PWD/build/app"
build/bench/gapless_bench "$PWD/build/app"
build/bench/desktop_bench "$PWD/build/app"
build/bench/window_bench "$PWD/build/app"
build/bench/vis_bench "$PWD/build/app"
build/bench/playlist_bench "$PWD/build/app"
build/bench/orvana_bench "$PWD/build/app"
build/bench/lyrics_bench "$PWD/build/app"
build/bench/schedule_bench
build/bench/mpris_bench "$PWD/build/app"
build/bench/orvana_bench "$PWD/build/app" soak
