# Helpers shared by the README's commands (test.sh, demo.sh) and bench.sh,
# release.sh. Source, don't run.

# Debian packages the build, the tests and the demo need.
ZENTROBE_PACKAGES=(
  cmake ninja-build g++-mingw-w64-x86-64 g++-mingw-w64-i686 mingw-w64-tools
  wine wine64 fonts-wine googletest xvfb xauth x11-utils imagemagick fonts-ipafont-gothic zip
)

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

# Installs whatever of ZENTROBE_PACKAGES is missing (apt-get update first),
# and mends a 32-bit Wine that cannot run here.
ensure_packages() {
  local missing=()
  for p in "${ZENTROBE_PACKAGES[@]}"; do
    installed "$p" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "== installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
  drop_unrunnable_wine32
}

# --- 32-bit Wine (wine32:i386), for the i686 tests ----------------------------
# Three kinds of machine: it installs and runs; it does not install (the i386
# index is out of step with amd64, and while the i386 architecture is added
# every apt-get update fails); or it installs but the kernel cannot run 32-bit
# programs (IA-32 emulation off: "32-bit emulation disabled" in dmesg). In the
# last case /usr/bin/wine prefers the 32-bit loader once it exists, so every
# Wine call fails, 64-bit ones included. None of them may be left worse.

# True when the kernel runs 32-bit x86 programs: a 96-byte i386 ELF whose
# only work is to exit with code 42.
kernel_runs_32bit() {
  local probe code=0
  probe=$(mktemp) || return 1
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' >"$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null || code=$?
  rm -f "$probe"
  [ "$code" = 42 ]
}

# True when Debian's 32-bit Wine loader runs here.
wine32_runs() {
  /usr/lib/wine/wine --version >/dev/null 2>&1
}

# Every :i386 package dpkg knows, one per line.
i386_packages() {
  dpkg-query -W -f='${Package}:${Architecture}\n' 2>/dev/null | grep ':i386$' | sort
}

# Purges the :i386 packages that are not in $1 (the list from before an
# install; empty: all of them), then removes the i386 architecture when $2 is
# 1 (this command added it). libgcc-s1:i386 is marked protected.
remove_wine32() {
  local before=$1 added=$2 purge
  purge=$(comm -23 <(i386_packages) <(printf '%s\n' "$before" | grep . | sort))
  if [ -n "$purge" ]; then
    # shellcheck disable=SC2086 # one package a word
    dpkg --purge --force-remove-protected $purge >/dev/null 2>&1 ||
      dpkg --purge --force-remove-protected --force-depends $purge >/dev/null 2>&1 || true
  fi
  if [ "$added" = 1 ] && [ -z "$(i386_packages)" ]; then
    dpkg --remove-architecture i386 2>/dev/null || true
  fi
  apt-get update -qq >/dev/null 2>&1 || true
}

# A wine32:i386 that cannot run here breaks every Wine call; whoever
# installed it, it is removed, so that the 64-bit Wine works again.
drop_unrunnable_wine32() {
  installed wine32:i386 || return 0
  wine32_runs && return 0
  echo "!! wine32:i386 is installed but cannot run on this machine, and while it is"
  echo "!! installed every Wine call fails, 64-bit ones included: removing it again"
  remove_wine32 "" 0
}

# Installs wine32:i386 and checks that it runs; where it does not install or
# does not run, undoes exactly what it installed. True when it runs.
install_wine32() {
  local before added=0
  before=$(i386_packages)
  echo "== trying to install wine32:i386 for the 32-bit tests"
  export DEBIAN_FRONTEND=noninteractive
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
    added=1
  fi
  # Interrupted halfway, the machine must not keep a half-made 32-bit Wine.
  trap 'remove_wine32 "$before" "$added"; exit 130' INT TERM
  if apt-get update -qq >/dev/null 2>&1 &&
    apt-get install -y -qq --no-install-recommends wine32:i386 >/dev/null 2>&1 &&
    wine32_runs; then
    trap - INT TERM
    return 0
  fi
  if installed wine32:i386; then
    echo "!! wine32:i386 installed but does not run here: removing it and what it brought"
  else
    echo "!! wine32:i386 did not install: removing the i386 architecture again"
  fi
  remove_wine32 "$before" "$added"
  trap - INT TERM
  wine --version >/dev/null 2>&1 || echo "!! Wine still does not run after undoing the install"
  return 1
}

# Makes 32-bit Windows programs runnable if this machine can run them at all.
# True when they run. ZENTROBE_SKIP_WINE32=1 skips the attempt.
try_wine32() {
  if installed wine32:i386; then
    wine32_runs
    return
  fi
  [ -n "${ZENTROBE_SKIP_WINE32:-}" ] && return 1
  if ! kernel_runs_32bit; then
    echo "!! this kernel does not run 32-bit programs (IA-32 emulation off?): not installing wine32:i386"
    return 1
  fi
  install_wine32
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

# Builds the shipped Zentrobe.exe for both architectures once more, afresh,
# in another folder, at another time, with another locale, time zone and
# SOURCE_DATE_EPOCH, and checks that the bytes come out the same as those of
# build_shipped. False when an executable differs.
check_reproducible() {
  local arch status=0 again
  echo "== building the shipped Zentrobe.exe again elsewhere: the bytes must not change"
  for arch in x86_64 i686; do
    again=build/reproduce/$arch/Zentrobe.exe
    rm -rf "build/reproduce/$arch"
    TZ=Pacific/Kiritimati LC_ALL=C SOURCE_DATE_EPOCH=1 \
      configure_and_build "$PWD" "build/reproduce/$arch" "$arch" win32 >/dev/null
    if cmp -s "$(shipped_exe $arch)" "$again"; then
      echo "   $arch: identical, sha256 $(sha256sum "$again" | cut -c1-16)..."
    else
      echo "!! $arch: the second build differs (offset, byte, byte):"
      cmp -l "$(shipped_exe $arch)" "$again" | head -5
      status=1
    fi
  done
  return $status
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
