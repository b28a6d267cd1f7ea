#!/usr/bin/env bash
# The README's run command: installs what is needed, builds the player and starts it from
# the app folder on the bundled demo playlist.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
bash scripts/build.sh release

app=build/app
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Lirra is built in $app/, but there is no display to show its window on (DISPLAY is not set)." >&2
  echo "Run it from a desktop session, or under a virtual X server: xvfb-run -a $app/lirra $app/Demo.m3u" >&2
  exit 1
fi
cd "$app"
exec ./lirra "$PWD/Demo.m3u"
