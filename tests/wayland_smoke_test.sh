#!/usr/bin/env bash
# The program under Wayland: in weston's headless compositor it starts, its
# frames change, and SIGTERM makes it write SET and exit 0. Frames are seen
# through weston's screenshooter (the --debug flag lets any client use it):
# the desktop is still once its background is drawn, so a run of different
# screenshots can only come from the aquarium swimming.
# Then once more with a teardown that never ends, as when the compositor stops
# answering: SHIM, preloaded, makes Qt's wl_display_disconnect wait forever,
# and the program must still end with status 0 soon after the close.
# Skipped (exit 77) when weston or Qt's Wayland platform is not installed.
#   wayland_smoke_test.sh PROGRAM SHIM
set -uo pipefail
program=$1 shim=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

for tool in weston weston-screenshooter; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIPPED: $tool is not installed (package weston)"
    exit 77
  fi
done

runtime=$(mktemp -d)
chmod 700 "$runtime"
weston= finbowl=
stop() {  # PID: ends a process of ours and reaps it
  kill "$1" 2>/dev/null
  wait "$1" 2>/dev/null
}
cleanup() {
  [ -z "$finbowl" ] || stop "$finbowl"
  [ -z "$weston" ] || stop "$weston"
  rm -rf "$runtime"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*"
  for log in weston.log finbowl.log; do
    [ -s "$runtime/$log" ] && { echo "--- $log"; tail -n 20 "$runtime/$log"; }
  done
  exit 1
}

socket=finbowl-test
export XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY="$socket"
unset DISPLAY
weston --backend=headless-backend.so --socket="$socket" --use-pixman --width=1024 --height=768 \
  --debug --config="$here/support/weston.ini" --log="$runtime/weston.log" >/dev/null 2>&1 &
weston=$!
for _ in $(seq 300); do
  [ -S "$runtime/$socket" ] && break
  kill -0 "$weston" 2>/dev/null || fail "weston did not start"
  sleep 0.1
done
[ -S "$runtime/$socket" ] || fail "weston made no socket in 30 s"

shots=0
shoot() {  # the whole output, as runtime/shot-N.png
  shots=$((shots + 1))
  mkdir "$runtime/shot"
  (cd "$runtime/shot" && weston-screenshooter >/dev/null 2>&1) &&
    mv "$runtime"/shot/*.png "$runtime/shot-$shots.png" 2>/dev/null
  local ok=$?
  rm -rf "$runtime/shot"
  return $ok
}

mkdir "$runtime/run"
(cd "$runtime/run" && exec env QT_QPA_PLATFORM=wayland "$program") >"$runtime/finbowl.log" 2>&1 &
finbowl=$!

# Twelve changes in a row of screenshots: the background and the window
# appearing account for a few; the rest are frames.
changes=0
shoot || fail "weston-screenshooter took no screenshot"
for _ in $(seq 600); do
  if ! kill -0 "$finbowl" 2>/dev/null; then
    if grep -q 'Could not find the Qt platform plugin "wayland"' "$runtime/finbowl.log"; then
      echo "SKIPPED: Qt's Wayland platform is not installed (package qt6-wayland)"
      exit 77
    fi
    fail "the program ended while starting"
  fi
  shoot || fail "weston-screenshooter failed"
  if ! cmp -s "$runtime/shot-$((shots - 1)).png" "$runtime/shot-$shots.png"; then
    changes=$((changes + 1))
  fi
  rm -f "$runtime/shot-$((shots - 1)).png"
  [ $changes -ge 12 ] && break
done
[ $changes -ge 12 ] || fail "only $changes changes in $shots screenshots"

status=
ends_within() {  # SECONDS: waits for the program to end, and sets status
  for _ in $(seq $(($1 * 10))); do
    kill -0 "$finbowl" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$finbowl" 2>/dev/null && return 1
  wait "$finbowl"
  status=$?
  finbowl=
}

kill -TERM "$finbowl"
ends_within 30 || fail "the program is still running 30 s after SIGTERM"
[ $status -eq 0 ] || fail "the program ended with status $status after SIGTERM"
[ "$(stat -c %s "$runtime/run/SET" 2>/dev/null)" = 14 ] || fail "SIGTERM left no 14-byte SET"

# The hanging teardown. A sanitizer's runtime asks to be the first library
# loaded; the shim is.
rm "$runtime/run/SET"
mark="$runtime/teardown-reached"
(cd "$runtime/run" && exec env QT_QPA_PLATFORM=wayland LD_PRELOAD="$shim" FINBOWL_TEST_TEARDOWN=hang \
  FINBOWL_TEST_TEARDOWN_MARK="$mark" ASAN_OPTIONS="${ASAN_OPTIONS:-}:verify_asan_link_order=0" \
  "$program") >"$runtime/finbowl.log" 2>&1 &
finbowl=$!
# SET appears once the program has set up its signals and its window.
for _ in $(seq 300); do
  [ -f "$runtime/run/SET" ] && break
  kill -0 "$finbowl" 2>/dev/null || fail "the program with the hanging teardown ended while starting"
  sleep 0.1
done
kill -TERM "$finbowl"
ends_within 15 || fail "with a hanging teardown the program is still running 15 s after SIGTERM"
[ -f "$mark" ] || fail "the teardown never reached wl_display_disconnect"
[ $status -eq 0 ] || fail "with a hanging teardown the program ended with status $status"
[ "$(stat -c %s "$runtime/run/SET" 2>/dev/null)" = 14 ] || fail "the hanging teardown left no 14-byte SET"
echo "under Wayland the program drew $changes changing frames, wrote SET on SIGTERM and ended despite a hanging teardown"
