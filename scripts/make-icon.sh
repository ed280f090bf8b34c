#!/bin/bash
# Rebuilds res/Zentrobe.ico from res/icon/make_icon.cpp. The .ico is committed,
# so the product build never needs this; run it after changing the drawing.
# Uses the host's g++ if there is one, else the MinGW compiler and Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work="$root/build-res/icon"
mkdir -p "$work"

if command -v g++ >/dev/null 2>&1; then
  g++ -std=c++17 -O2 -Wall -Wextra -o "$work/make_icon" "$root/res/icon/make_icon.cpp"
  "$work/make_icon" "$root/res/Zentrobe.ico"
else
  x86_64-w64-mingw32-g++-posix -std=c++17 -O2 -Wall -Wextra -static \
    -o "$work/make_icon.exe" "$root/res/icon/make_icon.cpp"
  source "$root/scripts/lib.sh"
  wine_prefix "$root/build-res/wineprefix"
  # Wine maps / to Z:, so a relative path from the res folder is enough.
  (cd "$root/res" && wine "$work/make_icon.exe" Zentrobe.ico)
fi
echo "wrote $root/res/Zentrobe.ico"
