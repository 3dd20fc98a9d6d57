# Sourced: vorlane_build FLAVOUR configures (once) and builds one flavour of
# the tree under $build/FLAVOUR: native, i686 or x86_64.
# vorlane_build_release ARCH [TARGET...] builds the shipped programs (or the
# targets named) for i686 or x86_64 under $build/release-ARCH, small and
# stripped, without the tests.
vorlane_build() {
  local flavour="$1"
  local dir="$build/$flavour"
  local args=(-G Ninja -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo
              -DVORLANE_WERROR=ON)
  case "$flavour" in
    native) ;;
    i686|x86_64) args+=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$flavour-mingw.cmake") ;;
    *) echo "build: unknown flavour $flavour" >&2; return 1 ;;
  esac
  if [ ! -f "$dir/build.ninja" ]; then
    cmake "${args[@]}" >/dev/null
  fi
  echo "== build: $flavour"
  cmake --build "$dir"
}

vorlane_build_release() {
  local arch="$1"
  shift
  case "$arch" in
    i686|x86_64) ;;
    *) echo "build: unknown release architecture $arch" >&2; return 1 ;;
  esac
  local dir="$build/release-$arch"
  local targets=("$@")
  if [ "${#targets[@]}" -eq 0 ]; then targets=(Vorlane config Shellix); fi
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -G Ninja -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=Release \
      -DVORLANE_WERROR=ON \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$arch-mingw.cmake" >/dev/null
  fi
  echo "== build: release $arch (${targets[*]})"
  cmake --build "$dir" --target "${targets[@]}"
}
