#!/usr/bin/env bash
# Installs what is missing, builds the 32-bit programs and starts Vorlane.exe
# under Wine from a fresh folder, so that its first start writes the default
# settings file. On a host that cannot run 32-bit programs it builds and
# starts the 64-bit programs instead. On a display it runs until Wine is
# closed (Ctrl+C here); without one it runs on Xvfb, and a screenshot of the
# desktop with the tray icon is written to build/vorlane-screenshot.png.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${VORLANE_BUILD_DIR:-$root/build}"

bash "$root/scripts/setup.sh"
source "$root/scripts/wine-env.sh"
vorlane_detect_host || exit 1
flavour="$(vorlane_windows_flavour)"
if [ "$flavour" != i686 ]; then
  echo "run: starting the 64-bit Vorlane.exe: $vorlane_no_32bit_reason"
fi

source "$root/scripts/build.sh"
vorlane_build "$flavour"

trap vorlane_wine_stop EXIT
headless=0
if [ -z "${DISPLAY:-}" ]; then headless=1; fi
vorlane_wine_up "$build/wineprefix" || exit 1

run_dir="$(mktemp -d "${TMPDIR:-/tmp}/vorlane-run.XXXXXX")"
cp "$build/$flavour/bin/Vorlane.exe" "$run_dir/"
echo "run: starting $run_dir/Vorlane.exe (settings: $run_dir/vorlane.ini)"

if [ "$headless" -eq 0 ]; then
  vorlane_wine "$run_dir/Vorlane.exe"
  exit 0
fi

vorlane_wine "$run_dir/Vorlane.exe" &
for _ in $(seq 1 50); do
  if [ -f "$run_dir/vorlane.ini" ]; then break; fi
  sleep 0.2
done
if [ ! -f "$run_dir/vorlane.ini" ]; then
  echo "run: Vorlane.exe wrote no settings file within 10 s" >&2
  exit 1
fi
sleep 3  # let the desktop paint its taskbar and the icon
screenshot="$build/vorlane-screenshot.png"
import -window root -crop 1024x768+0+0 +repage "$screenshot"
echo "run: no display, so Vorlane ran on Xvfb; screenshot: $screenshot"
echo "run: settings file written on first start:"
cat "$run_dir/vorlane.ini"
