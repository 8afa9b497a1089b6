#!/usr/bin/env bash
# The menu bar as a user drives it, with the file chooser drawn in the window:
# a plan drawn by mouse; "Save plan as..." cancelled writes nothing, then
# saved under a typed name writes the plan, lat/lon, route and report files;
# "Delete Plan" and "Load plan" of that file bring the waypoints back with the
# view centred on them; "Stats" opens the statistics and leaves the bar;
# "Edit Waypts" shows the point editor, and a latitude typed there and
# "Enter" move the waypoint (saved again to check it); "Export" > "Route as
# RTZ..." writes the route.
set -euo pipefail
exe=$1
src=$2
source "$src/tests/e2e/lib.sh"
source "$src/tests/e2e/map_lib.sh"
export TESSARIN_FILE_CHOOSER=window

# Menu titles and items in window pixels (the bar's font is 1.3 times the
# default; items are 20 pixels apart).
FILE_X=28 PLAN_X=83 TRANSIT_X=170 STATS_X=257 BAR_Y=12
item_y() { echo $((40 + 20 * ($1 - 1))); }
menu_item() {  # menu_item TITLE_X ITEM_NUMBER
  gui_click "$1" "$BAR_Y"
  gui_click $(($1 + 20)) "$(item_y "$2")"
}

start_flat_world "$exe"
W=$E2E_WORK

# A plan of two waypoints, drawn by mouse.
xdotool mousemove 950 475
xdotool key i
xdotool click 1
wait_for_line "SHOW LAT" 1
xdotool key --delay 15 period period period period period period period period period period \
  period period period period period period period period period period
xdotool mousemove 1250 475 click 1
wait_for_line "SHOW LAT" 2

# Cancelled with Escape: nothing is written.
menu_item "$FILE_X" 2
sleep 1
gui_key Escape
sleep 0.5
[ -z "$(ls "$W" | grep -E 'trip|csv$|cvt$|Report' || true)" ] || fail "a cancelled save wrote: $(ls "$W")"

# Saved under a typed name.
menu_item "$FILE_X" 2
sleep 1
xdotool type --delay 40 trip
gui_key Return
wait_for_line "SPEED"
for f in trip.csv LL_trip.csv trip.cvt trip_Report.txt; do
  for i in $(seq 1 50); do [ -s "$W/$f" ] && break; sleep 0.1; done
  [ -s "$W/$f" ] || fail "Save plan as... did not write $f"
done
[ "$(grep -c . "$W/LL_trip.csv")" -eq 2 ] || fail "LL_trip.csv does not hold the two waypoints"

# File > Export > Route as RTZ...: the submenu opens beside "File" on hover;
# the route is written under the typed name with the extension added.
gui_click "$FILE_X" "$BAR_Y"
xdotool mousemove $((FILE_X + 20)) "$(item_y 7)"
sleep 0.6
gui_click $((FILE_X + 230)) "$(item_y 7)"
sleep 1
xdotool type --delay 40 trip
gui_key Return
for i in $(seq 1 50); do [ -s "$W/trip.rtz" ] && break; sleep 0.1; done
[ -s "$W/trip.rtz" ] || { screenshot "$W/export.png"; fail "Export > Route as RTZ... did not write trip.rtz"; }
grep -q 'name="WP 002"' "$W/trip.rtz" || fail "trip.rtz does not hold the second waypoint"

# Delete Plan, pan away, then Load plan: the waypoints come back and the view
# centres on them (the leg's middle at the window's centre, swath around it).
menu_item "$PLAN_X" 7
wait_for_line "Delete Plan"
xdotool mousemove 950 700
xdotool key --delay 30 Left Left Left Left Up Up
menu_item "$FILE_X" 1
sleep 1
xdotool type --delay 40 trip.csv
gui_key Return
wait_for_line "LOAD PLAN"
wait_for_line "LAT LON 1"
centred() {
  local r g b
  read -r r g b < <(pixel "$SHOT" 950 469)
  is_swath "$r" "$g" "$b" || return 1
  read -r r g b < <(pixel "$SHOT" 950 481)
  is_swath "$r" "$g" "$b" || return 1
  read -r r g b < <(pixel "$SHOT" 950 560)
  is_tile "$r" "$g" "$b"
}
poll_shot "the loaded plan centred in the window" centred

# Stats: the statistics window opens and the entry leaves the bar.
shot_stats() { screenshot "$W/bar.png"; colours "$W/bar.png" $((STATS_X - 20)) 2 45 20; }
[ "$(shot_stats)" -gt 3 ] || fail "the Stats entry is not on the bar"
gui_click "$STATS_X" "$BAR_Y"
wait_for_line "STATS"
xdotool mousemove 950 700
sleep 1
[ "$(shot_stats)" -le 3 ] || fail "the Stats entry stayed on the bar while the window is shown"

# Edit Waypts: the editor shows the current (last loaded) waypoint; a
# latitude typed into its decimal field and "Enter" move it.
menu_item "$PLAN_X" 2
sleep 1
EX=760 EY=380   # the editor's first place: 0.4 of the window's width and height
gui_click $((EX + 75)) $((EY + 70))
xdotool keydown ctrl keydown a
sleep 0.25
xdotool keyup a keyup ctrl
sleep 0.3
xdotool type --delay 40 17.25
sleep 0.3
gui_click $((EX + 75)) $((EY + 222))
menu_item "$FILE_X" 2
sleep 1
xdotool type --delay 40 moved
gui_key Return
for i in $(seq 1 50); do [ -s "$W/LL_moved.csv" ] && break; sleep 0.1; done
grep -q "^17.25" "$W/LL_moved.csv" || fail "the typed latitude did not reach the waypoint: $(cat "$W/LL_moved.csv")"

xdotool mousemove 950 700
xdotool key q
wait_exit 1
echo "main_menu: ok"
