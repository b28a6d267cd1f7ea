#!/usr/bin/env bash
# Configures and builds one build type.
#   scripts/build.sh release   -> build/        (the app folder build/app/)
#   scripts/build.sh debug     -> build-debug/  (AddressSanitizer + UBSan, for the tests)
set -euo pipefail
cd "$(dirname "$0")/.."

case "${1:-release}" in
  release) dir=build type=Release ;;
  debug) dir=build-debug type=Debug ;;
  *) echo "usage: scripts/build.sh [release|debug]" >&2; exit 2 ;;
esac

cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type"
cmake --build "$dir" -j2
