#!/usr/bin/env bash
# What the aquarium costs under Wayland, where Qt paints the tank from the
# surfaces in memory and hands the compositor what changed: CPU of the program
# and of weston's headless compositor (the scheduler's nanoseconds for all
# their threads) over a stretch of wall time. Three subjects, each in a weston
# of its own, side by side in every round:
#   - Finbowl with five goldfish;
#   - the floor: a bare Qt window repainting one moving 75 x 75 part of a
#     640 x 450 image at 10 frames a second (finbowl_repaint_floor cell);
#   - the same window repainting its whole image (finbowl_repaint_floor whole);
#   - the same window woken by its timer but drawing nothing, the tick floor
#     (finbowl_repaint_floor tick).
# Figures are medians over the rounds; the ratio to the floor is taken within
# each round, since a shared machine's speed drifts.
# Usage: bench/wayland_budget.sh [SECONDS_PER_ROUND [ROUNDS]]   (default 15 and 7)
#   FINBOWL_BUDGET_PROGRAM=PATH measures another build of Finbowl.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib.sh"
seconds=${1:-15}
rounds=${2:-7}
finbowl_need_packages $FINBOWL_BUILD_PACKAGES $FINBOWL_TESTING_PACKAGES weston qt6-wayland
finbowl_build bench finbowl finbowl_repaint_floor >/dev/null
release="$FINBOWL_ROOT/build/bench"

source "$FINBOWL_ROOT/bench/rounds.sh"

# Five goldfish, three red and two black.
printf '\x04\x00\x00\x00\x01\x00\x00\x00\x01\x00\x00\x00\x00\x00' >"$work/SET"

declare -A command=(
  [finbowl]="${FINBOWL_BUDGET_PROGRAM:-$release/finbowl}"
  [cell]="$release/bench/finbowl_repaint_floor cell"
  [whole]="$release/bench/finbowl_repaint_floor whole"
  [tick]="$release/bench/finbowl_repaint_floor tick"
)
subjects=(finbowl cell whole tick)

echo "CPU as a share of one core under weston's headless compositor, $rounds rounds of $seconds s:"
for round in $(seq "$rounds"); do
  declare -A program=() compositor=()
  for s in "${subjects[@]}"; do
    runtime="$work/$s"
    rm -rf "$runtime"
    mkdir -m 700 "$runtime"
    XDG_RUNTIME_DIR=$runtime weston --backend=headless-backend.so --socket=budget --use-pixman \
      --width=1024 --height=768 --config="$FINBOWL_ROOT/tests/support/weston.ini" >/dev/null 2>&1 &
    pids+=("$!")
    compositor[$s]=$!
    for _ in $(seq 100); do [ -S "$runtime/budget" ] && break; sleep 0.1; done
    (cd "$work" && exec env -u DISPLAY XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY=budget \
      QT_QPA_PLATFORM=wayland ${command[$s]}) >/dev/null 2>&1 &
    pids+=("$!")
    program[$s]=$!
  done
  sleep 4  # past start-up
  declare -A p0=() c0=()
  for s in "${subjects[@]}"; do
    p0[$s]=$(cpu_ns "${program[$s]}")
    c0[$s]=$(cpu_ns "${compositor[$s]}")
  done
  sleep "$seconds"
  line="$round"
  for s in "${subjects[@]}"; do
    line+=" $s $(($(cpu_ns "${program[$s]}") - p0[$s])) $(($(cpu_ns "${compositor[$s]}") - c0[$s]))"
  done
  echo "$line" >>"$work/rounds"
  stop_all
done

awk -v s="$seconds" '
  function pct(ns) { return ns / s / 1e7 }
  function median(a, n,   i, j, t) {
    for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (a[j] < a[i]) { t = a[i]; a[i] = a[j]; a[j] = t }
    return n % 2 ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2
  }
  {
    for (f = 2; f <= NF; f += 3) {
      name = $f; k = ++count[name]
      prog[name, k] = pct($(f + 1)); comp[name, k] = pct($(f + 2)); all[name, k] = prog[name, k] + comp[name, k]
      total[name] = all[name, k]
    }
    ratio[++ratios] = total["finbowl"] / total["cell"]
    tickRatio[ratios] = total["finbowl"] / total["tick"]
  }
  END {
    split("finbowl cell whole tick", order, " ")
    label["finbowl"] = "finbowl"; label["cell"] = "floor, 75 x 75 part"; label["whole"] = "floor, whole image"
    label["tick"] = "tick floor"
    for (o = 1; o <= 4; o++) {
      name = order[o]; n = count[name]
      for (i = 1; i <= n; i++) { a[i] = prog[name, i]; b[i] = comp[name, i]; c[i] = all[name, i] }
      printf "%-22s program %6.3f%%  weston %6.3f%%  together %6.3f%%\n", label[name], median(a, n), median(b, n), median(c, n)
    }
    line = ""
    for (i = 1; i <= ratios; i++) { r[i] = ratio[i]; line = line sprintf(" %.2f", r[i]) }
    printf "finbowl / floor (75 x 75 part) in the same round, median: %.2f  (rounds:%s)\n", median(r, ratios), line
    line = ""
    for (i = 1; i <= ratios; i++) { r[i] = tickRatio[i]; line = line sprintf(" %.2f", r[i]) }
    printf "finbowl / tick floor in the same round, median: %.2f  (rounds:%s)\n", median(r, ratios), line
  }' "$work/rounds"
