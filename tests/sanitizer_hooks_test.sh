#!/usr/bin/env bash
# The sanitizer build keeps Mesa's DRI driver loaded to the end, so the blocks
# its globals hold are not taken for leaks, and hides nothing else: a block the
# program loses is reported with the function that lost it, and so is a block
# held by any other module that was unloaded.
#   sanitizer_hooks_test.sh PROBE DRIVER_MODULE OTHER_MODULE
set -uo pipefail
probe=$1 driver=$2 other=$3
failures=0

# MODULE ARG LEAKS FRAME: the sizes of the direct leaks reported (none: ""),
# and a frame the report must name.
check() {
  local out status leaks
  out=$("$probe" "$1" $2 2>&1)
  status=$?
  leaks=$(grep -o 'Direct leak of [0-9]*' <<<"$out" | grep -o '[0-9]*$' | sort -n | tr '\n' ' ')
  # A report fails the run; none lets it end as the probe does, with 0.
  if [ "${leaks% }" != "$3" ] || [ $((status != 0)) -ne $((${#3} > 0)) ] ||
    ! grep -q -- "$4" <<<"$out"; then
    echo "FAIL: $(basename "$1") $2: status $status, direct leaks '${leaks% }' (want '$3', naming '$4')"
    echo "$out" | head -n 20
    failures=$((failures + 1))
  fi
}

check "$driver" ""  ""    ""
check "$other"  ""  "128" "unknown module"
check "$driver" own "64"  "LoseOwnBlock"
[ $failures -eq 0 ] && echo "a driver's blocks are left alone; the program's and an unloaded module's are reported"
exit $((failures > 0))
