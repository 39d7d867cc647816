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

# Five goldfish, three red and two black.
printf '\x04\x00\x00\x00\x01\x00\x00\x00\x01\x00\x00\x00\x00\x00' >"$work/SET"
(cd "$work" && exec "$program") &
finbowl=$!
main=$(xdotool search --sync --onlyvisible --name '^Finbowl$' | head -n1)

shoot() {  # WINDOW FILE: the window with its frame
  xwd -frame -silent -id "$1" | /usr/bin/convert xwd:- "$2"
}
# Waits, up to ten seconds, until CONDITION holds.
poll() {  # CONDITION...
  for _ in $(seq 100); do "$@" && return 0; sleep 0.1; done
  finbowl_say "gave up waiting for: $*"
  return 1
}
# The windows shown besides the main window.
others() {
  xdotool search --onlyvisible --name '.*' 2>/dev/null | grep -v "^$main\$" || true
}
# A window is drawn once two captures in a row agree.
drawn() {  # WINDOW
  xwd -silent -id "$1" >"$work/now.xwd" 2>/dev/null || return 1
  cmp -s "$work/now.xwd" "$work/before.xwd" && return 0
  mv "$work/now.xwd" "$work/before.xwd"
  return 1
}

# The goldfish are given a few seconds to spread out over the tank.
sleep 8
shoot "$main" "$docs/screenshot.png"

# The dialog, opened from the menu as a user would.
before=$(others)
xdotool mousemove --window "$main" 15 9 click 1
menu_open() { [ "$(others)" != "$before" ]; }
poll menu_open
xdotool mousemove --window "$main" 40 30 click 1
dialog_shown() {
  dialog=$(xdotool search --onlyvisible --name '^Finbowl$' | grep -v "^$main\$" | tail -n1)
  [ -n "$dialog" ]
}
poll dialog_shown
rm -f "$work/before.xwd"
poll drawn "$dialog"
shoot "$dialog" "$docs/dialog.png"
finbowl_say "wrote $docs/screenshot.png and $docs/dialog.png"
