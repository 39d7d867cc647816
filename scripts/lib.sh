# Shared by the run and test commands: installs what is missing and builds.
# Sourced, not run.

FINBOWL_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# What building needs, and what each command needs besides.
# The program alone needs FINBOWL_BUILD_PACKAGES; the tests and the benchmarks
# add FINBOWL_TESTING_PACKAGES.
FINBOWL_BUILD_PACKAGES="cmake ninja-build g++ pkg-config qt6-base-dev libxcb1-dev libxcb-render0-dev libxcb-render-util0-dev libwayland-dev libwayland-bin wayland-protocols qt6-base-private-dev fonts-ipafont-gothic"
FINBOWL_TESTING_PACKAGES="libgtest-dev libbenchmark-dev libxcb-record0-dev"
FINBOWL_RUN_PACKAGES="xvfb xauth openbox wmctrl imagemagick"
FINBOWL_TEST_PACKAGES="xvfb xauth openbox wmctrl xdotool weston qt6-wayland sway grim desktop-file-utils appstream man-db"
# dpkg-buildpackage checks for build-essential, which dpkg-dev only recommends.
FINBOWL_PACKAGE_PACKAGES="debhelper dpkg-dev build-essential"

finbowl_say() { printf 'finbowl: %s\n' "$*" >&2; }

finbowl_as_root() {
  if [ "$(id -u)" -eq 0 ]; then
    "$@"
  elif command -v sudo >/dev/null 2>&1; then
    sudo "$@"
  else
    finbowl_say "need root to run: $*  (install sudo, or run as root)"
    return 1
  fi
}

# Installs the Debian packages among "$@" that are not installed yet. The
# package lists are refreshed only when a package cannot be found without it.
finbowl_need_packages() {
  local missing=() package
  for package in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$package")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  finbowl_say "installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  if ! finbowl_as_root apt-get install -y --no-install-recommends "${missing[@]}"; then
    finbowl_as_root apt-get update &&
      finbowl_as_root apt-get install -y --no-install-recommends "${missing[@]}"
  fi
}

# finbowl_build PRESET [TARGET...]: configures the preset on first use, then
# builds the targets (all of them when none is named) incrementally.
finbowl_build() {
  local preset=$1
  shift
  cd "$FINBOWL_ROOT" || return 1
  if [ ! -f "build/$preset/CMakeCache.txt" ]; then
    cmake --preset "$preset" >/dev/null || return 1
  fi
  cmake --build --preset "$preset" ${1:+--target "$@"}
}
