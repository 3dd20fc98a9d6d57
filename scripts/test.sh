#!/usr/bin/env bash
# Builds every flavour (native with sanitizers, i686 and x86_64 Windows as
# they ship) and runs all test suites, the Windows ones under Wine, each
# bitness in a private prefix on an Xvfb display of its own, side by side.
# On a host that cannot run 32-bit programs the i686 suites are neither
# built nor run, and a line says so. Before the suites it
# makes and checks the release packages (scripts/package.sh), which count
# as one more check; so does, where the i686 suites cannot run, an emulated smoke test of the
# packaged i686 set (scripts/i686-smoke.sh), and so does the check that the
# run left the user's home and the prefixes' temporary folders as it found
# them. Prints each phase's time as it ends and all of them at the end.
# Exits non-zero when anything that ran failed, and closes with one
# "N passed, N failed" line over all suites that ran and the checks.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${VORLANE_BUILD_DIR:-$root/build}"

phase_started=$SECONDS
phase_times=()
phase_done() {
  local seconds=$((SECONDS - phase_started))
  local line
  line="$(printf '%-28s %d:%02d' "$1" $((seconds / 60)) $((seconds % 60)))"
  phase_times+=("$line")
  echo "== time: $line"
  phase_started=$SECONDS
}

# Wine writes menu entries, icons and file types for what a program
# installs into the user's home, outside any prefix; the prefixes have that
# turned off, and this is where a regression would show.
home_places=(
  "$HOME/.local/share/applications" "$HOME/.local/share/desktop-directories"
  "$HOME/.local/share/icons" "$HOME/.local/share/mime"
  "$HOME/.config/menus"
)
home_listing() {
  find "${home_places[@]}" 2>/dev/null | sort || true
}
home_before="$(home_listing)"

bash "$root/scripts/setup.sh"
phase_done "setup"
source "$root/scripts/build.sh"
source "$root/scripts/wine-env.sh"
vorlane_detect_host || exit 1

flavours=(x86_64)
not_run=""
if [ "$vorlane_runs_32bit" = 1 ]; then
  flavours=(i686 x86_64)
else
  not_run="test: i686 suites neither built nor run, nor the installer's round trip: $vorlane_no_32bit_reason"
fi

passed=0
failed=0
status=0
# Counts one ctest run from its log; says so when it has no summary.
count_ctest() {
  local name="$1" log="$2" summary total bad
  if ! summary="$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n1)"; then
    echo "test: no summary from ctest for $name (log: $log)" >&2
    failed=$((failed + 1))
    status=1
    return
  fi
  total="$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$summary")"
  bad="$(sed -E 's/.*passed, ([0-9]+) tests? failed.*/\1/' <<<"$summary")"
  passed=$((passed + total - bad))
  failed=$((failed + bad))
  if [ "$bad" -ne 0 ]; then status=1; fi
}

vorlane_build native
phase_done "build: native"
echo "== tests: native"
ctest --test-dir "$build/native" --output-on-failure --timeout 300 -j2 \
  >"$build/native/ctest.log" 2>&1 || true
grep -vE '^ *([0-9]+/[0-9]+ Test +#[0-9]+: .* Passed|Start +[0-9]+: )' "$build/native/ctest.log" || true
count_ctest native "$build/native/ctest.log"
phase_done "tests: native"

# Where the i686 suites cannot run, their programs are not built either:
# the packages build the i686 programs that ship, and the smoke test the
# one it needs.
if [ "$vorlane_runs_32bit" = 1 ]; then
  vorlane_build i686
  phase_done "build: i686"
fi
vorlane_build x86_64
phase_done "build: x86_64"

echo "== packages"
if bash "$root/scripts/package.sh"; then
  passed=$((passed + 1))
  packaged="test: packages built and checked in $build/packages"
else
  failed=$((failed + 1))
  status=1
  packaged="test: FAILED: the release packages (scripts/package.sh, output above)"
fi
phase_done "packages"

# The installer is a 32-bit program: its test says so and skips where
# 32-bit programs cannot run.
export VORLANE_RUNS_32BIT="$vorlane_runs_32bit"
# Wine's failures to start a test program at all are retried by the
# emulator script, which names them here; nothing else is ever repeated.
export VORLANE_RETRY_LOG="$build/retries.log"
: >"$VORLANE_RETRY_LOG"
# Each suite gets a display of its own, never the desktop of whoever runs
# this: the tests move the pointer and press keys.
unset DISPLAY

