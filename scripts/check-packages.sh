#!/usr/bin/env bash
# Checks the packages that scripts/package.sh made in OUT for VERSION: each
# stage and each zip hold exactly the six files, the zipped files are the
# staged ones, every program is stripped and built for its set's machine,
# the user guide names the version, the installer (when there is one) is a
# 32-bit Windows program. Prints one line per package with its size; every
# fault is named, and any fault makes the exit code non-zero.
#   check-packages.sh OUT VERSION
set -euo pipefail

out="$1"
version="$2"
faults=0

fault() {
  echo "check: FAULT: $*" >&2
  faults=$((faults + 1))
}

expected="LICENSE.txt
README.txt
Shellix.dll
Vorlane.exe
Vorlane.html
config.exe"

# Prints "MACHINE STRIPPED" of a PE file: its machine as hex, and "yes" when
# it has neither a COFF symbol table nor debug sections.
pe_facts() {
  python3 - "$1" <<'EOF'
import struct, sys
data = open(sys.argv[1], "rb").read()
if data[:2] != b"MZ":
    print("none no"); sys.exit()
pe = struct.unpack_from("<I", data, 0x3C)[0]
if data[pe:pe + 4] != b"PE\0\0":
    print("none no"); sys.exit()
machine, sections, _, symtab, symbols, optional, _ = struct.unpack_from(
    "<HHIIIHH", data, pe + 4)
table = pe + 24 + optional
names = [data[table + 40 * i:table + 40 * i + 8].rstrip(b"\0")
         for i in range(sections)]
# Long section names (debug ones are) are "/offset" into the string table.
debug = any(n.startswith(b".debug") or n.startswith(b"/") for n in names)
stripped = symtab == 0 and symbols == 0 and not debug
print("0x%x %s" % (machine, "yes" if stripped else "no"))
EOF
}

for arch in i686 x86_64; do
  case "$arch" in
    i686) machine=0x14c ;;
    x86_64) machine=0x8664 ;;
  esac
  dir="$out/stage/$arch"
  faults_before=$faults
  listed="$(cd "$dir" 2>/dev/null && ls -A | LC_ALL=C sort || true)"
  if [ "$listed" != "$expected" ]; then
    fault "stage $arch holds: $(echo $listed)"
  fi
  # The guide is shipped as it is written, so it must name this version.
  if [ -f "$dir/Vorlane.html" ] &&
      ! grep -qF "<p class=\"version\">Version $version</p>" "$dir/Vorlane.html"; then
    fault "$arch/Vorlane.html does not say \"Version $version\" (resources/help/Vorlane.html)"
  fi
  for file in Vorlane.exe config.exe Shellix.dll; do
    [ -f "$dir/$file" ] || continue
    read -r got stripped < <(pe_facts "$dir/$file")
    [ "$got" = "$machine" ] || fault "$arch/$file is for machine $got, not $machine"
    [ "$stripped" = yes ] || fault "$arch/$file is not stripped"
  done

  zip_file="$out/Vorlane-$version-$arch.zip"
  if [ ! -f "$zip_file" ]; then
    fault "$zip_file is missing"
    continue
  fi
  entries="$(unzip -Z1 "$zip_file" | LC_ALL=C sort)"
  if [ "$entries" != "$(sed 's|^|Vorlane/|' <<<"$expected")" ]; then
    fault "$(basename "$zip_file") holds: $(echo $entries)"
  fi
  for file in $expected; do
    if [ -f "$dir/$file" ] &&
        ! unzip -p "$zip_file" "Vorlane/$file" | cmp -s - "$dir/$file"; then
      fault "$(basename "$zip_file"): Vorlane/$file differs from the staged one"
    fi
  done
  verdict="6 files, $arch programs, stripped"
  if [ "$faults" -ne "$faults_before" ]; then verdict="FAULTY (see above)"; fi
  echo "check: $(basename "$zip_file"): $(stat -c %s "$zip_file") bytes, $verdict"
done

setup="$out/Vorlane-$version-setup.exe"
if [ -f "$setup" ]; then
  read -r got _ < <(pe_facts "$setup")
  [ "$got" = 0x14c ] || fault "$(basename "$setup") is not a 32-bit Windows program ($got)"
  echo "check: $(basename "$setup"): $(stat -c %s "$setup") bytes"
fi

for arch in i686 x86_64; do
  sizes=""
  for file in Vorlane.exe config.exe Shellix.dll; do
    [ -f "$out/stage/$arch/$file" ] &&
      sizes+=" $file $(stat -c %s "$out/stage/$arch/$file")"
  done
  echo "check: $arch program sizes (bytes):$sizes"
done

if [ "$faults" -ne 0 ]; then
  echo "check: $faults package fault(s)" >&2
  exit 1
fi
echo "check: packages of $version pass"
