#!/usr/bin/env bash
# Where the kernel cannot run 32-bit programs, the i686 suites cannot run,
# yet the i686 set is what most users of the packages get. This runs that
# packaged set once through Debian's qemu-user-static, registered for 32-bit
# ELF files while it runs: the launcher writes its defaults and paints its
# menu, the configurator adds a menu, the extension registers and adds its
# item from a 32-bit host (vorlane_i686_smoke_tests.exe drives them). Each
# emulated start takes about a minute, so it is a handful of starts in a
# prefix of its own, and nothing is timed.
#
# The kernel consults binfmt_misc before its own loader, and the host shares
# it with its other containers: a registration here routes every 32-bit
# program of the machine through the emulator while it stands. So where the
# kernel runs 32-bit programs itself this refuses, and where it registers, the
# entry carries a name of its own (a run that was killed leaves one that the
# next run recognises and removes), and it goes again, with a mount made
# here, on every way out: success, failure, Ctrl-C, SIGTERM and the time
# limit, which covers the whole run including the prefix's creation.
#
# Needs the x86_64 and i686 builds and the staged packages (scripts/test.sh
# makes them first). Prints one line saying what ran; exits 0 when it
# passed, 1 when it failed and 2 when it could not run here (the line says
# why).
set -uo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${VORLANE_BUILD_DIR:-$root/build}"
limit_seconds="${VORLANE_I686_SMOKE_LIMIT:-2400}"

binfmt=/proc/sys/fs/binfmt_misc
name=vorlane-i686-smoke
entry="$binfmt/$name"
emulator=/usr/bin/qemu-i386-static
# ELF, 32-bit, little-endian, executable or shared object, machine i386.
registration=":$name:M::\\x7fELF\\x01\\x01\\x01\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x02\\x00\\x03\\x00:\\xff\\xff\\xff\\xff\\xff\\xfe\\xfe\\x00\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xfe\\xff\\xff\\xff:$emulator:F"

programs="$build/packages/stage/i686"
host="$build/i686/bin/vorlane_shellix_host.exe"
tests="$build/x86_64/bin/vorlane_i686_smoke_tests.exe"
prefix="$build/wineprefix-emulated"

not_run() {
  echo "test: i686 smoke test not run: $*"
  exit 2
}

as_root=()
registered_here=""
mounted_here=""
job=""
watchdog=""
# Ends what this script started, then takes back the registration and the
# mount; a removal that fails is said loudly, since it outlives the run.
finish() {
  local status=$?
  trap - EXIT INT TERM
  if [ -n "$watchdog" ]; then
    pkill -P "$watchdog" 2>/dev/null
    kill "$watchdog" 2>/dev/null
  fi
  if [ -n "$job" ]; then
    pkill -TERM -P "$job" 2>/dev/null
    kill -TERM "$job" 2>/dev/null
    wait "$job" 2>/dev/null
  fi
  if [ -d "$prefix" ]; then
    WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1
  fi
  vorlane_wine_stop 2>/dev/null
  if [ -n "$registered_here" ] && [ -e "$entry" ]; then
    if ! echo -1 | "${as_root[@]}" tee "$entry" >/dev/null 2>&1 || [ -e "$entry" ]; then
      echo "i686-smoke: ERROR: could not remove $entry: every 32-bit program of this machine still runs through $emulator; remove it with: echo -1 > $entry" >&2
      status=1
    fi
  fi
  if [ -n "$mounted_here" ]; then
    "${as_root[@]}" umount "$binfmt" 2>/dev/null ||
      echo "i686-smoke: warning: could not unmount $binfmt, which this run mounted" >&2
  fi
  exit "$status"
}
trap finish EXIT
trap 'echo "i686-smoke: stopped by a signal" >&2; exit 130' INT
trap 'echo "i686-smoke: stopped (SIGTERM or the time limit of ${limit_seconds} s)" >&2; exit 143' TERM

# The 32-bit host that plays Explorer is built below, with the driver.
[ -f "$programs/Vorlane.exe" ] || not_run "$programs/Vorlane.exe is missing (package first)"
[ -x "$emulator" ] || not_run "$emulator is missing (apt-get install qemu-user-static)"

