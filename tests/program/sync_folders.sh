#!/usr/bin/env bash
# A small file-sync tool between two folders, as the test of two PCs needs
# one: a data file changed in one folder only is copied over the other's (to
# a temporary name first, then renamed, as sync tools do); changed in both,
# the newer wins and the other is left beside it as a conflict copy.
# Usage: sync_folders.sh FOLDER1 FOLDER2 STATE_FOLDER
set -eu
name=VexaSiteData.dat
one=$1/$name two=$2/$name last=$3/last.dat
changed() { [ -f "$1" ] && ! cmp -s "$1" "$last"; }
put() { # from, to folder
  cp -p "$1" "$2/.$name.syncing"
  mv -f "$2/.$name.syncing" "$2/$name"
  cp -p "$1" "$last"
}
[ -f "$last" ] || : >"$last"
if changed "$one" && changed "$two"; then
  if [ "$one" -nt "$two" ]; then winner=$1 loser=$2; else winner=$2 loser=$1; fi
  stamp=$(date +%Y%m%d-%H%M%S)
  cp -p "$loser/$name" "$loser/VexaSiteData.sync-conflict-$stamp-TESTPC1.dat"
  put "$winner/$name" "$loser"
  echo conflict
elif changed "$one"; then
  put "$one" "$2"
  echo "1 -> 2"
elif changed "$two"; then
  put "$two" "$1"
  echo "2 -> 1"
else
  echo same
fi
