#!/usr/bin/env bash
# Runs the aquarium. Installs what is missing, builds, then starts Finbowl in
# the current directory (its settings file "SET" lives there). Without a
# display it runs on a virtual one for a few seconds and saves a screenshot.
set -euo pipefail
here=$(pwd)
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

headless=0
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  headless=1
fi
if [ $headless -eq 1 ]; then
  finbowl_need_packages $FINBOWL_BUILD_PACKAGES $FINBOWL_RUN_PACKAGES
else
  finbowl_need_packages $FINBOWL_BUILD_PACKAGES
fi
finbowl_build release finbowl
program="$FINBOWL_ROOT/build/release/finbowl"
cd "$here"

if [ $headless -eq 0 ]; then
  exec "$program"
fi

# No display: a virtual one with a window manager, a few seconds of swimming,
# and a picture of it.
runtime=$(mktemp -d)
chmod 700 "$runtime"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$runtime/xvfb.log" 2>&1 3>"$runtime/display" &
xvfb=$!
cleanup() {
  kill "${finbowl:-}" "${wm:-}" "$xvfb" 2>/dev/null || true
  rm -rf "$runtime"
}
trap cleanup EXIT
for _ in $(seq 100); do
  [ -s "$runtime/display" ] && break
  sleep 0.1
done
export DISPLAY=":$(head -n1 "$runtime/display")"
export XDG_RUNTIME_DIR="$runtime"
openbox >/dev/null 2>&1 &
wm=$!
# A window mapped while the window manager is still starting may be lost: wait
# until it answers, and a moment more.
for _ in $(seq 100); do
  wmctrl -m >/dev/null 2>&1 && break
  sleep 0.1
done
sleep 0.5
finbowl_say "no display: showing the aquarium on the virtual display $DISPLAY"
"$program" &
finbowl=$!
seconds=5
sleep "$seconds"
shot="$here/finbowl-screenshot.png"
import -window root "$shot"
kill -TERM "$finbowl"
wait "$finbowl" || true
finbowl_say "screenshot after $seconds seconds: $shot"
