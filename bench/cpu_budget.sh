#!/usr/bin/env bash
# What the aquarium costs while it runs: CPU of the program and of the X
# server (the scheduler's nanoseconds for all their threads over a stretch of
# wall time), the program's peak resident memory, and how soon its window is
# on the screen. Three subjects run side by side, each on an Xvfb of its own so
# that the server's time is its own:
#   - Finbowl with five goldfish, drawing on the X server (the default);
#   - Finbowl with five goldfish, drawing in memory (FINBOWL_DRAWING=memory);
#   - the wake floor: a bare xcb client that sends one 1 x 1 copy a frame,
#     which is what waking the X server ten times a second costs by itself
#     (finbowl_wake_floor);
#   - Debian's xfishtank, a classic X11 aquarium, as a reference, with five
#     fish and bubbles at 10 frames a second over our own tank picture, on a
#     640 x 450 screen.
# A shared virtual machine's speed drifts by several times within minutes, and
# a process can stay fast or slow for its whole life, so each Finbowl is
# measured at the same time as xfishtank, both started afresh for every round,
# and the figures are medians over the rounds; the ratios are taken within
# each round. Each way of running Finbowl takes rounds of its own.
# Usage: bench/cpu_budget.sh [SECONDS_PER_ROUND [ROUNDS]]   (default 10 and 9)
#   FINBOWL_BUDGET_KINDS="x11 memory minimised scale2" measures those ways of
#   running (default "x11 memory"); FINBOWL_BUDGET_PROGRAM=PATH measures
#   another build of Finbowl, to compare one with another.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib.sh"
seconds=${1:-10}
rounds=${2:-9}
export PATH="$PATH:/usr/games"
finbowl_need_packages $FINBOWL_BUILD_PACKAGES $FINBOWL_TESTING_PACKAGES xvfb xauth openbox wmctrl xdotool imagemagick
finbowl_need_packages xfishtank || finbowl_say "xfishtank is not available; measuring Finbowl only"
# The release build with the benchmarks, and only what this script runs.
finbowl_build bench finbowl finbowl_startup_time finbowl_bare_window finbowl_repaint_floor finbowl_wake_floor >/dev/null
release="$FINBOWL_ROOT/build/bench"

source "$FINBOWL_ROOT/bench/rounds.sh"
peak_rss_mb() { awk '/VmHWM/ { printf "%.1f", $2 / 1024 }' "/proc/$1/status"; }
rss_mb() { awk '/VmRSS/ { printf "%.1f", $2 / 1024 }' "/proc/$1/status"; }

# start_x NAME SCREEN: an Xvfb of that size; sets DISPLAY and xvfb_NAME.
start_x() {
  rm -f "$work/display"
  Xvfb -displayfd 3 -screen 0 "$2" -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
  pids+=("$!")
  printf -v "xvfb_$1" '%s' "$!"
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  export DISPLAY=":$(head -n1 "$work/display")"
}

# Five goldfish, three red and two black.
printf '\x04\x00\x00\x00\x01\x00\x00\x00\x01\x00\x00\x00\x00\x00' >"$work/SET"
if command -v xfishtank >/dev/null 2>&1; then
  # Our own tank picture's visible 640 x 450 pixels: the same work for both.
  /usr/bin/convert "$FINBOWL_ROOT/assets/tank.png" -crop 640x450+0+0 +repage "$work/tank.png"
fi

