# Helpers shared by the README's commands (test.sh, demo.sh). Source, don't run.

# Debian packages the build, the tests and the demo need.
ZENTROBE_PACKAGES=(
  cmake ninja-build g++-mingw-w64-x86-64 g++-mingw-w64-i686 mingw-w64-tools
  wine wine64 fonts-wine googletest xvfb xauth x11-utils imagemagick fonts-ipafont-gothic zip
)

# Installs whatever of ZENTROBE_PACKAGES is missing (apt-get update first).
ensure_packages() {
  local missing=()
  for p in "${ZENTROBE_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "== installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# Tries once to make 32-bit Windows programs runnable (Debian's wine32:i386).
# The i386 index is sometimes out of step with amd64 and the install fails;
# then the i386 architecture is removed again so later apt-get runs still work.
try_wine32() {
  dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed' && return 0
  [ -n "${ZENTROBE_SKIP_WINE32:-}" ] && return 1
  echo "== trying to install wine32:i386 for the 32-bit tests"
  export DEBIAN_FRONTEND=noninteractive
  dpkg --add-architecture i386
  apt-get update -qq >/dev/null 2>&1
  if apt-get install -y -qq --no-install-recommends wine32:i386 >/dev/null 2>&1; then
    return 0
  fi
  dpkg --remove-architecture i386 2>/dev/null || true
  apt-get update -qq >/dev/null 2>&1 || true
  return 1
}

# Configures and builds one tree: configure_and_build SRC BUILD ARCH THREADS [cmake args...]
configure_and_build() {
  local src=$1 build=$2 arch=$3 threads=$4; shift 4
  cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-$arch.cmake" \
    -DZENTROBE_THREADS="$threads" "$@" >/dev/null
  cmake --build "$build"
}

# A private, headless Wine prefix: wine_prefix DIR. Exports WINEPREFIX and
# friends for the caller. Made once; reused while it exists.
wine_prefix() {
  export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
  # A prefix made before 32-bit Wine was installed lacks its 32-bit half.
  local kind=64
  [ -e /usr/lib/wine/wine ] && dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'ok installed' && kind=wow64
  if [ "$(cat "$WINEPREFIX/.zentrobe-ready" 2>/dev/null)" != "$kind" ]; then
    rm -rf "$WINEPREFIX"
    mkdir -p "$(dirname "$WINEPREFIX")"
    wineboot -i >/dev/null 2>&1
    wineserver -w
    # The null graphics driver: windows, dialogs and window walks with no X server.
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    wineserver -w
    echo "$kind" > "$WINEPREFIX/.zentrobe-ready"
  fi
}

# One wineserver for the whole run, so test processes don't each start their own.
wine_server_start() {
  wineserver -p 2>/dev/null || true  # one may already be running
  wine cmd /c exit >/dev/null 2>&1 || true
}

wine_server_stop() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
}

# A Unix path as Wine shows it, on drive Z:.
wine_path() {
  local p=$1
  printf 'Z:%s' "${p//\//\\}"
}

# Where the shipped Zentrobe.exe of an architecture (x86_64, i686) is built.
shipped_exe() {
  printf '%s' "build/$1/Zentrobe.exe"
}

# Builds the shipped Zentrobe.exe for both architectures (win32 threads, the
# product alone). Run from the repository's root.
build_shipped() {
  local root=$PWD arch
  echo "== building the shipped Zentrobe.exe (x86_64, i686)"
  for arch in x86_64 i686; do
    configure_and_build "$root" "build/$arch" "$arch" win32
    echo "   $arch: $(stat -c %s "$(shipped_exe $arch)") bytes, imports:" \
      $("$arch-w64-mingw32-objdump" -p "$(shipped_exe $arch)" | awk '/DLL Name/ {print $3}')
  done
}

# Builds the shipped Zentrobe.exe for both architectures and the x86_64 test
# tree (test equipment, tests, benchmarks); with "i686-tests" also the i686
# test tree. Run from the repository's root.
build_everything() {
  local root=$PWD
  build_shipped
  local release=(-DZENTROBE_RELEASE_EXE_X64="$root/$(shipped_exe x86_64)"
    -DZENTROBE_RELEASE_EXE_X86="$root/$(shipped_exe i686)")
  echo "== building the test equipment and the tests (x86_64)"
  configure_and_build "$root" build/x86_64-tests x86_64 posix -DZENTROBE_TESTS=ON \
    -DZENTROBE_SHIPPED_EXE="$root/$(shipped_exe x86_64)" "${release[@]}"
  if [ "${1:-}" = i686-tests ]; then
    echo "== building the tests (i686)"
    configure_and_build "$root" build/i686-tests i686 posix -DZENTROBE_TESTS=ON \
      -DZENTROBE_SHIPPED_EXE="$root/$(shipped_exe i686)" "${release[@]}" \
      -DZENTROBE_TESTBED_DIR="$root/build/x86_64-tests/testbed"
  fi
}
