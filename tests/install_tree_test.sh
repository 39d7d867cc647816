#!/usr/bin/env bash
# Installs the build into an empty prefix (whose name has a space, as a home
# folder's may) and checks what a desktop relies on: the launcher the desktop
# entry runs starts the installed program in the user's configuration
# directory, one application id names the entry, the icons and the AppStream
# component, every icon the art generator draws is installed at its own size,
# and the validators accept the entry, the metadata and the manual page.
# Skipped (exit 77) when a validator is missing, after every other check.
#   install_tree_test.sh BUILD_DIR SOURCE_DIR VERSION
set -uo pipefail
build=$1 source=$2 version=$3

work=$(mktemp -d)
chmod 700 "$work"
finbowl=
cleanup() {
  if [ -n "$finbowl" ]; then kill "$finbowl" 2>/dev/null; wait "$finbowl" 2>/dev/null; fi
  rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
missing=()

prefix="$work/the prefix"
if ! cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1; then
  cat "$work/install.log"
  echo "FAIL: cmake --install failed"
  exit 1
fi

program="$prefix/bin/finbowl"
[ -x "$program" ] || fail "no program at $program"

# One id: the AppStream component's, which names its launchable entry.
metainfo=("$prefix"/share/metainfo/*.metainfo.xml)
[ ${#metainfo[@]} -eq 1 ] && [ -f "${metainfo[0]}" ] || fail "expected one metainfo file: ${metainfo[*]}"
id=$(sed -n 's:.*<id>\(.*\)</id>.*:\1:p' "${metainfo[0]}")
[ "$(basename "${metainfo[0]}")" = "$id.metainfo.xml" ] || fail "metainfo file not named for its id $id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "${metainfo[0]}" ||
  fail "the metainfo does not launch $id.desktop"
grep -q "<release version=\"$version\"" "${metainfo[0]}" || fail "no AppStream release for $version"
entry="$prefix/share/applications/$id.desktop"
[ -f "$entry" ] || fail "no desktop entry $entry"
[ "$(sed -n 's/^Icon=//p' "$entry")" = "$id" ] || fail "the entry's icon is not $id"
# The Debian package takes its version from its changelog.
changelog_version=$(sed -n '1s/^finbowl (\([^)]*\)).*/\1/p' "$source/debian/changelog")
[ "$changelog_version" = "$version" ] ||
  fail "debian/changelog is at $changelog_version, the project at $version"

# Every icon the generator draws, at its own size in the hicolor theme.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%dx%d", $3 * 256 + $4, $7 * 256 + $8 }'; }
icons=0
for drawn in "$source"/assets/icon*.png; do
  size=$(png_size "$drawn")
  installed="$prefix/share/icons/hicolor/$size/apps/$id.png"
  if [ ! -f "$installed" ]; then
    fail "no $size icon at $installed"
  elif [ "$(png_size "$installed")" != "$size" ]; then
    fail "$installed is $(png_size "$installed")"
  fi
  icons=$((icons + 1))
done
[ $icons -ge 5 ] || fail "only $icons icons in $source/assets"

# The entry runs the launcher, which starts the installed program in
# ${XDG_CONFIG_HOME:-~/.config}/finbowl (created, private): the program writes
# SET in its current directory, so that is where SET appears.
exec_line=$(sed -n 's/^Exec=//p' "$entry")
launcher=${exec_line#\"}
launcher=${launcher%\"}
[ "\"$launcher\"" = "$exec_line" ] || fail "Exec is not one quoted path: $exec_line"
[ -x "$launcher" ] || fail "Exec names $launcher, which is not an installed program"
mkdir -m 700 "$work/runtime" "$work/home"
launch() {  # EXPECTED_DIR [VAR=VALUE...]: runs the launcher until SET appears there
  local dir=$1
  shift
  rm -f "$dir/SET"
  env -u XDG_CONFIG_HOME HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=offscreen \
    "$@" "$launcher" >"$work/launcher.log" 2>&1 &
  finbowl=$!
  for _ in $(seq 300); do
    [ -f "$dir/SET" ] && break
    kill -0 "$finbowl" 2>/dev/null || break
    sleep 0.1
  done
  kill -TERM "$finbowl" 2>/dev/null
  wait "$finbowl"
  local status=$?
  finbowl=
  if [ ! -f "$dir/SET" ]; then
    cat "$work/launcher.log"
    fail "started with ${*:-no XDG_CONFIG_HOME}, the launcher left no SET in $dir"
  elif [ "$(stat -c %a "$dir")" != 700 ]; then
    fail "$dir has mode $(stat -c %a "$dir"), not 700"
  elif [ $status -ne 0 ]; then
    fail "started with ${*:-no XDG_CONFIG_HOME}, the program ended with status $status"
  fi
}
launch "$work/home/.config/finbowl"
launch "$work/home/.config/finbowl" XDG_CONFIG_HOME=relative/dir
launch "$work/my config/finbowl" XDG_CONFIG_HOME="$work/my config"
[ ! -e "$work/home/SET" ] || fail "SET appeared in the home folder"

# With no HOME, the home folder comes from the password database; one that
# cannot be used is said in one line, and nothing is made at the root. Run as
# a user whose home does not exist, from a copy the user may read.
if [ "$(id -u)" -eq 0 ] && getent passwd nobody >/dev/null && command -v setpriv >/dev/null; then
  nobody_home=$(getent passwd nobody | cut -d: -f6)
  shared=$(mktemp -d)
  cp "$launcher" "$shared/launcher"
  chmod 755 "$shared" "$shared/launcher"
  for home in unset empty; do
    if [ $home = unset ]; then unset_home=(-u HOME); else unset_home=(HOME=); fi
    said=$(env -u XDG_CONFIG_HOME "${unset_home[@]}" \
      setpriv --reuid=nobody --regid=nogroup --clear-groups "$shared/launcher" 2>&1)
    status=$?
    expected="finbowl: cannot keep the settings in $nobody_home/.config/finbowl"
    if [ $status -eq 0 ] || [ "$(wc -l <<<"$said")" -ne 1 ] || [[ $said != "$expected ("* ]]; then
      fail "with HOME $home, as a user with no home folder: status $status, said: $said"
    fi
  done
  rm -rf "$shared"
  [ ! -e /.config ] || fail "the launcher made /.config"
fi

if command -v desktop-file-validate >/dev/null; then
  out=$(desktop-file-validate "$entry" 2>&1)
  [ $? -eq 0 ] && [ -z "$out" ] || fail "desktop-file-validate: $out"
else
  missing+=("desktop-file-validate (package desktop-file-utils)")
fi
if command -v appstreamcli >/dev/null; then
  # Errors, warnings and notes fail; pedantic remarks do not. Two lines are
  # expected: Finbowl has no homepage, and an address made up to please the
  # validator would send users nowhere; and validators older than AppStream
  # 1.0 (Debian 12's) do not know the <developer> tag that newer ones ask for.
  out=$(appstreamcli validate --no-net "${metainfo[0]}" 2>&1)
  status=$?
  unexpected=$(grep '^[EWI]:' <<<"$out" |
    grep -v -e "^W: $id:[^ ]*: url-homepage-missing\$" -e "^I: $id:[0-9]*: unknown-tag developer\$")
  # Any warning, the expected one included, makes newer validators fail with 3.
  if [ -n "$unexpected" ] || { [ $status -ne 0 ] && [ $status -ne 3 ]; } ||
    { [ $status -eq 3 ] && ! grep -q ': url-homepage-missing$' <<<"$out"; }; then
    fail "appstreamcli validate (status $status): $out"
  fi
else
  missing+=("appstreamcli (package appstream)")
fi
manual="$prefix/share/man/man6/finbowl.6"
[ -f "$manual" ] || fail "no manual page at $manual"
if command -v man >/dev/null; then
  out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$manual" 2>&1 >/dev/null)
  [ -z "$out" ] || fail "man --warnings: $out"
else
  missing+=("man (package man-db)")
fi

[ $failures -eq 0 ] || exit 1
if [ ${#missing[@]} -gt 0 ]; then
  echo "SKIPPED: the tree is sound, but these validators are not installed: ${missing[*]}"
  exit 77
fi
echo "the installed tree is complete and its validators accept it"
