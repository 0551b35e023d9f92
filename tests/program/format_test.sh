#!/bin/sh
# Every C++ file of the tree is laid out as .clang-format says; names the
# files that are not. usage: format_test.sh <source dir> <clang-format>
set -eu
cd "$1"
files=$(find util catalogue web health browser navi app tests bench fuzz -name '*.h' -o -name '*.cpp' | sort)
if "$2" --dry-run --Werror $files; then
  echo "$(echo "$files" | wc -l) files laid out as .clang-format says"
else
  echo "run: clang-format -i on the files named above" >&2
  exit 1
fi
