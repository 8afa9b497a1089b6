#!/usr/bin/env bash
# Key a in the real program, in a world without tiles: the demo transit is
# planned on its great circle with the progress bar installed, standard output
# holds only the planner's lines (progress goes to standard error), and the
# window still answers keys afterwards.
set -euo pipefail
exe=$1
src=$2
source "$src/tests/e2e/lib.sh"

make_workdir
printf 'end\n' >"$E2E_WORK/config.txt"
start_xvfb
APP_LOG="$E2E_WORK/stdout.log"
ERR_LOG="$E2E_WORK/stderr.log"
program=$(realpath "$exe")
(cd "$E2E_WORK" && exec "$program" >"$APP_LOG" 2>"$ERR_LOG" </dev/null) &
APP_PID=$!
wait_window
sleep 1

xdotool mousemove 950 600
xdotool key a
wait_for_line "SEG 3 done"
# The whole transit goes in after the current waypoint, in route order.
wait_for_line "ADD  WAYPOINT " 8
if grep -q "ADD  START WAYPOINT" "$APP_LOG"; then fail "part of the transit went to the head of the plan"; fi
grep -q "GREAT CIRCLE DISTANCE " "$APP_LOG" || fail "no great circle"
grep -q "LOAD TILES ON ARC " "$APP_LOG" || fail "no arc preload"
if grep -qE "Transit segment|Loading tiles" "$APP_LOG"; then fail "progress reached standard output"; fi

# x reports the seven legs of the plan.
xdotool key x
wait_for_line "PATH OVERLAP "
[ "$(grep -c 'Len p ' "$APP_LOG")" -eq 7 ] || fail "path overlap did not report seven legs"

xdotool key q
wait_exit 1
echo "transit: ok"
