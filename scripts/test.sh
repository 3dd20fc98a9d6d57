#!/usr/bin/env bash
# Builds every flavour (native with sanitizers, i686 and x86_64 Windows) and
# runs all test suites, the Windows ones under Wine on a private prefix and,
# without a display, on Xvfb. Exits non-zero when anything fails and closes
# with one "N passed, N failed" line over all suites.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${VORLANE_BUILD_DIR:-$root/build}"

bash "$root/scripts/setup.sh"
source "$root/scripts/build.sh"
vorlane_build native
vorlane_build i686
vorlane_build x86_64

source "$root/scripts/wine-env.sh"
trap vorlane_wine_stop EXIT
vorlane_wine_env "$build/wineprefix"
vorlane_start_display
vorlane_prepare_prefix
vorlane_start_wineserver

passed=0
failed=0
status=0
for flavour in native i686 x86_64; do
  echo "== tests: $flavour"
  log="$build/$flavour/ctest.log"
  # Wine now and then fails to start a program at all ("ShellExecuteEx
  # failed: Internal error"); a test that fails for real fails every time.
  if ! ctest --test-dir "$build/$flavour" --output-on-failure --timeout 300 \
      --repeat until-pass:3 2>&1 | tee "$log"; then
    status=1
  fi
  if ! summary="$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n1)"; then
    echo "test: no summary from ctest for $flavour" >&2
    status=1
    continue
  fi
  total="$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$summary")"
  bad="$(sed -E 's/.*passed, ([0-9]+) tests? failed.*/\1/' <<<"$summary")"
  passed=$((passed + total - bad))
  failed=$((failed + bad))
  if [ "$bad" -ne 0 ]; then status=1; fi
done

echo "total: $passed passed, $failed failed"
exit "$status"
