#!/usr/bin/env bash
# corvath-scan.exe's totals of a tree mapped as drive S: under Wine equal the
# host's count of the same tree by the POSIX walk's rules, adjusted for what
# Wine reports: a folder's size as 0, a symbolic link to a folder as a reparse
# point with no size (one entry, never entered), a symbolic link to a file as
# that file (its target's sizes and st_ino), a file's allocation as
# st_blocks * 512, its st_ino as its file ID: a file ID listed twice is one
# file, so a hard link counts once, and so does a link to a file in the tree.
#   wine_drive_totals_test.sh WINE_RUN PREFIX CORVATH_SCAN_EXE WORK_DIR
set -euo pipefail
wine_run="$1" prefix="$2" scan="$3" work="$4"

rm -rf "$work"
tree="$work/tree"
mkdir -p "$tree/nested/one/two" "$tree/empty" "$tree/linked" "$tree/dossier é 日本" "$work/outside"
bytes() { head -c "$2" /dev/zero | tr '\0' x >"$1"; }
bytes "$tree/a.bin" 10000
bytes "$tree/with space.txt" 3000
bytes "$tree/dossier é 日本/fïchier ü.txt" 2500
bytes "$tree/nested/one/two/deep.bin" 50000
bytes "$tree/nested/one/sibling.bin" 7000
bytes "$tree/linked/original.bin" 20000
ln "$tree/linked/original.bin" "$tree/nested/link.bin"
bytes "$work/outside/big.bin" 1000000
ln -s "$work/outside" "$tree/to-outside"
ln -s a.bin "$tree/to-a"
# Deeper than MAX_PATH (260) from the drive's root.
deep="$tree"
for i in $(seq 1 20); do deep="$deep/folder-number-$i-of-twenty"; done
mkdir -p "$deep"
bytes "$deep/at-the-bottom.bin" 4000

# Host side. Every file once per inode, a link to a file as its target.
files=$(find "$tree" -mindepth 1 ! -type d | wc -l)
folders=$(find "$tree" -type d | wc -l)
read -r apparent allocated < <(
  find "$tree" -xtype f -exec stat -L -c '%i %s %b' {} + | sort -u -k1,1n |
    awk '{ s += $2; b += $3 * 512 } END { print s, b }')

# Wine side: the tree is drive S: of a prefix of this test's own, so that no
# other test's drive list sees it.
"$wine_run" "$prefix" cmd /c exit >/dev/null 2>&1 || true
ln -sfn "$tree" "$prefix/dosdevices/s:"
output=$("$wine_run" "$prefix" "$scan" -j 4 S: | tr -d '\r')
echo "$output"
value() { sed -n "s/^$1: //p" <<<"$output"; }

status=0
check() {
  if [ "$2" != "$3" ]; then
    echo "FAIL $1: corvath-scan.exe $2, host $3" >&2
    status=1
  else
    echo "ok $1: $2"
  fi
}
check files "$(value files)" "$files"
check folders "$(value folders)" "$folders"
check apparent "$(value apparent)" "$apparent"
check allocated "$(value allocated)" "$allocated"
check errors "$(value errors)" 0
exit $status
