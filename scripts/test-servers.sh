# Sourced by the test command: starts the servers the tests need and stops exactly those
# processes again, by their process ids.
#   start_test_servers <scratch-dir>   exports DISPLAY, PULSE_SERVER, LIRRA_TEST_SINK, ...
#   stop_test_servers

LIRRA_SERVER_PIDS=()

_wait_for() {  # _wait_for <seconds> <command...>
  local deadline=$((SECONDS + $1)); shift
  until "$@" >/dev/null 2>&1; do
    [ "$SECONDS" -ge "$deadline" ] && return 1
    sleep 0.1
  done
}

start_test_servers() {
  local scratch=$1
  mkdir -p "$scratch/runtime" "$scratch/pulse" "$scratch/config"
  chmod 700 "$scratch/runtime"
  export XDG_RUNTIME_DIR="$scratch/runtime"
  # A lyrics fetcher started by a test never reaches the public service: this address
  # refuses at once.
  export LIRRA_LYRICS_URL="http://127.0.0.1:9"

  # Xvfb picks a free display number itself and writes it to the pipe.
  local fifo="$scratch/xvfb.display"
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$fifo" >"$scratch/xvfb.log" 2>&1 &
  LIRRA_SERVER_PIDS+=($!)
  export LIRRA_XVFB_PID=$!  # benchmarks count what the X server spends on the player's drawing
  local display
  if ! read -r -t 20 display <"$fifo"; then
    echo "test servers: Xvfb did not start (see $scratch/xvfb.log)" >&2
    return 1
  fi
  export DISPLAY=":$display"
  if ! _wait_for 20 xdpyinfo; then
    echo "test servers: X display $DISPLAY does not answer" >&2
    return 1
  fi

  # A private PulseAudio server with a null sink on a socket of its own.
  export LIRRA_TEST_SINK=lirra_test_sink
  local socket="$scratch/pulse/native"
  PULSE_RUNTIME_PATH="$scratch/pulse" XDG_CONFIG_HOME="$scratch/config" HOME="$scratch" \
    pulseaudio --daemonize=no -n --use-pid-file=no --exit-idle-time=-1 --disable-shm=yes \
      --load="module-null-sink sink_name=$LIRRA_TEST_SINK" \
      --load="module-native-protocol-unix socket=$socket auth-anonymous=1" \
      >"$scratch/pulse.log" 2>&1 &
  LIRRA_SERVER_PIDS+=($!)
  export LIRRA_PULSE_PID=$!  # benchmarks count the server's share of what a player costs
  export PULSE_SERVER="unix:$socket"
  if ! _wait_for 20 pactl info; then
    echo "test servers: PulseAudio did not start (see $scratch/pulse.log)" >&2
    return 1
  fi

  # A null sink left idle sleeps in 2-second blocks, so a new stream would wait up to 2 s
  # before it is heard. A low-latency stream of silence keeps it clocked the way a sound
  # card is; wait until the sink has settled to a short latency.
  pacat --playback --device="$LIRRA_TEST_SINK" --latency-msec=20 --raw /dev/zero \
    >"$scratch/pacat.log" 2>&1 &
  LIRRA_SERVER_PIDS+=($!)
  if ! _wait_for 10 _sink_is_clocked; then
    echo "test servers: the null sink did not settle to a short latency" >&2
    return 1
  fi
  # The sink's thread may still sleep out a block begun before the silence arrived.
  sleep 2.5
}

_sink_is_clocked() {
  local usec
  usec=$(pactl list sinks | sed -n 's/.*configured \([0-9]*\) usec.*/\1/p' | head -n 1)
  [ -n "$usec" ] && [ "$usec" -lt 100000 ]
}

stop_test_servers() {
  local pid
  for pid in "${LIRRA_SERVER_PIDS[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  for pid in "${LIRRA_SERVER_PIDS[@]}"; do
    wait "$pid" 2>/dev/null || true
  done
  LIRRA_SERVER_PIDS=()
}