if [ "$(id -u)" -ne 0 ]; then
  if ! sudo -n true 2>/dev/null; then
    not_run "registering $emulator for 32-bit programs needs root, and sudo asks for a password"
  fi
  as_root=(sudo -n)
fi

if [ ! -e "$binfmt/register" ]; then
  "${as_root[@]}" mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null ||
    not_run "binfmt_misc cannot be mounted here (mount -t binfmt_misc binfmt_misc $binfmt was refused)"
  mounted_here=1
fi
if [ -e "$entry" ]; then
  echo "i686-smoke: removing $entry, left by a run that was killed"
  echo -1 | "${as_root[@]}" tee "$entry" >/dev/null 2>&1
  [ ! -e "$entry" ] || not_run "$entry, left by an earlier run, cannot be removed"
fi

# Another registration for 32-bit ELF files (the host's own emulator, say)
# is used as it stands.
foreign=""
for other in "$binfmt"/*; do
  case "$(basename "$other")" in register|status) continue ;; esac
  if grep -q '^enabled' "$other" 2>/dev/null &&
     grep -q '^magic 7f454c46010101000000000000000000020003' "$other" 2>/dev/null; then
    foreign="$other"
  fi
done

if [ -z "$foreign" ]; then
  # The smallest 32-bit program there is: it exits with 0, if the kernel
  # runs it at all.
  probe="$build/i686-smoke-probe"
  python3 - "$probe" <<'PY' || not_run "could not write the 32-bit probe $probe"
import struct, sys
code = bytes([0xb8, 1, 0, 0, 0, 0x31, 0xdb, 0xcd, 0x80])  # exit(0)
base, size = 0x08048000, 52 + 32 + len(code)
header = b"\x7fELF\x01\x01\x01" + bytes(9) + struct.pack(
    "<HHIIIIIHHHHHH", 2, 3, 1, base + 84, 52, 0, 0, 52, 32, 1, 0, 0, 0)
segment = struct.pack("<IIIIIIII", 1, 0, base, base, size, size, 5, 0x1000)
open(sys.argv[1], "wb").write(header + segment + code)
PY
  chmod +x "$probe"
  if "$probe" 2>/dev/null; then
    not_run "this host's kernel runs 32-bit programs itself, so registering $emulator would route every 32-bit program of the machine through it; install wine32:i386 and the i686 suites run instead"
  fi
fi

source "$root/scripts/build.sh"
{ vorlane_build_release x86_64 vorlane_i686_smoke_tests &&
  vorlane_build_release i686 vorlane_shellix_host; } || {
  echo "test: FAILED: the i686 smoke test's driver did not build"
  exit 1
}

if [ -z "$foreign" ]; then
  # shellcheck disable=SC2059 # the escapes are the registration's bytes
  if ! printf "$registration" | "${as_root[@]}" tee "$binfmt/register" >/dev/null 2>&1; then
    not_run "registering $emulator for 32-bit programs was refused ($binfmt/register)"
  fi
  registered_here=1
else
  echo "i686-smoke: $foreign runs 32-bit programs already; it is used and left in place"
fi

# The whole run, the prefix's creation included, is under one limit.
( sleep "$limit_seconds"; kill -TERM $$ ) 2>/dev/null &
watchdog=$!

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
# Long steps run as jobs, so that a signal is taken at once, not when they end.
# A new prefix spends a few minutes on its 32-bit half under emulation.
(vorlane_wine_env "$prefix" && vorlane_start_display && vorlane_prepare_prefix
 status=$?; vorlane_wine_stop; exit "$status") &
job=$!
wait "$job" || exit 1
job=""
vorlane_wine_up "$prefix" || exit 1
bash "$root/scripts/wine-run.sh" "$tests" &
job=$!
if wait "$job"; then
  job=""
  echo "test: i686 smoke test through $emulator passed: the packaged launcher wrote its defaults and painted its menu, the configurator added a menu, the extension registered and added its item from a 32-bit host"
  exit 0
fi
job=""
echo "test: FAILED: the i686 smoke test through $emulator (output above)"
exit 1
