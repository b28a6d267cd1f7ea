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

  _start_weston "$scratch" || return 1
  start_sound_server "$scratch" "${LIRRA_TEST_SOUND_SERVER:-pulseaudio}"
}

# A Wayland compositor for the window's Wayland tests: weston, headless, with XWayland
# (started by weston when its first X client comes). Its socket is wayland-lirra in
# XDG_RUNTIME_DIR (LIRRA_WAYLAND_SOCKET); XWayland's display is LIRRA_XWAYLAND_DISPLAY.
# Nothing else sees it: WAYLAND_DISPLAY stays unset.
_start_weston() {
  local scratch=$1
  export LIRRA_WAYLAND_SOCKET=wayland-lirra
  weston --backend=headless-backend.so --socket="$LIRRA_WAYLAND_SOCKET" --xwayland --width=1280 --height=800 \
    --idle-time=0 >"$scratch/weston.log" 2>&1 &
  LIRRA_SERVER_PIDS+=($!)
  if ! _wait_for 20 grep -q "xserver listening on display" "$scratch/weston.log"; then
    echo "test servers: weston did not start with XWayland (see $scratch/weston.log)" >&2
    return 1
  fi
  LIRRA_XWAYLAND_DISPLAY=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$scratch/weston.log" | head -n 1)
  export LIRRA_XWAYLAND_DISPLAY
}

# start_sound_server <scratch-dir> pulseaudio|pipewire: a private sound server with the
# test null sink on a socket of its own; exports PULSE_SERVER and LIRRA_TEST_SINK.
start_sound_server() {
  local scratch=$1 kind=$2
  export LIRRA_TEST_SINK=lirra_test_sink LIRRA_TEST_SOUND_SERVER=$kind
  mkdir -p "$scratch/$kind"
  local socket="$scratch/$kind/native"
  if [ "$kind" = pipewire ]; then
    _start_pipewire "$scratch/$kind" || return 1
  else
    PULSE_RUNTIME_PATH="$scratch/$kind" XDG_CONFIG_HOME="$scratch/config" HOME="$scratch" \
      pulseaudio --daemonize=no -n --use-pid-file=no --exit-idle-time=-1 --disable-shm=yes \
        --load="module-null-sink sink_name=$LIRRA_TEST_SINK" \
        --load="module-native-protocol-unix socket=$socket auth-anonymous=1" \
        >"$scratch/pulse.log" 2>&1 &
    LIRRA_SERVER_PIDS+=($!)
    export LIRRA_PULSE_PID=$!  # benchmarks count the server's share of what a player costs
  fi
  export PULSE_SERVER="unix:$socket"
  if ! _wait_for 20 pactl info; then
    echo "test servers: $kind did not start (see $scratch/*.log)" >&2
    return 1
  fi
  if [ "$kind" = pipewire ] && ! pactl load-module module-null-sink sink_name=$LIRRA_TEST_SINK >/dev/null; then
    echo "test servers: pipewire-pulse made no null sink" >&2
    return 1
  fi

  # A null sink left idle sleeps in 2-second blocks (PulseAudio's; PipeWire's is driven by
  # the graph's timer and answers at once), so a new stream would wait up to 2 s
  # before it is heard. A low-latency stream of silence keeps it clocked the way a sound
  # card is; wait until the sink has settled to a short latency.
  pacat --playback --device="$LIRRA_TEST_SINK" --latency-msec=20 --raw /dev/zero \
    >"$scratch/pacat.log" 2>&1 &
  LIRRA_SERVER_PIDS+=($!)
  if [ "$kind" = pulseaudio ] && ! _wait_for 10 _sink_is_clocked; then
    echo "test servers: the null sink did not settle to a short latency" >&2
    return 1
  fi
  # The sink's thread may still sleep out a block begun before the silence arrived.
  sleep 2.5
}

# Clients that ask for 10-20 ms (parec and pacat here) make PipeWire run its graph in quanta
# of 512 frames or less; without real-time scheduling (none in a container) it then misses
# cycles under load, and the monitor records 4-ms holes of silence. A desktop's sound card
# runs at 1024 frames by default: the test servers keep that as the smallest quantum.
_pipewire_quantum() {
  printf 'context.properties = { default.clock.min-quantum = 1024 }\n' >"$1/pipewire.conf.d/quantum.conf"
  printf 'pulse.properties = { pulse.min.req = 1024/48000 pulse.min.frag = 1024/48000 pulse.min.quantum = 1024/48000 }\n' \
    >"$1/pipewire-pulse.conf.d/quantum.conf"
}

# PipeWire as most desktops now run it: the daemon, its session manager (WirePlumber links
# streams to sinks and needs a session bus: a private one) and its PulseAudio server. What
# it does differently from PulseAudio, as seen by the tests:
#   - the null sink runs at 48 kHz and the graph's quantum (1024 frames at 48 kHz, ~21 ms);
#     streams at 44.1 kHz are resampled by the server;
#   - a monitor source exists for it only through pipewire-pulse (`<sink>.monitor`);
#   - a null sink made by `pactl load-module` belongs to pipewire-pulse and goes with it.
_start_pipewire() {
  local dir=$1
  mkdir -p "$dir/state/pipewire/pipewire.conf.d" "$dir/state/pipewire/pipewire-pulse.conf.d" && chmod 700 "$dir"
  _pipewire_quantum "$dir/state/pipewire"
  dbus-daemon --session --nofork --print-address=3 3>"$dir/bus" >"$dir/dbus.log" 2>&1 &
  LIRRA_SERVER_PIDS+=($!)
  _wait_for 10 test -s "$dir/bus" || return 1
  local env=(PIPEWIRE_RUNTIME_DIR="$dir" PULSE_RUNTIME_PATH="$dir" XDG_STATE_HOME="$dir/state"
             XDG_CONFIG_HOME="$dir/state" HOME="$dir" DBUS_SESSION_BUS_ADDRESS="$(head -n 1 "$dir/bus")")
  env "${env[@]}" pipewire >"$dir/pipewire.log" 2>&1 &
  LIRRA_SERVER_PIDS+=($!)
  _wait_for 10 test -S "$dir/pipewire-0" || return 1
  env "${env[@]}" wireplumber >"$dir/wireplumber.log" 2>&1 &
  LIRRA_SERVER_PIDS+=($!)
  env "${env[@]}" pipewire-pulse >"$dir/pipewire-pulse.log" 2>&1 &
  LIRRA_SERVER_PIDS+=($!)
  export LIRRA_PULSE_PID=$!
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
