#!/usr/bin/env bash
# Zentrobe.exe in a folder that cannot be written (made immutable with
# chattr, which holds even for root): the settings cannot be saved, the run
# still launches and exits 0, and an existing settings file is left as it was,
# even by a save that carries a change the user made. Where the file itself
# can still be written in such a folder, that change is written in place.
# Usage: read_only_folder.sh ZENTROBE_EXE PLAYER_EXE TUNERSIM_INSTALL SCRATCH SETTINGS_SAVER
set -uo pipefail
exe=$1 player=$2 installer=$3 scratch=$4 saver=$5
dir=$scratch/read_only_folder
log=$scratch/read_only_folder.log
source "$(dirname "$0")/../../scripts/lib.sh"  # wine_path

chattr -R -i "$dir" 2>/dev/null
rm -rf "$dir" "$log"
mkdir -p "$dir/with_file" "$dir/without_file" "$dir/file_only"
if ! chattr +i "$dir/without_file" 2>/dev/null; then
  echo "SKIP: this file system cannot make a folder read-only for root"
  exit 77
fi
chattr -i "$dir/without_file"
trap 'chattr -R -i "$dir" 2>/dev/null' EXIT

printf '[White]\r\nPath=%s\r\nParam=-keep\r\n' "$(wine_path "$dir/with_file/FriioView.exe")" >"$dir/expected.ini"
for d in with_file without_file; do cp "$exe" "$player" "$dir/$d/"; done
cp "$dir/expected.ini" "$dir/with_file/Zentrobe.ini"
# The saver loads the file beside it, changes the Black extra parameters as
# the settings dialog would, and saves.
cp "$saver" "$dir/with_file/"
cp "$saver" "$dir/file_only/"
printf '[Black]\r\nParam=-b\r\n' >"$dir/file_only/Zentrobe.ini"
wine "$installer" install F4 >/dev/null || { echo "FAIL: could not install a simulated tuner"; exit 1; }
chattr +i "$dir/with_file/Zentrobe.ini" "$dir/with_file" "$dir/without_file" "$dir/file_only"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
for d in with_file without_file; do
  SUBPLAYER_LOG=$(wine_path "$log") SUBPLAYER_LIFETIME_MS=1000 timeout 60 wine "$dir/$d/Zentrobe.exe" -t0
  rc=$?
  [ "$rc" = 0 ] || fail "$d: exit code $rc"
done
timeout 60 wine "$dir/with_file/$(basename "$saver")" 1 || fail "with_file: the saver failed"
cmp -s "$dir/expected.ini" "$dir/with_file/Zentrobe.ini" || fail "the existing settings file changed"
timeout 60 wine "$dir/file_only/$(basename "$saver")" 1 || fail "file_only: the saver failed"
grep -q 'Param=-b again' "$dir/file_only/Zentrobe.ini" ||
  fail "a change the user made was lost where the file could be written in place"
left=$(find "$WINEPREFIX/drive_c/users" -iname 'Zen*.tmp' 2>/dev/null)
[ -z "$left" ] || fail "a save left files in the temporary folder: $left"
[ -e "$dir/without_file/Zentrobe.ini" ] && fail "a settings file appeared in a read-only folder"
starts=$(grep -c . "$log" 2>/dev/null || echo 0)
[ "$starts" = 2 ] || fail "expected 2 player starts, the log has $starts"
wine "$installer" install >/dev/null

if [ "$failures" = 0 ]; then
  echo "read-only folder: launched twice, nothing written, exit codes 0; a user's change written in place"
fi
[ "$failures" = 0 ]
