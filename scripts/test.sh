#!/usr/bin/env bash
# The test command: installs what is missing, builds Zentrobe.exe for x86_64
# and i686 (twice, to check the builds are reproducible), builds the test
# equipment and the tests, and runs every test under Wine (headless) in a
# private prefix inside build/.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
source scripts/lib.sh

ensure_packages

build_everything i686-tests
status=0
check_reproducible || status=1

wine32=0
try_wine32 && wine32=1

wine_prefix "$root/build/wineprefix"
wine_server_start
trap wine_server_stop EXIT

if [ "$wine32" = 1 ]; then
  echo "== i686 tests"
  # The driver service must be made by a 64-bit process (the tests' installer is 32-bit here).
  wine build/x86_64-tests/testbed/driver/tunersim-install.exe install >/dev/null
  ctest --test-dir build/i686-tests --output-on-failure || status=1
else
  echo "!! i686 tests NOT run: 32-bit Windows programs cannot run under Wine on this machine."
  echo "!! The i686 build was compiled and its record sizes checked at compile time only."
fi
echo "== x86_64 tests"
ctest --test-dir build/x86_64-tests --output-on-failure || status=1
exit $status
