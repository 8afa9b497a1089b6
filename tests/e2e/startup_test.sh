#!/usr/bin/env bash
# The real program starts in an almost empty folder: greeting, configuration
# echo, the missing-file lines, a drawn window, and key q ends it with status 1.
set -euo pipefail
exe=$1
src=$2
source "$src/tests/e2e/lib.sh"

make_workdir
printf 'boat_speed 10.5\ndepth_multiplier 4.5\nday_rate 52000\nend\n' >"$E2E_WORK/config.txt"
start_xvfb
start_app "$exe"

wait_for_line "hello bathy world"
wait_for_line "yes"
wait_for_line "boat speed READ 10.5"
wait_for_line "dep Mult 4.5"
wait_for_line "Day Rate 52000"
wait_for_line "FAILED TO OPEN EMdefault.txt"
wait_window
sleep 1

shot="$E2E_WORK/shot.png"
screenshot "$shot"
# The window lies at the screen origin; the map area is cleared to the
# planner's dark blue, never left black.
read -r r g b < <(pixel "$shot" 950 600)
[ "$r" -gt 10 ] || [ "$g" -gt 10 ] || [ "$b" -gt 10 ] || fail "window is blank at (950, 600): $r $g $b"

head -n 1 "$APP_LOG" | grep -qx "hello bathy world" || fail "the greeting is not the first line"

xdotool mousemove 950 475
xdotool key q
wait_exit 1
echo "startup: ok"
