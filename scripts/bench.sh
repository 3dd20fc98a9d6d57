#!/usr/bin/env bash
# Builds the Windows flavour this host runs (i686, or x86_64 where 32-bit
# programs cannot run) when needed and measures under Wine on Xvfb how fast
# the launcher's menus reach the screen, beside plain Win32 popups of the
# same shape timed the same way, then how long the configurator takes to
# remove a menu from a large file and to show a long menu, and last the
# footprint of the stripped release programs of both bitnesses (file sizes,
# and the launcher's idle private memory) beside a bare static tray program
# built the same way. Prints the figures (median, min, max) next to their
# goals; slow or large figures are not an error, a run that could not
# measure at all is. Arguments go to the timing benchmarks (the number of
# runs).
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
vorlane_build_release "$flavour" vorlane_menu_bench vorlane_config_bench \
  vorlane_footprint_bench
for arch in i686 x86_64; do
  vorlane_build_release "$arch" Vorlane config Shellix vorlane_bare_tray
done

trap vorlane_wine_stop EXIT
vorlane_wine_up "${VORLANE_BENCH_PREFIX:-$build/wineprefix}" || exit 1

echo "== benchmark: $flavour under Wine"
cd "$build/$flavour/bin"
vorlane_wine ./vorlane_menu_bench.exe "$@"
vorlane_wine ./vorlane_config_bench.exe "$@"

echo "== footprint: stripped release programs, in KB"
kb() { echo $(( ($(stat -c %s "$1") + 1023) / 1024 )); }
# The launcher's goal is per architecture: 32-bit exceptions unwind by
# DWARF tables, which take more room than the 64-bit ones.
declare -A launcher_goal=([i686]=330 [x86_64]=270)
for arch in i686 x86_64; do
  bin="$build/$arch/bin"
  line="  $arch:"
  for entry in "Vorlane.exe:${launcher_goal[$arch]}" config.exe:350 Shellix.dll:250; do
    file="${entry%%:*}"
    goal="${entry##*:}"
    size="$(kb "$bin/$file")"
    verdict=met
    if [ "$size" -gt "$goal" ]; then verdict=missed; fi
    line+=" $file $size (goal $goal: $verdict),"
  done
  echo "$line bare tray program $(kb "$bin/bare_tray.exe")"
done
mkdir -p "$build/$flavour/bin/release"
cp "$build/$flavour/bin/Vorlane.exe" "$build/$flavour/bin/bare_tray.exe" \
  "$build/$flavour/bin/release/"
vorlane_wine ./vorlane_footprint_bench.exe
