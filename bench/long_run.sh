#!/usr/bin/env bash
# A long run of the real player: a list of short tracks (a new one every 5 s) in a scratch
# copy of the app folder, the visual area stepping through the spectrum and each plug-in
# every 5 minutes (a left click on the title strip). Resident memory and open descriptors
# are sampled every 30 s; at the end the first and the last ten minutes are compared.
# Another player of the same user must not run (a second one ends at once). Needs the test servers (an X server and a sound server), as the tests start them:
#   source scripts/test-servers.sh; start_test_servers "$(mktemp -d)"
#   bench/long_run.sh build/app [minutes=60]
set -euo pipefail

app=$(realpath "$1")
minutes=${2:-60}
work=$(mktemp -d /tmp/lirra-long-run.XXXXXX)
player=
trap '[ -n "$player" ] && { kill "$player" 2>/dev/null; wait "$player" 2>/dev/null; }; rm -rf "$work"' EXIT

cp -r "$app" "$work/app"
list="$work/app/Short tracks.m3u"
echo "#EXTM3U" >"$list"
for i in $(seq 0 11); do
  ffmpeg -loglevel error -f lavfi -i "sine=frequency=$((220 + 55 * i)):duration=5" -ac 2 -ar 44100 \
    "$work/app/Music/short $i.ogg"
  printf 'Music/short %d.ogg\r\n' "$i" >>"$list"
done
printf '[main]\r\nvis=1\r\nm3u=Short tracks.m3u\r\n' >"$work/app/lirra.ini"

"$work/app/lirra" >"$work/player.log" 2>&1 &
player=$!
sleep 5
window=$(xdotool search --pid "$player" --class lirra | head -n 1)
eval "$(xdotool getwindowgeometry --shell "$window")"  # X, Y, WIDTH, HEIGHT

samples="$work/samples.txt"
start=$SECONDS
next_step=$((start + 300))
while [ $((SECONDS - start)) -lt $((minutes * 60)) ]; do
  kill -0 "$player" 2>/dev/null || { echo "long run: the player ended early" >&2; cat "$work/player.log" >&2; exit 1; }
  rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$player/status")
  fds=$(find "/proc/$player/fd" -mindepth 1 -maxdepth 1 | wc -l)
  echo "$((SECONDS - start)) $rss $fds" >>"$samples"
  if [ "$SECONDS" -ge "$next_step" ]; then
    # The title strip's right part: spectrum -> AVS -> scope -> spectrum ...
    xdotool mousemove $((X + WIDTH / 2)) $((Y + 8)) click 1
    next_step=$((next_step + 300))
  fi
  sleep 30
done

# Medians of the first and the last ten minutes (or of the first and last third when shorter).
python3 - "$samples" "$minutes" <<'EOF'
import statistics, sys
rows = [tuple(map(int, line.split())) for line in open(sys.argv[1])]
span = min(600, int(sys.argv[2]) * 20)
first = [r for r in rows if r[0] < span]
last = [r for r in rows if r[0] >= rows[-1][0] - span]
def med(rs, i): return statistics.median(r[i] for r in rs)
print(f"samples: {len(rows)} over {rows[-1][0]} s")
print(f"resident memory, first / last {span // 60} min (median): {med(first, 1) / 1024:.1f} / {med(last, 1) / 1024:.1f} MB"
      f"  (min {min(r[1] for r in rows) / 1024:.1f}, max {max(r[1] for r in rows) / 1024:.1f})")
print(f"open descriptors, first / last {span // 60} min (median): {med(first, 2):.0f} / {med(last, 2):.0f}"
      f"  (min {min(r[2] for r in rows)}, max {max(r[2] for r in rows)})")
EOF
if grep -qiE "error|critical|abort" "$work/player.log"; then
  echo "long run: the player reported errors:" >&2
  grep -iE "error|critical|abort" "$work/player.log" | sort | uniq -c | head -n 20 >&2
  exit 1
fi
echo "no error in the player's output"
