#!/usr/bin/env bash
# The release command: builds the shipped Zentrobe.exe for x86_64 and i686 and
# packs both, with the Japanese and English usage texts and their SHA256SUMS,
# into build/release/Zentrobe-<version>.zip, with a copy of SHA256SUMS beside
# it. Run from the repository's root.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
source scripts/lib.sh

version=1.0.0.0
zip_file=build/release/Zentrobe-$version.zip

ensure_packages

build_shipped

# A fresh staging folder, so nothing left from an earlier release slips in.
stage=build/release/stage
rm -rf "$stage"
mkdir -p "$stage/x86" "$stage/x64"
cp "$(shipped_exe i686)" "$stage/x86/Zentrobe.exe"
cp "$(shipped_exe x86_64)" "$stage/x64/Zentrobe.exe"
cp res/release/README-ja.txt res/release/README-en.txt "$stage/"

# Checksums of everything in the zip, inside it and beside it, so that what
# was downloaded can be checked with sha256sum -c (the executables are built
# reproducibly, so anyone can rebuild them and compare).
files=(README-ja.txt README-en.txt x86/Zentrobe.exe x64/Zentrobe.exe)
(cd "$stage" && sha256sum "${files[@]}" >SHA256SUMS)

# Fixed modes and timestamps, a fixed order and no extra attributes (-X): the same
# inputs give the same zip bytes.
chmod 644 "$stage"/README-*.txt "$stage/SHA256SUMS"
chmod 755 "$stage"/x86/Zentrobe.exe "$stage"/x64/Zentrobe.exe
find "$stage" -exec touch -h -d '2026-01-01 00:00:00 UTC' {} +
rm -f "$zip_file"
(cd "$stage" && TZ=UTC zip -X -D -q -9 "$root/$zip_file" "${files[@]}" SHA256SUMS)
cp "$stage/SHA256SUMS" build/release/SHA256SUMS
rm -rf "$stage"

echo "== release"
echo "$root/$zip_file"
echo "$(stat -c %s "$zip_file") bytes"
zip -sf "$zip_file"  # zip itself lists it: unzip may not be installed
echo "$root/build/release/SHA256SUMS:"
sed 's/^/   /' build/release/SHA256SUMS
