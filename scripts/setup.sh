#!/usr/bin/env bash
# Installs what building and testing Vorlane needs on Debian 12, only when
# something is missing, so that a second run costs a few dpkg queries.
set -euo pipefail

packages=(
  cmake ninja-build python3
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  googletest
  wine wine32:i386 wine64
  xvfb xauth xdotool imagemagick
  nsis zip unzip
  # 32-bit programs on hosts whose kernel cannot run them (scripts/i686-smoke.sh)
  qemu-user-static
)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null; then
    echo "setup: not root and no sudo: run this as root once" >&2
    exit 1
  fi
  sudo_cmd=(sudo)
fi

missing=()
for pkg in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}\n' "$pkg" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$pkg")
  fi
done

if [ "${#missing[@]}" -eq 0 ]; then
  exit 0
fi

log="$(mktemp "${TMPDIR:-/tmp}/vorlane-setup.XXXXXX.log")"
# Runs one step with its output in the log; on failure names the step and
# shows the end of its output.
step() {
  local status=0
  echo "\$ $*" >>"$log"
  "$@" >>"$log" 2>&1 || status=$?
  if [ "$status" -ne 0 ]; then
    step_failed "(exit $status): $*"
  fi
}
step_failed() {
  echo "setup: failed $*" >&2
  tail -n 15 "$log" | sed 's/^/setup:   /' >&2
  echo "setup: the whole output is in $log" >&2
  exit 1
}

echo "setup: installing ${missing[*]} (output in $log)"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  step "${sudo_cmd[@]}" dpkg --add-architecture i386
fi
# A mirror caught mid-sync fails one index or another; the lists that did
# arrive may still hold everything, and the install below says plainly if
# they do not.
if ! "${sudo_cmd[@]}" apt-get update -q >>"$log" 2>&1; then
  echo "setup: apt-get update reported errors; installing from the package lists it has" >&2
  grep -E '^(E|W): ' "$log" | head -n 3 | sed 's/^/setup:   /' >&2 || true
fi
install() {
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -q --no-install-recommends "$@" >>"$log" 2>&1
}
if ! install "${missing[@]}"; then
  # Wine's 32-bit half needs i386 libraries at the very versions of their
  # 64-bit twins, which a mirror in mid-sync may not offer yet. Everything
  # else still builds and tests; the test run says that the 32-bit suites
  # did not run.
  rest=()
  for pkg in "${missing[@]}"; do
    if [ "$pkg" != wine32:i386 ]; then rest+=("$pkg"); fi
  done
  if [ "${#rest[@]}" -eq "${#missing[@]}" ]; then
    step_failed "to install ${missing[*]}"
  fi
  echo "setup: wine32:i386 cannot be installed now (output in $log); going on without Wine's 32-bit half" >&2
  if [ "${#rest[@]}" -gt 0 ]; then
    step install "${rest[@]}"
  fi
  exit 0
fi
rm -f "$log"
