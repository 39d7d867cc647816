#!/usr/bin/env bash
# The benchmarks' floors still run: each replays a few recorded frames on a
# display server of its own, an Xvfb and a headless weston, and ends well.
# What they cost is for the budget scripts to say, not for a test.
# Skipped (exit 77) when Xvfb or weston is not installed.
#   floors_test.sh X11_FLOOR WAYLAND_FLOOR RECORDING
set -uo pipefail
x11_floor=$1 wayland_floor=$2 recording=$3
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

for tool in Xvfb weston; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIPPED: $tool is not installed"
    exit 77
  fi
done

# A floor runs until it is stopped; what it holds at exit is not watched.
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0"

runtime=$(mktemp -d)
chmod 700 "$runtime"
server=
cleanup() {
  [ -z "$server" ] || { kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; }
  rm -rf "$runtime"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*"
  exit 1
}
stop_server() {
  kill "$server" 2>/dev/null
  wait "$server" 2>/dev/null
  server=
}

Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$runtime/display" >/dev/null 2>&1 &
server=$!
for _ in $(seq 100); do [ -s "$runtime/display" ] && break; sleep 0.1; done
DISPLAY=":$(head -n1 "$runtime/display")" timeout 20 "$x11_floor" "$recording" 5 ||
  fail "the X11 floor did not replay 5 frames"
stop_server

XDG_RUNTIME_DIR=$runtime weston --backend=headless-backend.so --socket=floor --use-pixman \
  --width=800 --height=600 --config="$here/support/weston.ini" >/dev/null 2>&1 &
server=$!
for _ in $(seq 300); do [ -S "$runtime/floor" ] && break; sleep 0.1; done
XDG_RUNTIME_DIR=$runtime WAYLAND_DISPLAY=floor timeout 20 "$wayland_floor" "$recording" 5 ||
  fail "the Wayland floor did not draw 5 frames"
echo "both floors replayed 5 recorded frames"