# The ways of running Finbowl to measure: x11 (the default drawing), memory
# (FINBOWL_DRAWING=memory), minimised (x11 with its window minimised once it
# is up) and scale2 (x11 at QT_SCALE_FACTOR=2 on a screen twice as big).
read -r -a kinds <<<"${FINBOWL_BUDGET_KINDS:-x11 memory}"
echo "CPU as a share of one core, $rounds rounds of $seconds s for each Finbowl, beside the tick floor and xfishtank:"
for round in $(seq $((${#kinds[@]} * rounds))); do
  kind=${kinds[$(((round - 1) / rounds))]}
  subjects=("$kind" "tick_$kind" wake)
  [ -s "$work/tank.png" ] && subjects+=(xfishtank)
  declare -A program=()
  for s in "${subjects[@]}"; do
    if [ "$s" = xfishtank ]; then
      start_x "$s" 640x450x24
      xfishtank -f 5 -b 10 -r 0.1 -i 0.1 -p "$work/tank.png" >/dev/null 2>&1 &
    elif [ "$s" = wake ]; then
      start_x "$s" 1024x768x24
      "$release/bench/finbowl_wake_floor" >/dev/null 2>&1 &
    else
      screen=1024x768x24 drawing=x11 scale=1 program="${FINBOWL_BUDGET_PROGRAM:-$release/finbowl}"
      [ "$kind" = memory ] && drawing=memory
      [ "$kind" = scale2 ] && screen=2560x1600x24 scale=2
      [ "$s" = "tick_$kind" ] && program="$release/bench/finbowl_repaint_floor tick"
      start_x "$s" "$screen"
      [ "$s" = "$kind" ] && minimised_display=$DISPLAY
      XDG_RUNTIME_DIR=$work openbox >/dev/null 2>&1 &
      pids+=("$!")
      for _ in $(seq 100); do wmctrl -m >/dev/null 2>&1 && break; sleep 0.1; done
      sleep 0.5
      (cd "$work" && exec env XDG_RUNTIME_DIR="$work" FINBOWL_DRAWING="$drawing" \
        QT_SCALE_FACTOR="$scale" $program) >/dev/null 2>&1 &
    fi
    pids+=("$!")
    program[$s]=$!
  done
  sleep 3  # past start-up
  if [ "$kind" = minimised ]; then
    DISPLAY=$minimised_display xdotool search --sync --name '^Finbowl$' windowminimize %@ >/dev/null
    sleep 1  # the program hears of it
  fi
  declare -A p0=() x0=()
  for s in "${subjects[@]}"; do
    xv="xvfb_$s"
    p0[$s]=$(cpu_ns "${program[$s]}"); x0[$s]=$(cpu_ns "${!xv}")
  done
  sleep "$seconds"
  line="$round"
  for s in "${subjects[@]}"; do
    xv="xvfb_$s"
    line+=" $s $(( $(cpu_ns "${program[$s]}") - p0[$s] )) $(( $(cpu_ns "${!xv}") - x0[$s] ))"
    line+=" $(peak_rss_mb "${program[$s]}") $(rss_mb "${program[$s]}")"
  done
  echo "$line" >>"$work/rounds"
  stop_all
done

awk -v s="$seconds" -v kinds="${kinds[*]}" '
  function pct(ns) { return ns / s / 1e7 }
  function median(a, n,   i, j, t) {
    for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (a[j] < a[i]) { t = a[i]; a[i] = a[j]; a[j] = t }
    return n % 2 ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2
  }
  function ratios(key, n,   i, line) {
    line = ""
    for (i = 1; i <= n; i++) { r[i] = ratio[key, i]; line = line sprintf(" %.2f", r[i]) }
    return sprintf("%.2f  (rounds:%s)", median(r, n), line)
  }
  {
    mine = ""; ref = -1; tick = -1; wake = -1
    for (f = 2; f <= NF; f += 5) {
      name = $f; k = ++count[name]
      prog[name, k] = pct($(f + 1)); srv[name, k] = pct($(f + 2))
      all[name, k] = prog[name, k] + srv[name, k]
      if ($(f + 3) > rss[name]) rss[name] = $(f + 3)
      if ($(f + 4) > settled[name]) settled[name] = $(f + 4)
      if (name == "xfishtank") ref = all[name, k]
      else if (name ~ /^tick_/) tick = all[name, k]
      else if (name == "wake") wake = all[name, k]
      else { mine = name; mk = k }
    }
    if (ref > 0) ratio[mine, "xfishtank", ++toRef[mine]] = all[mine, mk] / ref
    if (tick > 0) ratio[mine, "tick", ++toTick[mine]] = all[mine, mk] / tick
    if (wake > 0) ratio[mine, "wake", ++toWake[mine]] = all[mine, mk] / wake
  }
  END {
    names = split(kinds, order, " ")
    order[++names] = "wake"
    order[++names] = "xfishtank"
    for (o = 1; o <= names; o++) {
      for (t = 0; t < 2; t++) {
        name = t ? "tick_" order[o] : order[o]; n = count[name]; if (!n) continue
        for (i = 1; i <= n; i++) { a[i] = prog[name, i]; b[i] = srv[name, i]; c[i] = all[name, i] }
        label = name == "xfishtank" ? "xfishtank (reference)" : name == "wake" ? "wake floor" : t ? "tick floor (" order[o] ")" : "finbowl (" name ")"
        printf "%-24s program %6.3f%%  X server %6.3f%%  together %6.3f%%  RSS peak %s MB, settled %s MB\n",
               label, median(a, n), median(b, n), median(c, n), rss[name], settled[name]
      }
    }
    for (o = 1; o < names - 1; o++) {
      name = order[o]
      if (toTick[name]) printf "finbowl (%s) / tick floor in the same round, median: %s\n", name, ratios(name SUBSEP "tick", toTick[name])
      if (toWake[name]) printf "finbowl (%s) / wake floor in the same round, median: %s\n", name, ratios(name SUBSEP "wake", toWake[name])
      if (toRef[name]) printf "finbowl (%s) / xfishtank in the same round, median: %s\n", name, ratios(name SUBSEP "xfishtank", toRef[name])
    }
  }' "$work/rounds"

echo
echo "Start-up, fork to the window on the screen (no window manager), medians of 15:"
start_x startup 1024x768x24
for subject in finbowl bench/finbowl_bare_window; do
  printf '%-28s %s\n' "$(basename "$subject"):" "$(cd "$work" && XDG_RUNTIME_DIR=$work \
    "$release/bench/finbowl_startup_time" "$DISPLAY" "$release/$subject" 15 | tail -n 1)"
done
