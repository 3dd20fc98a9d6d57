# Sourced by the run and test scripts: a private Wine prefix inside the build
# tree, one wineserver kept alive for the whole run, and an X display (Xvfb
# when none is set). Everything started here is ended by vorlane_wine_stop,
# and nothing that this script did not start is touched.

vorlane_started_xvfb_pid=""
vorlane_started_wineserver=""

vorlane_wine_env() {
  local prefix_dir="$1"
  export WINEPREFIX="$prefix_dir"
  export WINEDEBUG=-all
  # No Mono or Gecko installer prompt in a fresh prefix.
  export WINEDLLOVERRIDES="mscoree,mshtml="
}

vorlane_start_display() {
  if [ -n "${DISPLAY:-}" ]; then
    return 0
  fi
  local fdfile
  fdfile="$(mktemp)"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fdfile" >/dev/null 2>&1 &
  vorlane_started_xvfb_pid=$!
  local i
  for i in $(seq 1 100); do
    if [ -s "$fdfile" ]; then break; fi
    sleep 0.1
  done
  if [ ! -s "$fdfile" ]; then
    echo "wine-env: Xvfb did not start" >&2
    rm -f "$fdfile"
    return 1
  fi
  export DISPLAY=":$(head -n1 "$fdfile")"
  rm -f "$fdfile"
}

# Creates the prefix once. Every process shares one virtual desktop so that
# tray icons land in its taskbar, and a crash ends the program instead of
# waiting for somebody to close Wine's crash dialog.
vorlane_prepare_prefix() {
  if [ -f "$WINEPREFIX/.vorlane-ready" ]; then
    return 0
  fi
  rm -rf "$WINEPREFIX"
  mkdir -p "$(dirname "$WINEPREFIX")"
  wineboot -i >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Vorlane /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Vorlane /d 1024x768 /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.vorlane-ready"
}

vorlane_start_wineserver() {
  # Debian's wrapper otherwise ends the server after each process, and every
  # test program would pay a cold start.
  wineserver -p
  vorlane_started_wineserver=1
  # The first program on a display brings up the virtual desktop and its
  # shell, which can take longer than a test should wait.
  wine cmd /c exit >/dev/null 2>&1 || true
}

vorlane_wine_stop() {
  if [ -n "$vorlane_started_wineserver" ]; then
    wineserver -k >/dev/null 2>&1 || true
    vorlane_started_wineserver=""
  fi
  if [ -n "$vorlane_started_xvfb_pid" ]; then
    kill "$vorlane_started_xvfb_pid" 2>/dev/null || true
    wait "$vorlane_started_xvfb_pid" 2>/dev/null || true
    vorlane_started_xvfb_pid=""
  fi
}
