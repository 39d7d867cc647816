#!/usr/bin/env bash
# What the aquarium costs while it runs: CPU of the program and of the X
# server (user + system seconds from /proc over a stretch of wall time), the
# program's peak resident memory, and how soon its window is on the screen.
# Each subject runs on an Xvfb of its own, so the server's time is its own:
#   - Finbowl with five goldfish, drawing on the X server (the default);
#   - Finbowl with five goldfish, drawing in memory (FINBOWL_DRAWING=memory);
#   - Debian's xfishtank, a classic X11 aquarium, as a reference, with five
#     fish and bubbles at 10 frames a second over our own tank picture, on a
#     640 x 450 screen.
# Usage: bench/cpu_budget.sh [SECONDS]   (default 60)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib.sh"
seconds=${1:-60}
export PATH="$PATH:/usr/games"
finbowl_need_packages $FINBOWL_BUILD_PACKAGES xvfb xauth openbox wmctrl imagemagick
finbowl_need_packages xfishtank || finbowl_say "xfishtank is not available; measuring Finbowl only"
finbowl_build release >/dev/null
release="$FINBOWL_ROOT/build/release"

work=$(mktemp -d)
chmod 700 "$work"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# Nanoseconds a process has run, all its threads together (the scheduler's
# own account: far finer than the clock ticks of /proc/PID/stat).
cpu_ns() { cat /proc/"$1"/task/*/schedstat | awk '{ s += $1 } END { printf "%d", s }'; }
peak_rss_mb() { awk '/VmHWM/ { printf "%.1f", $2 / 1024 }' "/proc/$1/status"; }

# start_x SCREEN: an Xvfb of that size; sets DISPLAY and xvfb.
start_x() {
  rm -f "$work/display"
  Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
  xvfb=$!
  pids+=("$xvfb")
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  export DISPLAY=":$(head -n1 "$work/display")"
}

# measure NAME PID: samples the program and the server over $seconds.
measure() {
  local name=$1 pid=$2
  sleep 3  # past start-up
  local p0 x0 p1 x1
  p0=$(cpu_ns "$pid"); x0=$(cpu_ns "$xvfb")
  sleep "$seconds"
  p1=$(cpu_ns "$pid"); x1=$(cpu_ns "$xvfb")
  awk -v n="$name" -v p=$((p1 - p0)) -v x=$((x1 - x0)) -v s="$seconds" \
      -v rss="$(peak_rss_mb "$pid")" 'BEGIN {
        printf "%-24s program %6.3f%%  X server %6.3f%%  together %6.3f%%  peak RSS %s MB\n",
               n, p / s / 1e7, x / s / 1e7, (p + x) / s / 1e7, rss }'
}

# Five goldfish, three red and two black.
printf '\x04\x00\x00\x00\x01\x00\x00\x00\x01\x00\x00\x00\x00\x00' >"$work/SET"

echo "CPU over $seconds s of wall time, as a share of one core:"
for drawing in x11 memory; do
  start_x 1024x768x24
  XDG_RUNTIME_DIR=$work openbox >/dev/null 2>&1 &
  pids+=("$!")
  for _ in $(seq 100); do wmctrl -m >/dev/null 2>&1 && break; sleep 0.1; done
  sleep 0.5
  (cd "$work" && exec env XDG_RUNTIME_DIR="$work" FINBOWL_DRAWING=$drawing "$release/finbowl") \
    >/dev/null 2>&1 &
  finbowl=$!
  pids+=("$finbowl")
  measure "finbowl ($drawing)" "$finbowl"
  kill "$finbowl"
done

if command -v xfishtank >/dev/null 2>&1; then
  # Our own tank picture's visible 640 x 450 pixels: the same work for both.
  /usr/bin/convert "$FINBOWL_ROOT/assets/tank.png" -crop 640x450+0+0 +repage "$work/tank.png"
  start_x 640x450x24
  xfishtank -f 5 -b 10 -r 0.1 -i 0.1 -p "$work/tank.png" >/dev/null 2>&1 &
  reference=$!
  pids+=("$reference")
  measure "xfishtank (reference)" "$reference"
fi

echo
echo "Start-up, fork to the window on the screen (no window manager):"
start_x 1024x768x24
(cd "$work" && XDG_RUNTIME_DIR=$work "$release/bench/finbowl_startup_time" "$DISPLAY" \
  "$release/finbowl" 15) | tail -n 1
