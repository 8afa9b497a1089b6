#!/usr/bin/env bash
# The design windows as a user drives them: a plan of two legs drawn by
# mouse over a flat 3000 m floor; "Design" > "Profile" plots the floor under
# the current leg; hovering the plot marks the point on the map and a click
# centres the map there; "Design" > "Lines" lists both legs, a selected row
# lights its leg on the map, and "Rev" on the second row reverses that leg
# in one swath pass (the plan saved afterwards holds the swapped waypoints).
set -euo pipefail
exe=$1
src=$2
source "$src/tests/e2e/lib.sh"
source "$src/tests/e2e/map_lib.sh"
export TESSARIN_FILE_CHOOSER=window

# "Design" stands right of "Stats" and "Edit" (the statistics window stays closed here).
FILE_X=28 DESIGN_X=370 BAR_Y=12
item_y() { echo $((40 + 20 * ($1 - 1))); }
menu_item() {  # menu_item TITLE_X ITEM_NUMBER
  gui_click "$1" "$BAR_Y"
  gui_click $(($1 + 20)) "$(item_y "$2")"
}
# near_colour FILE X Y W H R G B: how many pixels of the region lie within
# 12 of the colour in each channel (from the region's histogram).
near_colour() {
  convert "$1" -crop "$4x$5+$2+$3" +repage -format %c histogram:info:- |
    awk -v r="$6" -v g="$7" -v b="$8" -F '[:(),]+' '
      function d(a, c) { return a > c ? a - c : c - a }
      { if (d($3, r) <= 12 && d($4, g) <= 12 && d($5, b) <= 12) n += $1 }
      END { print n + 0 }'
}
# The yellow of the profile mark and of the selected leg.
marks_in() { near_colour "$1" "$2" "$3" "$4" "$5" 255 229 25; }

start_flat_world "$exe"
W=$E2E_WORK

# Two legs, east then north-east, drawn by mouse on the tile (zoomed in so
# that the whole plan lies on it).
xdotool mousemove 950 475
xdotool key --delay 15 period period period period period period period period period period \
  period period period period period period period period period period
xdotool key i
xdotool mousemove 500 600 click 1
wait_for_line "SHOW LAT" 1
xdotool mousemove 900 600 click 1
wait_for_line "SHOW LAT" 2
xdotool mousemove 1100 350 click 1
wait_for_line "SHOW LAT" 3
screenshot "$W/drawn.png"

# Design > Profile: the window at the bottom left with the floor drawn.
menu_item "$DESIGN_X" 1
profile_shown() {
  [ "$(near_colour "$SHOT" 120 620 800 200 120 90 60)" -gt 1000 ]
}
poll_shot "the profile window with the floor" profile_shown
cp "$SHOT" "$W/profile.png"

# Hovering the plot: the point is marked on the map (over the current leg,
# the last one drawn).
xdotool mousemove 500 700
sleep 0.6
hover_marked() { [ "$(marks_in "$SHOT" 850 300 350 200)" -gt 10 ]; }
poll_shot "the hovered point marked on the map" hover_marked
cp "$SHOT" "$W/hover.png"

# A click centres the map on it: the mark moves to the window's centre.
gui_click 500 700
xdotool mousemove 500 700
centred_mark() { [ "$(marks_in "$SHOT" 930 455 40 40)" -gt 6 ]; }
poll_shot "the map centred on the clicked point" centred_mark
cp "$SHOT" "$W/centred.png"

xdotool mousemove 950 100
sleep 0.5

# Design > Lines: two rows; selecting the second lights its leg, whose
# lower part shows between the two windows.
screenshot "$SHOT"
[ "$(marks_in "$SHOT" 860 385 300 120)" -eq 0 ] || fail "the map is marked without a hover or a selected row"
menu_item "$DESIGN_X" 2
LX=760 ROW1_Y=112 ROW2_Y=131   # the Lines window's first place and its rows
lines_shown() { [ "$(near_colour "$SHOT" $((LX + 60)) 95 200 50 220 220 220)" -gt 50 ]; }
poll_shot "the lines window with its rows" lines_shown
gui_click $((LX + 14)) "$ROW2_Y"
xdotool mousemove 950 100
leg_lit() { [ "$(marks_in "$SHOT" 860 385 300 120)" -gt 50 ]; }
poll_shot "the selected leg lit on the map" leg_lit
cp "$SHOT" "$W/selected.png"

# "Rev" on the second row: the last two waypoints change places, in one
# swath pass.
passes=$(count_lines "genSwaths 1")
gui_click $((LX + 45)) "$ROW2_Y"
wait_for_line "genSwaths 1" $((passes + 1))
sleep 1
[ "$(count_lines "genSwaths 1")" -eq $((passes + 1)) ] || fail "the reversal ran more than one swath pass"
menu_item "$FILE_X" 2
sleep 1
xdotool type --delay 40 rev
gui_key Return
for i in $(seq 1 50); do [ -s "$W/LL_rev.csv" ] && break; sleep 0.1; done
[ -s "$W/LL_rev.csv" ] || fail "Save plan as... did not write LL_rev.csv"
lats=$(cut -d, -f1 "$W/LL_rev.csv" | tr -d ' ' | tr '\n' ' ')
near "$(echo "$lats" | awk '{ print $2 - $3 }')" 1.18 0.05 ||
  fail "the second leg was not reversed: latitudes $lats"
near "$(echo "$lats" | awk '{ print $1 - $3 }')" 0 0.000001 ||
  fail "the first waypoint moved: latitudes $lats"

xdotool mousemove 950 700
xdotool key q
wait_exit 1
echo "profile_lines: ok"
