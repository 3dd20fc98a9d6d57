# Sourced: vorlane_build FLAVOUR configures and builds one flavour of the tree
# under $build/FLAVOUR: native, i686 or x86_64.
# The Windows flavours are built as they ship (small, stripped, optimised for
# size) with their tests beside them, so that the tests exercise the very
# programs that are packaged and no second build is needed. The native flavour
# holds the pure core and its tests under AddressSanitizer and UBSan,
# unoptimised, which builds three times faster and loses no check.
# vorlane_build_release ARCH [TARGET...] builds only the shipped programs (or
# the targets named) of that Windows flavour.
vorlane_build_configure() {
  local flavour="$1" dir="$build/$1" type
  local args=(-G Ninja -S "$root" -B "$dir" -DVORLANE_WERROR=ON)
  case "$flavour" in
    native) type=Debug ;;
    i686|x86_64) type=Release
                 args+=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$flavour-mingw.cmake") ;;
    *) echo "build: unknown flavour $flavour" >&2; return 1 ;;
  esac
  # A tree configured by an older script for another build type is built
  # again from nothing rather than mixed.
  if [ -f "$dir/build.ninja" ] &&
     ! grep -qx "CMAKE_BUILD_TYPE:STRING=$type" "$dir/CMakeCache.txt" 2>/dev/null; then
    rm -rf "$dir"
  fi
  if [ ! -f "$dir/build.ninja" ]; then
    cmake "${args[@]}" -DCMAKE_BUILD_TYPE="$type" >/dev/null
  fi
}

vorlane_build() {
  local flavour="$1"
  vorlane_build_configure "$flavour" || return 1
  echo "== build: $flavour"
  cmake --build "$build/$flavour"
}

vorlane_build_release() {
  local arch="$1"
  shift
  case "$arch" in
    i686|x86_64) ;;
    *) echo "build: unknown release architecture $arch" >&2; return 1 ;;
  esac
  local targets=("$@")
  if [ "${#targets[@]}" -eq 0 ]; then targets=(Vorlane config Shellix); fi
  vorlane_build_configure "$arch" || return 1
  echo "== build: $arch (${targets[*]})"
  cmake --build "$build/$arch" --target "${targets[@]}"
}

