#!/usr/bin/env bash
# What the aquarium costs under X11 while it runs: CPU of the program and of
# the X server (the scheduler's nanoseconds for all their threads) over a
# stretch of wall time, the program's peak resident memory, and how soon its
# window is on the screen. Every round runs side by side, each on an Xvfb of
# its own so that the server's time is its own:
#   - finbowl:KIND, Finbowl with five goldfish, run one way (below);
#   - floor, the design floor: a bare xcb client with no toolkit sending
#     Finbowl's own recorded frames with the requests Finbowl makes, ten
#     times a second (finbowl_x11_floor);
#   - tick:KIND, the tick floor: a bare Qt window with the same menu woken by
#     the same timer, drawing nothing (finbowl_repaint_floor tick), run the
#     same way as Finbowl;
#   - wake, the wake floor: a bare xcb client that sends one 1 x 1 copy a
#     frame, what waking the X server ten times a second costs by itself
#     (finbowl_wake_floor).
# Each way of running Finbowl takes rounds of its own; see rounds.sh for how
# rounds are measured and summed up.
# Usage: bench/cpu_budget.sh [SECONDS_PER_ROUND [ROUNDS]]   (default 10 and 9)
#   FINBOWL_BUDGET_KINDS="x11 memory minimised scale2" measures those ways of
#   running (default "x11 memory"): drawing on the X server, in memory
#   (FINBOWL_DRAWING=memory), minimised once up, and at QT_SCALE_FACTOR=2 on a
#   screen twice as big. FINBOWL_BUDGET_PROGRAM=PATH measures another build of
#   Finbowl, to compare one with another.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib.sh"
seconds=${1:-10}
rounds=${2:-9}
finbowl_need_packages $FINBOWL_BUILD_PACKAGES $FINBOWL_TESTING_PACKAGES xvfb xauth openbox wmctrl xdotool
# The release build with the benchmarks, and only what this script runs.
finbowl_build bench finbowl finbowl_startup_time finbowl_bare_window finbowl_repaint_floor \
  finbowl_wake_floor finbowl_x11_floor finbowl_frames >/dev/null
release="$FINBOWL_ROOT/build/bench"

source "$FINBOWL_ROOT/bench/rounds.sh"

# start_x SCREEN: an Xvfb of that size; sets DISPLAY and xvfb.
start_x() {
  rm -f "$work/display"
  Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
  xvfb=$!
  pids+=("$xvfb")
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  export DISPLAY=":$(head -n1 "$work/display")"
}

# start_with_wm COMMAND...: openbox on the display, then the command, as a
# user's desktop runs Finbowl; sets started.
start_with_wm() {
  XDG_RUNTIME_DIR=$work openbox >/dev/null 2>&1 &
  pids+=("$!")
  for _ in $(seq 100); do wmctrl -m >/dev/null 2>&1 && break; sleep 0.1; done
  sleep 0.5
  (cd "$work" && exec env XDG_RUNTIME_DIR="$work" "$@") >/dev/null 2>&1 &
  started=$!
}

# Five goldfish, three red and two black, as in the recorded frames.
printf '\x04\x00\x00\x00\x01\x00\x00\x00\x01\x00\x00\x00\x00\x00' >"$work/SET"

read -r -a kinds <<<"${FINBOWL_BUDGET_KINDS:-x11 memory}"
pairs=()
for kind in "${kinds[@]}"; do
  pairs+=("finbowl:$kind/floor" "finbowl:$kind/tick:$kind" "finbowl:$kind/wake")
done
echo "CPU as a share of one core, $rounds rounds of $seconds s for each way of running Finbowl:"
for round in $(seq $((${#kinds[@]} * rounds))); do
  kind=${kinds[$(((round - 1) / rounds))]}
  subjects=("finbowl:$kind" floor "tick:$kind" wake)
  declare -A program=() server=()
  for s in "${subjects[@]}"; do
    screen=1024x768x24 drawing=x11 scale=1
    [ "$kind" = memory ] && drawing=memory
    [ "$kind" = scale2 ] && screen=2560x1600x24 scale=2
    case $s in
      floor)
        start_x 1024x768x24
        "$release/bench/finbowl_x11_floor" "$release/bench/finbowl_frames.rec" >/dev/null 2>&1 &
        started=$! ;;
      wake)
        start_x 1024x768x24
        "$release/bench/finbowl_wake_floor" >/dev/null 2>&1 &
        started=$! ;;
      finbowl:*)
        start_x "$screen"
        minimised_display=$DISPLAY
        start_with_wm env FINBOWL_DRAWING="$drawing" QT_SCALE_FACTOR="$scale" \
          ${FINBOWL_BUDGET_PROGRAM:-$release/finbowl} ;;
      tick:*)
        start_x "$screen"
        start_with_wm env QT_SCALE_FACTOR="$scale" "$release/bench/finbowl_repaint_floor" tick ;;
    esac
    pids+=("$started")
    program[$s]=$started
    server[$s]=$xvfb
  done
  sleep 3  # past start-up
  if [ "$kind" = minimised ]; then
    DISPLAY=$minimised_display xdotool search --sync --name '^Finbowl$' windowminimize %@ >/dev/null
    sleep 1  # the program hears of it
  fi
  measure "$round" "$seconds" "${subjects[@]}"
  stop_all
done
report "$seconds" "X server" "${pairs[@]}"

echo
echo "Start-up, fork to the window on the screen (no window manager), medians of 15:"
start_x 1024x768x24
for subject in finbowl bench/finbowl_bare_window; do
  printf '%-28s %s\n' "$(basename "$subject"):" "$(cd "$work" && XDG_RUNTIME_DIR=$work \
    "$release/bench/finbowl_startup_time" "$DISPLAY" "$release/$subject" 15 | tail -n 1)"
done
