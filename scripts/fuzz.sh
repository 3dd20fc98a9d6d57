#!/usr/bin/env bash
# Fuzzes the settings readers for a while (default 60 s) with clang's
# libFuzzer and the sanitizers. Not part of the test run: it has no end.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${VORLANE_BUILD_DIR:-$root/build}/fuzz"
seconds="${1:-60}"
command -v clang++ >/dev/null || { echo "fuzz: needs clang (apt-get install clang)" >&2; exit 1; }
cmake -G Ninja -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_C_COMPILER=clang -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target vorlane_settings_fuzz
mkdir -p "$build/corpus"
"$build/tests/vorlane_settings_fuzz" -max_total_time="$seconds" -max_len=4096 "$build/corpus"