# One suite in its prefix, in the background; whatever ends it, its Wine
# processes and display end with it.
suite_pids=()
run_suite() {
  local flavour="$1"
  (
    ctest_pid=""
    trap 'if [ -n "$ctest_pid" ]; then kill "$ctest_pid" 2>/dev/null || true; fi; vorlane_wine_stop' EXIT
    trap 'exit 143' TERM INT
    vorlane_wine_up "$build/wineprefix-$flavour" || exit 1
    ctest --test-dir "$build/$flavour" --output-on-failure --timeout 300 &
    ctest_pid=$!
    wait "$ctest_pid"
  ) >"$build/$flavour/ctest.log" 2>&1 &
  suite_pids+=($!)
}
stop_suites() {
  local pid
  for pid in "${suite_pids[@]}"; do kill -TERM "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
}
trap stop_suites EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

echo "== tests: ${flavours[*]} under Wine, side by side (logs: $build/<flavour>/ctest.log)"
for flavour in "${flavours[@]}"; do run_suite "$flavour"; done
for i in "${!flavours[@]}"; do
  wait "${suite_pids[$i]}" || true
done
suite_pids=()
for flavour in "${flavours[@]}"; do
  echo "== tests: $flavour"
  grep -vE '^ *([0-9]+/[0-9]+ Test +#[0-9]+: .* Passed|Start +[0-9]+: )' "$build/$flavour/ctest.log" || true
  count_ctest "$flavour" "$build/$flavour/ctest.log"
done
phase_done "tests: ${flavours[*]}"

# Where the i686 suites could not run, the packaged i686 set still runs
# once, emulated. VORLANE_I686_SMOKE=1 runs it on any host.
smoke=""
if [ "$vorlane_runs_32bit" != 1 ] || [ "${VORLANE_I686_SMOKE:-0}" = 1 ]; then
  smoke_log="$build/i686-smoke.log"
  set +e
  bash "$root/scripts/i686-smoke.sh" 2>&1 | tee "$smoke_log"
  smoke_status="${PIPESTATUS[0]}"
  set -e
  smoke="$(grep '^test: ' "$smoke_log" | tail -n1 || true)"
  case "$smoke_status" in
    0) passed=$((passed + 1)) ;;
    2) ;;
    *) failed=$((failed + 1)); status=1
       if [ -z "$smoke" ]; then smoke="test: FAILED: the i686 smoke test (output above)"; fi ;;
  esac
  phase_done "i686 smoke test"
fi

# What the run leaves behind: nothing new in the user's home, no test
# folder in a prefix's Temp.
left=""
new_in_home="$(comm -13 <(printf '%s\n' "$home_before") <(home_listing) | head -n 5)"
if [ -n "$new_in_home" ]; then
  left="test: FAILED: the run wrote into your home:"$'\n'"$(sed 's/^/  /' <<<"$new_in_home")"
fi
left_in_temp="$(find "$build"/wineprefix-*/drive_c/users/*/AppData/Local/Temp \
  "$build"/wineprefix-*/drive_c/users/*/Temp -maxdepth 1 -name 'vorlane-test-*' \
  2>/dev/null | head -n 5 || true)"
if [ -n "$left_in_temp" ]; then
  left+="${left:+$'\n'}test: FAILED: test folders stayed in a prefix's Temp:"$'\n'"$(sed 's/^/  /' <<<"$left_in_temp")"
fi
if [ -n "$left" ]; then
  failed=$((failed + 1))
  status=1
else
  passed=$((passed + 1))
  left="test: the run left your home and the prefixes' Temp folders as it found them"
fi

if [ -s "$VORLANE_RETRY_LOG" ]; then
  echo "test: Wine failed to start these and they were started again:"
  sed 's/^/  /' "$VORLANE_RETRY_LOG"
else
  echo "test: no start needed a retry"
fi
if [ -n "$not_run" ]; then echo "$not_run"; fi
if [ -n "$smoke" ]; then echo "$smoke"; fi
echo "$packaged"
echo "$left"
echo "test: time by phase:"
printf '  %s\n' "${phase_times[@]}"
echo "total: $passed passed, $failed failed"
exit "$status"
