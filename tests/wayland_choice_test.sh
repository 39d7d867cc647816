#!/usr/bin/env bash
# A choice confirmed with OK under Wayland survives the compositor's end: the
# program runs in weston (its X11 backend, inside an Xvfb of its own, so that
# xdotool's keys reach it), the dialog is opened and confirmed from the
# keyboard, weston is then killed, and SET holds the choice.
# Skipped (exit 77) when weston, Xvfb, xdotool or Qt's Wayland platform is missing.
#   wayland_choice_test.sh PROGRAM
set -uo pipefail
program=$1
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

for tool in weston Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "SKIPPED: $tool is not installed"; exit 77; }
done

work=$(mktemp -d)
chmod 700 "$work"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill -9 "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*"
  for log in weston.log finbowl.log; do
    [ -s "$work/$log" ] && { echo "--- $log"; grep -v '^\[' "$work/$log" | tail -n 20; }
  done
  exit 1
}
# Polls CONDITION (a command) ten times a second for up to SECONDS.
within() {
  local seconds=$1
  shift
  for _ in $(seq $((seconds * 10))); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
pids+=($!)
within 30 test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=":$(head -n 1 "$work/display")" XDG_RUNTIME_DIR="$work"
weston --backend=x11-backend.so --use-pixman --socket=choice --width=1024 --height=768 \
  --config="$here/support/weston.ini" --log="$work/weston.log" >/dev/null 2>&1 &
weston=$!
pids+=($weston)
within 30 test -S "$work/choice" || fail "weston made no socket"

# Three goldfish stored. The protocol log tells when each window is up.
mkdir "$work/run"
printf '\x02\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00' >"$work/run/SET"
(cd "$work/run" && exec env -u DISPLAY WAYLAND_DISPLAY=choice QT_QPA_PLATFORM=wayland \
  WAYLAND_DEBUG=client "$program") >"$work/finbowl.log" 2>&1 &
finbowl=$!
pids+=($finbowl)
windows() { [ "$(grep -c 'set_title("Finbowl")' "$work/finbowl.log")" -ge "$1" ]; }
frames() { [ "$(grep -c 'wl_surface[@#][0-9]*\.commit()' "$work/finbowl.log")" -ge "$1" ]; }
# libwayland writes an object as interface@id, and as interface#id from
# version 1.22 on. Keys reach a window once the keyboard has entered it: the main window,
# then the dialog (weston gives a menu no keyboard of its own).
focused() { [ "$(grep -c 'wl_keyboard[@#][0-9]*\.enter(' "$work/finbowl.log")" -ge "$1" ]; }
if ! within 30 windows 1; then
  grep -q 'Could not find the Qt platform plugin "wayland"' "$work/finbowl.log" &&
    { echo "SKIPPED: Qt's Wayland platform is not installed (package qt6-wayland)"; exit 77; }
  fail "the main window did not appear"
fi
within 30 frames 10 || fail "the main window shows no frames"

# The pointer over the output's middle, which the window always covers,
# gives it the keyboard; Alt, Down and Return open 設定 › 数＆種類.
xdotool mousemove 512 384 click 1 || fail "xdotool failed"
within 30 focused 1 || fail "the main window did not get the keyboard"
# The compositor grants the menu its grab only while the key that opened it
# is the seat's latest input, so Down is held until the menu is up.
menu_shown() { grep -qE '[]}] +xdg_popup[@#][0-9]+\.configure\(' "$work/finbowl.log"; }
xdotool key alt
xdotool keydown Down
within 30 menu_shown || fail "the menu did not open"
xdotool keyup Down
xdotool key Return
within 30 windows 2 || fail "the dialog did not open"
within 30 focused 2 || fail "the dialog did not get the keyboard"
# OK has the focus: four tabs on to the number of goldfish, Home for one,
# back to OK and Return.
xdotool key Tab Tab Tab Tab Home shift+Tab shift+Tab shift+Tab shift+Tab Return
chosen=$(printf '\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00' | od -An -tx1)
set_holds_choice() { [ "$(od -An -tx1 "$work/run/SET")" = "$chosen" ]; }
within 30 set_holds_choice || fail "OK did not write SET: $(od -An -tx1 "$work/run/SET")"

# The compositor goes, as in a crash: the program goes with it.
kill -9 "$weston"
within 30 eval '! kill -0 $finbowl 2>/dev/null' || fail "the program outlived its compositor"
set_holds_choice || fail "SET lost the choice: $(od -An -tx1 "$work/run/SET")"
echo "under Wayland a choice confirmed with OK outlived the compositor"
