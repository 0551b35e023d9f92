#!/usr/bin/env bash
# The program's command line as a shell user meets it, with no display: help
# and refusals must never need a window. Usage: command_line_test.sh MORVANE
set -u
program=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
passed=0 failed=0
check() { # description, condition...
  local what=$1; shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $what"; fi
}
run() { # args... -> $status, $out, $err
  env -u DISPLAY -u WAYLAND_DISPLAY HOME="$scratch/home" XDG_DATA_HOME="$scratch/xdg" \
    "$program" "$@" >"$scratch/out" 2>"$scratch/err"
  status=$?
  out=$(cat "$scratch/out") err=$(cat "$scratch/err")
}

run --help
check "--help exits 0" [ $status = 0 ]
check "--help names the folder in use" grep -qF "in use: $scratch/xdg/morvane/ (the user's data folder)" "$scratch/out"
run --data-dir "$scratch/given" -h
check "--help names the folder given" grep -qF "in use: $scratch/given/ (given by --data-dir)" "$scratch/out"
run --version
check "--version exits 0 with one line" [ $status = 0 -a "$(wc -l <"$scratch/out")" = 1 ]

for bad in "--bogus" "--data-dir" "--service-url=ftp://host/" "stray" "--help --nonsense"; do
  # shellcheck disable=SC2086 # each case is split into its words on purpose
  run $bad
  check "'$bad' exits 2" [ $status = 2 ]
  check "'$bad' says why on one line" [ "$(wc -l <"$scratch/err")" = 1 -a -z "$out" ]
done
check "nothing was created" [ ! -e "$scratch/xdg" -a ! -e "$scratch/home" -a ! -e "$scratch/given" ]

echo "$passed passed, $failed failed"
[ $failed = 0 ]
