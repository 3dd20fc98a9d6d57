# Sourced by the run, test and benchmark scripts: which Wine loader this host
# can use, a private Wine prefix inside the build tree, one wineserver kept
# alive for the whole run, and an X display (Xvfb when none is set).
# Everything started here is ended by vorlane_wine_stop, and nothing that
# this script did not start is touched. Every step that fails says what
# failed and where its output is.
#
# VORLANE_FORCE_64BIT_ONLY=1 takes the path of a host that cannot run 32-bit
# programs even where it could, to try that path on any machine.

vorlane_started_xvfb_pid=""
vorlane_started_wineserver=""
vorlane_wine_loader=""
vorlane_runs_32bit=""
vorlane_no_32bit_reason=""

vorlane_wine_libdir=/usr/lib/wine

vorlane_fail() {
  echo "wine-env: $*" >&2
  return 1
}

# Some kernels have no IA-32 emulation: the 32-bit loader then cannot start
# at all ("Exec format error") although its packages install, and Debian's
# `wine` wrapper, which always prefers it, fails for 64-bit programs too.
# Only trying it tells; Wine's 64-bit loader, called directly, still works.
vorlane_detect_host() {
  if [ -n "$vorlane_runs_32bit" ]; then
    return 0
  fi
  local output
  if [ "${VORLANE_FORCE_64BIT_ONLY:-0}" = 1 ]; then
    vorlane_runs_32bit=0
    vorlane_no_32bit_reason="VORLANE_FORCE_64BIT_ONLY=1 is set"
  elif [ ! -e "$vorlane_wine_libdir/wine" ]; then
    vorlane_runs_32bit=0
    vorlane_no_32bit_reason="Wine's 32-bit half is not installed ($vorlane_wine_libdir/wine is missing: apt-get install wine32:i386)"
  elif output="$("$vorlane_wine_libdir/wine" --version 2>&1)"; then
    vorlane_runs_32bit=1
  else
    vorlane_runs_32bit=0
    # Keep what the shell said of the loader, without the script's own place.
    output="${output##*"$vorlane_wine_libdir/wine: "}"
    vorlane_no_32bit_reason="this host cannot run 32-bit programs (Wine's 32-bit loader $vorlane_wine_libdir/wine: ${output:-no output})"
  fi
  if [ "$vorlane_runs_32bit" = 1 ]; then
    vorlane_wine_loader=wine
  else
    if ! "$vorlane_wine_libdir/wine64" --version >/dev/null 2>&1; then
      vorlane_fail "neither Wine loader runs here; try: $vorlane_wine_libdir/wine64 --version"
      return 1
    fi
    vorlane_wine_loader="$vorlane_wine_libdir/wine64"
    # Wine starts further processes (and ctest's emulator script starts the
    # test programs) through this loader.
    export WINELOADER="$vorlane_wine_loader"
  fi
}

# The Windows flavour whose programs run here: i686 where 32-bit programs
# run, x86_64 elsewhere.
vorlane_windows_flavour() {
  if [ "$vorlane_runs_32bit" = 1 ]; then echo i686; else echo x86_64; fi
}

vorlane_wine() {
  "$vorlane_wine_loader" "$@"
}

vorlane_wine_env() {
  local prefix_dir="$1"
  vorlane_detect_host || return 1
  export WINEPREFIX="$prefix_dir"
  export WINEDEBUG=-all
  # No Mono or Gecko installer prompt in a fresh prefix, and no menu
  # entries, icons or file types written into the user's home for what a
  # program under test installs.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  vorlane_log_dir="$(dirname "$prefix_dir")/logs"
  mkdir -p "$vorlane_log_dir"
}

vorlane_start_display() {
  if [ -n "${DISPLAY:-}" ]; then
    return 0
  fi
  command -v Xvfb >/dev/null || {
    vorlane_fail "Xvfb is not installed (apt-get install xvfb)"
    return 1
  }
  local fdfile log="$vorlane_log_dir/xvfb.log"
  fdfile="$(mktemp)"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fdfile" >"$log" 2>&1 &
  vorlane_started_xvfb_pid=$!
  local i
  for i in $(seq 1 100); do
    if [ -s "$fdfile" ] || ! kill -0 "$vorlane_started_xvfb_pid" 2>/dev/null; then
      break
    fi
    sleep 0.1
  done
  if [ ! -s "$fdfile" ]; then
    rm -f "$fdfile"
    vorlane_fail "Xvfb did not start; its output is in $log"
    return 1
  fi
  export DISPLAY=":$(head -n1 "$fdfile")"
  rm -f "$fdfile"
}

# Runs one set-up step with its output in the log folder; on failure says
# which step failed and where to look.
vorlane_step() {
  local name="$1"
  shift
  local log="$vorlane_log_dir/$name.log"
  local status=0
  "$@" >"$log" 2>&1 || status=$?
  if [ "$status" -ne 0 ]; then
    vorlane_fail "$name failed (exit $status): $*; its output is in $log"
    return 1
  fi
}

# Creates the prefix once. Every process shares one virtual desktop so that
# tray icons land in its taskbar, and a crash ends the program instead of
# waiting for somebody to close Wine's crash dialog.
vorlane_prepare_prefix() {
  if [ -f "$WINEPREFIX/.vorlane-ready-2" ]; then
    return 0
  fi
  rm -rf "$WINEPREFIX"
  mkdir -p "$(dirname "$WINEPREFIX")"
  echo "wine-env: creating the Wine prefix $WINEPREFIX (once)"
  vorlane_step wineboot vorlane_wine wineboot -i || return 1
  vorlane_step prefix-desktop vorlane_wine reg add 'HKCU\Software\Wine\Explorer' \
    /v Desktop /d Vorlane /f || return 1
  vorlane_step prefix-desktop-size vorlane_wine reg add \
    'HKCU\Software\Wine\Explorer\Desktops' /v Vorlane /d 1024x768 /f || return 1
  vorlane_step prefix-crash-dialog vorlane_wine reg add 'HKCU\Software\Wine\WineDbg' \
    /v ShowCrashDialog /t REG_DWORD /d 0 /f || return 1
  # The same as the environment says, for any process started without it.
  vorlane_step prefix-menu-builder vorlane_wine reg add 'HKCU\Software\Wine\DllOverrides' \
    /v winemenubuilder.exe /d '' /f || return 1
  # The user's Desktop, Documents and the like are links to the host's home
  # in a new prefix; folders of their own keep what the tests write inside.
  local link
  for link in "$WINEPREFIX"/drive_c/users/*/*; do
    if [ -L "$link" ]; then
      rm -f "$link" && mkdir -p "$link" || return 1
    fi
  done
  vorlane_step prefix-settle wineserver -w || return 1
  touch "$WINEPREFIX/.vorlane-ready-2"
}

vorlane_start_wineserver() {
  # A server that a killed run left on this private prefix would refuse the
  # new one; it ends first.
  wineserver -k >/dev/null 2>&1 || true
  # Debian's wrapper otherwise ends the server after each process, and every
  # test program would pay a cold start.
  vorlane_step wineserver wineserver -p || return 1
  vorlane_started_wineserver=1
  # The first program on a display brings up the virtual desktop and its
  # shell, which can take longer than a test should wait.
  vorlane_step desktop vorlane_wine cmd /c exit || return 1
}

# All of the above, in order, for a prefix at $1.
vorlane_wine_up() {
  vorlane_wine_env "$1" &&
    vorlane_start_display &&
    vorlane_prepare_prefix &&
    vorlane_start_wineserver
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
