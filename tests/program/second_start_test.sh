#!/usr/bin/env bash
# Two real programs on one data folder: the second says so in a box and
# changes nothing, the first carries on. Run under a display.
# Usage: second_start_test.sh MORVANE
set -u
program=$1
scratch=$(mktemp -d)
pids=()
trap 'kill -KILL "${pids[@]}" 2>/dev/null; rm -rf "$scratch"' EXIT
data=$scratch/data
passed=0 failed=0
check() { # description, condition...
  local what=$1; shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $what"; fi
}
window_up() { # title part; waits up to 30 s
  for _ in $(seq 300); do
    xwininfo -root -tree 2>/dev/null | grep -qF "$1" && return 0
    sleep 0.1
  done
  return 1
}
listing() { (cd "$data" && find . -path ./browser -prune -o -printf '%p %s %T@\n' | sort); }

"$program" --data-dir "$data" & pids+=($!)
check "the first window opens" window_up "Morvane 8"
before=$(listing)
"$program" --data-dir "$data" & second=$!; pids+=($second)
check "the second start shows a box" window_up "エラー"
check "the second start opened no window of its own" \
  [ "$(xwininfo -root -tree | grep -cF "Morvane 8")" = 1 ]
check "the folder is as the first left it" [ "$(listing)" = "$before" ]
kill -TERM "$second"
wait "$second" 2>/dev/null
kill -TERM "${pids[0]}"
wait "${pids[0]}"
check "the first still closes normally" [ $? = 0 -a -f "$data/VexaSiteData.dat" ]

echo "$passed passed, $failed failed"
[ $failed = 0 ]
