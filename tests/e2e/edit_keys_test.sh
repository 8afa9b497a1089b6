#!/usr/bin/env bash
# Keys that must not be lost, and work that must not be lost, in the real
# program: a latitude typed into the point editor (click the field, End,
# BackSpace, the number, Return) sent as fast as xdotool can, so that presses
# and releases fall between frames, is stored every time; Tab with the editor
# showing is the polygon's command, so key i and a click after it add a
# waypoint; Ctrl+Z takes that waypoint back; killed with SIGKILL and started
# again, the planner offers the work and "Recover unsaved work" restores it.
set -euo pipefail
exe=$1
src=$2
source "$src/tests/e2e/lib.sh"
source "$src/tests/e2e/map_lib.sh"
export TESSARIN_FILE_CHOOSER=window

RUNS=${EDIT_KEYS_RUNS:-20}

start_flat_world "$exe"
PLAN="$E2E_WORK/recovery/plan.csv"

# Waypoint lines of the recovery file: "lon, lat, y, speed, multiplier".
waypoints() { grep -cE '^-?[0-9]' "$PLAN" 2>/dev/null || echo 0; }
first_lat() { grep -E '^-?[0-9]' "$PLAN" | head -n 1 | cut -d, -f2 | tr -d ' '; }
wait_waypoints() {
  local i
  for i in $(seq 1 $((E2E_TIMEOUT * 10))); do
    [ "$(waypoints)" -eq "$1" ] && return 0
    sleep 0.1
  done
  fail "the plan holds $(waypoints) waypoints, expected $1"
}

# Two waypoints; key e's edge check walks the plan from its first waypoint,
# which the editor then shows.
xdotool mousemove 950 475
xdotool key i
xdotool click 1
wait_for_line "SHOW LAT" 1
xdotool mousemove 1250 475 click 1
wait_for_line "SHOW LAT" 2
wait_waypoints 2
xdotool mousemove 950 700 key e
sleep 1

EX=760 EY=380   # the editor's first place: 0.4 of the window's width and height
good=0
for run in $(seq 1 "$RUNS"); do
  if [ $((run % 2)) -eq 1 ]; then want=19.5; else want=18.25; fi
  # One xdotool call: no pause between the events.
  xdotool mousemove $((EX + 75)) $((EY + 70)) click 1 key End \
    key BackSpace BackSpace BackSpace BackSpace BackSpace BackSpace BackSpace BackSpace BackSpace BackSpace BackSpace \
    type "$want"
  xdotool key Return
  stored=""
  for i in $(seq 1 50); do
    stored=$(first_lat)
    [ "$stored" = "$want" ] && break
    sleep 0.1
  done
  if [ "$stored" = "$want" ]; then good=$((good + 1)); else echo "run $run stored $stored, not $want" >&2; fi
done
[ "$good" -eq "$RUNS" ] || fail "the typed latitude was stored in $good of $RUNS runs"

# Tab with the editor showing rotates the polygon; i and a click then add a
# waypoint instead of typing into the editor.
tabs=$(count_lines "TAB ")
xdotool mousemove 1100 300 key Tab
wait_for_line "TAB " $((tabs + 1))
xdotool key i
sleep 0.3
xdotool mousemove 1100 300 click 1
wait_waypoints 3

# Ctrl+Z takes it back, Ctrl+Y gives it again.
xdotool key ctrl+z
wait_waypoints 2
xdotool key ctrl+y
wait_waypoints 3
saved=$(grep -E '^-?[0-9]' "$PLAN")

# SIGKILL: the next start offers the work, and recovering brings it back.
kill -9 "$APP_PID"
wait "$APP_PID" 2>/dev/null || true
start_app "$exe"
wait_for_line "hello bathy world"
wait_window
wait_for_line "Edit > Recover unsaved work"
EDIT_X=312 BAR_Y=12
xdotool mousemove "$EDIT_X" "$BAR_Y"
sleep 0.4
xdotool mousedown 1
sleep 0.25
xdotool mouseup 1
sleep 0.5
xdotool mousemove $((EDIT_X + 40)) 80
sleep 0.4
xdotool mousedown 1
sleep 0.25
xdotool mouseup 1
wait_for_line "Recovered 3 waypoints"
wait_waypoints 3
[ "$(grep -E '^-?[0-9]' "$PLAN")" = "$saved" ] || fail "the recovered plan differs: $(cat "$PLAN")"

xdotool mousemove 950 700 key q
wait_exit 1
echo "edit_keys: ok"
