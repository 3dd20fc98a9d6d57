#!/usr/bin/env bash
# Builds the i686 flavour when needed and measures under Wine on Xvfb how
# fast the launcher's menus reach the screen, beside plain Win32 popups of
# the same shape timed the same way. Prints the figures (median, min, max)
# next to their goals; slow figures are not an error, a run that could not
# measure at all is. Arguments go to the benchmark (the number of runs).
# VORLANE_BENCH_PREFIX points it at another Wine prefix than the tests' one.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${VORLANE_BUILD_DIR:-$root/build}"

source "$root/scripts/build.sh"
vorlane_build i686

source "$root/scripts/wine-env.sh"
trap vorlane_wine_stop EXIT
vorlane_wine_env "${VORLANE_BENCH_PREFIX:-$build/wineprefix}"
vorlane_start_display
vorlane_prepare_prefix
vorlane_start_wineserver

echo "== benchmark: i686 under Wine"
cd "$build/i686/bin"
wine ./vorlane_menu_bench.exe "$@"
