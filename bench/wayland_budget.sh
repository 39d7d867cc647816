#!/usr/bin/env bash
# What the aquarium costs under Wayland: CPU of the program and of its
# compositor (the scheduler's nanoseconds for all their threads) over a
# stretch of wall time, and of each of the program's threads (Qt reads
# Wayland events on threads of its own). Every round runs side by side, each
# in a headless compositor session of its own drawing with pixman:
#   - finbowl, Finbowl with five goldfish;
#   - floor, the bare floor: a client with no toolkit (wl_shm, xdg-shell)
#     replaying Finbowl's own recorded frames ten times a second, damage for
#     just the parts that changed, one commit a frame, drawing only when the
#     compositor asked (finbowl_wayland_floor);
#   - tick, the tick floor: a bare Qt window with the same menu woken by the
#     same timer, drawing nothing (finbowl_repaint_floor tick).
# See rounds.sh for how rounds are measured and summed up.
# Usage: bench/wayland_budget.sh [SECONDS_PER_ROUND [ROUNDS]]   (default 15 and 7)
#   FINBOWL_BUDGET_COMPOSITOR=weston|sway   the compositor (default weston);
#   FINBOWL_BUDGET_MODE= the way of running (default alone):
#     alone   one session for each subject;
#     twin    two Finbowls and two floors, each in a session of its own,
#             beside the tick floor: two busy sessions on the two cores;
#     load    as alone, with a busy loop beside, as a build on a desktop;
#     hidden  under sway, every window moved to another workspace once up:
#             what Finbowl costs when nothing of it can be seen;
#   FINBOWL_BUDGET_PROGRAM=PATH measures another build of Finbowl.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib.sh"
seconds=${1:-15}
rounds=${2:-7}
compositor=${FINBOWL_BUDGET_COMPOSITOR:-weston}
mode=${FINBOWL_BUDGET_MODE:-alone}
case $compositor:$mode in
  weston:alone | weston:twin | weston:load | sway:alone | sway:twin | sway:load | sway:hidden) ;;
  *) finbowl_say "no such way of running: $compositor, $mode (hidden needs sway)"; exit 2 ;;
esac
finbowl_need_packages $FINBOWL_BUILD_PACKAGES $FINBOWL_TESTING_PACKAGES qt6-wayland "$compositor"
finbowl_build bench finbowl finbowl_repaint_floor finbowl_wayland_floor finbowl_frames >/dev/null
release="$FINBOWL_ROOT/build/bench"

source "$FINBOWL_ROOT/bench/rounds.sh"
# sway refuses to run as root: it runs as nobody, whose sessions live in
# $work, which it may then pass through.
[ "$compositor" = sway ] && [ "$(id -u)" -eq 0 ] && chmod 711 "$work"

# start_session NAME: a compositor of its own; sets server[NAME], and
# socket and ipc to the paths of its Wayland socket and (sway) its IPC.
start_session() {
  local runtime="$work/session-$1"
  mkdir -m 700 "$runtime"
  if [ "$compositor" = weston ]; then
    XDG_RUNTIME_DIR=$runtime weston --backend=headless-backend.so --socket=budget --use-pixman \
      --width=1024 --height=768 --config="$FINBOWL_ROOT/tests/support/weston.ini" >/dev/null 2>&1 &
  else
    printf 'xwayland disable\noutput HEADLESS-1 resolution 1024x768\n' >"$runtime/config"
    local as=()
    if [ "$(id -u)" -eq 0 ]; then
      chown nobody "$runtime"
      as=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
    fi
    "${as[@]}" env -i PATH="$PATH" HOME="$runtime" XDG_RUNTIME_DIR="$runtime" \
      WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
      sway -c "$runtime/config" >/dev/null 2>&1 &
  fi
  server[$1]=$!
  pids+=("$!")
  socket= ipc=
  for _ in $(seq 100); do
    socket=$(find "$runtime" -maxdepth 1 -type s \( -name budget -o -name 'wayland-*' \) | head -n1)
    [ -n "$socket" ] && break
    sleep 0.1
  done
  ipc=$(find "$runtime" -maxdepth 1 -type s -name 'sway-ipc.*' | head -n1)
}

# Five goldfish, three red and two black, as in the recorded frames.
printf '\x04\x00\x00\x00\x01\x00\x00\x00\x01\x00\x00\x00\x00\x00' >"$work/SET"

subjects=(finbowl floor tick)
pairs=(finbowl/floor finbowl/tick)
if [ "$mode" = twin ]; then
  subjects=(finbowl floor finbowl.2 floor.2 tick)
  pairs=(finbowl/floor finbowl.2/floor.2 finbowl/tick finbowl.2/tick)
fi
echo "CPU as a share of one core under $compositor's headless compositor ($mode), $rounds rounds of $seconds s:"
for round in $(seq "$rounds"); do
  [ "$mode" = load ] && start_load
  declare -A program=() server=() ipcs=()
  for s in "${subjects[@]}"; do
    start_session "$s"
    ipcs[$s]=$ipc
    case $s in
      finbowl*) command=("${FINBOWL_BUDGET_PROGRAM:-$release/finbowl}") ;;
      floor*) command=("$release/bench/finbowl_wayland_floor" "$release/bench/finbowl_frames.rec") ;;
      tick) command=("$release/bench/finbowl_repaint_floor" tick) ;;
    esac
    mkdir -m 700 "$work/client-$s"
    (cd "$work" && exec env -u DISPLAY XDG_RUNTIME_DIR="$work/client-$s" WAYLAND_DISPLAY="$socket" \
      QT_QPA_PLATFORM=wayland "${command[@]}") >/dev/null 2>&1 &
    pids+=("$!")
    program[$s]=$!
  done
  sleep 4  # past start-up
  if [ "$mode" = hidden ]; then
    for s in "${subjects[@]}"; do
      swaymsg -s "${ipcs[$s]}" '[title=".*"] move container to workspace hidden' >/dev/null
    done
    sleep 1  # the programs hear of it
  fi
  measure "$round" "$seconds" "${subjects[@]}"
  stop_all
  rm -rf "$work"/session-* "$work"/client-*
done
report "$seconds" "$compositor" "${pairs[@]}"
echo "Threads of the programs, share of a core:"
report_threads "$seconds" "${subjects[@]}"
