#!/usr/bin/env bash
# Builds the Windows flavour this host runs (i686, or x86_64 where 32-bit
# programs cannot run) when needed and measures under Wine on Xvfb how fast
# the launcher's menus reach the screen, beside plain Win32 popups of the
# same shape timed the same way, then how long the configurator takes to
# remove a menu from a large file and to show a long menu. Prints the
# figures (median, min, max) next to their goals; slow figures are not an
# error, a run that could not measure at all is. Arguments go to the
# benchmarks (the number of runs).
# VORLANE_BENCH_PREFIX points it at another Wine prefix than the tests' one.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${VORLANE_BUILD_DIR:-$root/build}"

source "$root/scripts/wine-env.sh"
vorlane_detect_host || exit 1
flavour="$(vorlane_windows_flavour)"
if [ "$flavour" != i686 ]; then
  echo "bench: measuring the 64-bit build: $vorlane_no_32bit_reason"
fi

source "$root/scripts/build.sh"
vorlane_build "$flavour"

trap vorlane_wine_stop EXIT
vorlane_wine_up "${VORLANE_BENCH_PREFIX:-$build/wineprefix}" || exit 1

echo "== benchmark: $flavour under Wine"
cd "$build/$flavour/bin"
vorlane_wine ./vorlane_menu_bench.exe "$@"
vorlane_wine ./vorlane_config_bench.exe "$@"
