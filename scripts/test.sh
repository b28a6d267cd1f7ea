#!/usr/bin/env bash
# The README's test command: installs what is needed, builds the Debug build (with
# AddressSanitizer and UBSan) and runs the whole test suite with the servers it needs.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
bash scripts/build.sh debug

source scripts/test-servers.sh
scratch=$(mktemp -d /tmp/lirra-test.XXXXXX)
cleanup() {
  stop_test_servers
  rm -rf "$scratch"
}
trap cleanup EXIT
start_test_servers "$scratch"

# Set the language so results don't depend on the machine's locale.
export LANG=C.UTF-8 LC_ALL=C.UTF-8
ctest --test-dir build-debug --output-on-failure -j2 --timeout 300
