#!/usr/bin/env bash
# One catalogue on two PCs: two real programs on two folders with a small
# sync tool between them, edits made on both sides through the windows (by
# the accessibility bus). At the end both folders hold every edit, and at no
# step was an edit missing from the folder it was made in. Run under a display.
# Usage: two_pcs_test.sh MORVANE
set -u
here=$(cd "$(dirname "$0")" && pwd)
if [ "${2:-}" != --inside ]; then
  exec dbus-run-session -- "$0" "$1" --inside
fi
program=$1
scratch=$(mktemp -d)
mkdir -m 700 "$scratch/pc1" "$scratch/pc2" "$scratch/sync"
# Nothing left behind (the bus daemons, the web engine's processes) may hold
# the test runner's output open once the drive has ended.
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 </dev/null & bus=$!
pids=()
trap 'kill -KILL "${pids[@]}" $bus 2>/dev/null; rm -rf "$scratch"' EXIT
unset NO_AT_BRIDGE
export WEBKIT_DISABLE_COMPOSITING_MODE=1
"$program" --data-dir "$scratch/pc1" --service-url http://127.0.0.1:1 >/dev/null 2>"$scratch/pc1.err" </dev/null & pids+=($!)
"$program" --data-dir "$scratch/pc2" --service-url http://127.0.0.1:1 >/dev/null 2>"$scratch/pc2.err" </dev/null & pids+=($!)
/usr/bin/python3 "$here/two_pcs_drive.py" "${pids[0]}" "${pids[1]}" "$scratch" "$here/sync_folders.sh"
status=$?
[ $status = 0 ] || tail -n 5 "$scratch/pc1.err" "$scratch/pc2.err"
exit $status
