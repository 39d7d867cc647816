#!/usr/bin/env bash
# Takes the README's pictures of the running program on a virtual display:
# docs/screenshot.png (the aquarium with five goldfish) and docs/dialog.png
# (the settings dialog). Needs a release build and what the run command
# installs without a display.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
finbowl_need_packages $FINBOWL_BUILD_PACKAGES $FINBOWL_RUN_PACKAGES xdotool x11-apps
finbowl_build release finbowl >/dev/null
program="$FINBOWL_ROOT/build/release/finbowl"
docs="$FINBOWL_ROOT/docs"

work=$(mktemp -d)
chmod 700 "$work"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
cleanup() {
  if [ -n "${finbowl:-}" ]; then
    kill "$finbowl" 2>/dev/null && wait "$finbowl" 2>/dev/null
  fi
  kill "${wm:-}" "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")" XDG_RUNTIME_DIR="$work"
openbox >/dev/null 2>&1 &
wm=$!
for _ in $(seq 100); do wmctrl -m >/dev/null 2>&1 && break; sleep 0.1; done
sleep 0.5

# Five goldfish, three red and two black; a few seconds to spread out.
printf '\x04\x00\x00\x00\x01\x00\x00\x00\x01\x00\x00\x00\x00\x00' >"$work/SET"
(cd "$work" && exec "$program") &
finbowl=$!
sleep 8
main=$(xdotool search --sync --onlyvisible --name '^Finbowl$' | head -n1)
shoot() {  # WINDOW FILE: the window with its frame
  xwd -frame -silent -id "$1" | /usr/bin/convert xwd:- "$2"
}
shoot "$main" "$docs/screenshot.png"

# The dialog, opened from the menu as a user would.
xdotool mousemove --window "$main" 15 9 click 1
sleep 1
xdotool mousemove --window "$main" 40 30 click 1
sleep 1
dialog=$(xdotool search --onlyvisible --name '^Finbowl$' | grep -v "^$main\$" | tail -n1)
shoot "$dialog" "$docs/dialog.png"
finbowl_say "wrote $docs/screenshot.png and $docs/dialog.png"
