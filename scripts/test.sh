#!/usr/bin/env bash
# Runs the whole test suite: installs what is missing, builds the development
# configuration, then runs every test (the window tests start their own
# virtual X display).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
finbowl_need_packages $FINBOWL_BUILD_PACKAGES $FINBOWL_TESTING_PACKAGES $FINBOWL_TEST_PACKAGES
finbowl_build dev
cd "$FINBOWL_ROOT"
ctest --preset dev -j "$(nproc)" "$@"
