#!/usr/bin/env bash
# Zentrobe.exe in a folder that cannot be written (made immutable with
# chattr, which holds even for root): the settings cannot be saved, the run
# still launches and exits 0, and an existing settings file is left as it was.
# Usage: read_only_folder.sh ZENTROBE_EXE PLAYER_EXE TUNERSIM_INSTALL SCRATCH
set -uo pipefail
exe=$1 player=$2 installer=$3 scratch=$4
dir=$scratch/read_only_folder
log=$scratch/read_only_folder.log
source "$(dirname "$0")/../../scripts/lib.sh"  # wine_path

chattr -R -i "$dir" 2>/dev/null
rm -rf "$dir" "$log"
mkdir -p "$dir/with_file" "$dir/without_file"
if ! chattr +i "$dir/without_file" 2>/dev/null; then
  echo "SKIP: this file system cannot make a folder read-only for root"
  exit 77
fi
chattr -i "$dir/without_file"
trap 'chattr -R -i "$dir" 2>/dev/null' EXIT

printf '[White]\r\nPath=%s\r\nParam=-keep\r\n' "$(wine_path "$dir/with_file/FriioView.exe")" >"$dir/expected.ini"
for d in with_file without_file; do cp "$exe" "$player" "$dir/$d/"; done
cp "$dir/expected.ini" "$dir/with_file/Zentrobe.ini"
wine "$installer" install F4 >/dev/null || { echo "FAIL: could not install a simulated tuner"; exit 1; }
chattr +i "$dir/with_file/Zentrobe.ini" "$dir/with_file" "$dir/without_file"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
for d in with_file without_file; do
  SUBPLAYER_LOG=$(wine_path "$log") SUBPLAYER_LIFETIME_MS=1000 timeout 60 wine "$dir/$d/Zentrobe.exe" -t0
  rc=$?
  [ "$rc" = 0 ] || fail "$d: exit code $rc"
done
cmp -s "$dir/expected.ini" "$dir/with_file/Zentrobe.ini" || fail "the existing settings file changed"
[ -e "$dir/without_file/Zentrobe.ini" ] && fail "a settings file appeared in a read-only folder"
starts=$(grep -c . "$log" 2>/dev/null || echo 0)
[ "$starts" = 2 ] || fail "expected 2 player starts, the log has $starts"
wine "$installer" install >/dev/null

if [ "$failures" = 0 ]; then echo "read-only folder: launched twice, nothing written, exit codes 0"; fi
[ "$failures" = 0 ]
