#!/usr/bin/env bash
# Where the kernel cannot run 32-bit programs, the i686 suites cannot run,
# yet the i686 set is what most users of the packages get. This runs that
# packaged set once through Debian's qemu-user-static, registered for 32-bit
# ELF files while it runs: the launcher writes its defaults and paints its
# menu, the configurator adds a menu, the extension registers and adds its
# item from a 32-bit host (vorlane_i686_smoke_tests.exe drives them). Each
# emulated start takes about a minute, so it is a handful of starts in a
# prefix of its own, and nothing is timed.
# Needs the x86_64 and i686 builds and the staged packages (scripts/test.sh
# makes them first). Prints one line saying what ran; exits 0 when it
# passed, 1 when it failed and 2 when it could not run here (the line says
# why). The registration is removed again on every path.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${VORLANE_BUILD_DIR:-$root/build}"

binfmt=/proc/sys/fs/binfmt_misc
entry="$binfmt/qemu-i386"
emulator=/usr/bin/qemu-i386-static
# ELF, 32-bit, little-endian, executable or shared object, machine i386.
registration=':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F'

programs="$build/packages/stage/i686"
host="$build/i686/bin/vorlane_shellix_host.exe"
tests="$build/x86_64/bin/vorlane_i686_smoke_tests.exe"

not_run() {
  echo "test: i686 smoke test not run: $*"
  exit 2
}

for file in "$programs/Vorlane.exe" "$host" "$tests"; do
  [ -f "$file" ] || not_run "$file is missing (build and package first)"
done
[ -x "$emulator" ] || not_run "$emulator is missing (apt-get install qemu-user-static)"

as_root=()
if [ "$(id -u)" -ne 0 ]; then
  if ! sudo -n true 2>/dev/null; then
    not_run "registering $emulator for 32-bit programs needs root, and sudo asks for a password"
  fi
  as_root=(sudo -n)
fi

registered_here=""
# Ends the emulated programs before the registration goes.
finish() {
  vorlane_wine_stop 2>/dev/null || true
  if [ -n "$registered_here" ]; then
    echo -1 | "${as_root[@]}" tee "$entry" >/dev/null 2>&1 || true
  fi
}
trap finish EXIT

if [ ! -e "$binfmt/register" ]; then
  "${as_root[@]}" mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null ||
    not_run "binfmt_misc cannot be mounted here (mount -t binfmt_misc binfmt_misc $binfmt was refused)"
fi
if [ -e "$entry" ]; then
  echo "i686-smoke: $entry was registered before; it is used and left in place"
else
  # shellcheck disable=SC2059 # the escapes are the registration's bytes
  if ! printf "$registration" | "${as_root[@]}" tee "$binfmt/register" >/dev/null 2>&1; then
    not_run "registering $emulator for 32-bit programs was refused ($binfmt/register)"
  fi
  registered_here=1
fi

# The registration makes 32-bit programs start, but slowly: the test
# programs keep to Wine's 64-bit loader, which starts the 32-bit one only
# for the 32-bit programs under test.
export VORLANE_FORCE_64BIT_ONLY=1
source "$root/scripts/wine-env.sh"
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
export VORLANE_I686_SET VORLANE_I686_HOST
VORLANE_I686_SET="$(windows_path "$programs")"
VORLANE_I686_HOST="$(windows_path "$host")"

echo "== i686 smoke test through $emulator (a minute or more per program start)"
# A new prefix spends a few minutes on its 32-bit half under emulation.
vorlane_wine_up "$build/wineprefix-i686" || exit 1
if timeout 40m bash "$root/scripts/wine-run.sh" "$tests"; then
  echo "test: i686 smoke test through $emulator passed: the packaged launcher wrote its defaults and painted its menu, the configurator added a menu, the extension registered and added its item from a 32-bit host"
  exit 0
fi
echo "test: FAILED: the i686 smoke test through $emulator (output above)"
exit 1
