#!/usr/bin/env bash
# Saving Zentrobe.ini on a disk that is full (a small tmpfs, filled up): the
# file is the old one or the new one, whole, and a change the user made is
# kept wherever it fits. The profile writer does not check its writes, so a
# file it writes where there is no room is cut short without a word.
# Usage: full_disk.sh SETTINGS_SAVER SCRATCH
set -uo pipefail
saver=$1 scratch=$2
dir=$scratch/full_disk
reference=$scratch/full_disk_reference
name=$(basename "$saver")

umount "$dir" 2>/dev/null
rm -rf "$dir" "$reference"
mkdir -p "$dir" "$reference"
if ! mount -t tmpfs -o size=4m tmpfs "$dir" 2>/dev/null; then
  echo "SKIP: cannot mount a small file system here"
  exit 77
fi
trap 'umount "$dir"; rmdir "$dir"' EXIT
block=$(stat -f -c %S "$dir")

# A settings file of exactly 16 blocks: ours first, other programs' sections
# after them. The saver changes Black's extra parameters (appends " again"),
# so the new file needs a 17th block.
nl=$'\r\n'
body="[Black]${nl}Path=D:\\TV\\B.exe${nl}Param=-b$nl[White]${nl}Path=D:\\TV\\W.exe${nl}Param=$nl"
length=${#body}
for ((i = 0; length < 16 * block - 100; i++)); do
  body+="[Other$i]${nl}Key=kkkkkkkkkkkkkkkkkkkk$nl"
  length=$((length + 35 + ${#i}))
done
pad=$((16 * block - length - 3))  # a comment line fills the rest: ";ppp...\r\n"
printf '%s;%s\r\n' "$body" "$(head -c "$pad" /dev/zero | tr '\0' p)" >"$reference/old.ini"
[ "$(stat -c %s "$reference/old.ini")" = $((16 * block)) ] || { echo "FAIL: the file is not 16 blocks"; exit 1; }

# The new file, as the saver writes it where there is room.
cp "$saver" "$reference/"
cp "$reference/old.ini" "$reference/Zentrobe.ini"
timeout 60 wine "$reference/$name" 1 || { echo "FAIL: the saver failed"; exit 1; }
cp "$reference/Zentrobe.ini" "$reference/new.ini"
cmp -s "$reference/old.ini" "$reference/new.ini" && { echo "FAIL: the saver changed nothing"; exit 1; }

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# free_blocks EXPECTED: what is left free besides the file, and what it must become.
for room in "16 new" "1 new" "0 old"; do
  set -- $room
  free=$1 expected=$2
  rm -f "$dir"/*
  cp "$saver" "$dir/"
  cp "$reference/old.ini" "$dir/Zentrobe.ini"
  dd if=/dev/zero of="$dir/filler" bs="$block" count=$(($(stat -f -c %a "$dir") - free)) status=none 2>/dev/null
  [ "$(stat -f -c %a "$dir")" = "$free" ] || { fail "could not leave $free blocks free"; continue; }
  timeout 60 wine "$dir/$name" 1 || fail "$free blocks free: the saver failed"
  if cmp -s "$dir/Zentrobe.ini" "$reference/$expected.ini"; then
    echo "$free blocks free beside a file of 16: the $expected file, whole"
  else
    for other in old new; do cmp -s "$dir/Zentrobe.ini" "$reference/$other.ini" && break; other=; done
    fail "$free blocks free: expected the $expected file, found ${other:-neither:} $(stat -c %s "$dir/Zentrobe.ini") bytes"
  fi
  left=$(ls "$dir" | grep -i '^zen.*\.tmp$')
  [ -z "$left" ] || fail "$free blocks free: a save left $left beside the file"
done
left=$(find "$WINEPREFIX/drive_c/users" -iname 'Zen*.tmp' 2>/dev/null)
[ -z "$left" ] || fail "a save left files in the temporary folder: $left"
[ "$failures" = 0 ]
