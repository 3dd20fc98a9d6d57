#!/usr/bin/env bash
# Installs what is missing, builds the 32-bit programs and starts Vorlane.exe
# under Wine from a fresh folder, so that its first start writes the default
# settings file. On a display it runs until Wine is closed (Ctrl+C here);
# without one it runs on Xvfb, and a screenshot of the desktop with the tray
# icon is written to build/vorlane-screenshot.png.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${VORLANE_BUILD_DIR:-$root/build}"

bash "$root/scripts/setup.sh"
source "$root/scripts/build.sh"
vorlane_build i686

source "$root/scripts/wine-env.sh"
trap vorlane_wine_stop EXIT
headless=0
if [ -z "${DISPLAY:-}" ]; then headless=1; fi
vorlane_wine_env "$build/wineprefix"
vorlane_start_display
vorlane_prepare_prefix
vorlane_start_wineserver

run_dir="$(mktemp -d "${TMPDIR:-/tmp}/vorlane-run.XXXXXX")"
cp "$build/i686/bin/Vorlane.exe" "$run_dir/"
echo "run: starting $run_dir/Vorlane.exe (settings: $run_dir/vorlane.ini)"

if [ "$headless" -eq 0 ]; then
  wine "$run_dir/Vorlane.exe"
  exit 0
fi

wine "$run_dir/Vorlane.exe" &
for _ in $(seq 1 50); do
  if [ -f "$run_dir/vorlane.ini" ]; then break; fi
  sleep 0.2
done
sleep 3  # let the desktop paint its taskbar and the icon
screenshot="$build/vorlane-screenshot.png"
import -window root -crop 1024x768+0+0 +repage "$screenshot"
echo "run: no display, so Vorlane ran on Xvfb; screenshot: $screenshot"
echo "run: settings file written on first start:"
cat "$run_dir/vorlane.ini"
