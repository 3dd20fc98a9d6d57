# Sourced: vorlane_build FLAVOUR configures (once) and builds one flavour of
# the tree under $build/FLAVOUR: native, i686 or x86_64.
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
