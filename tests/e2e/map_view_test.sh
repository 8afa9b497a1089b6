#!/usr/bin/env bash
# Moving and zooming the map in the real program: arrow keys move the view by
# 12.5 reference pixels, wheel steps zoom by 1.1 about the window centre, and a
# click in the top-left corner suspends the map until key f.
set -euo pipefail
exe=$1
src=$2
source "$src/tests/e2e/lib.sh"
source "$src/tests/e2e/map_lib.sh"

start_flat_world "$exe"

# An Idle click makes the tile resident (and starts a pan that ends at once).
xdotool mousemove 950 475 click 1
wait_for_line "NOT PICKED VS ES 3 9"
wait_for_line "READ DATA MAP FILE NAME"
# Zoom 5 * 1.2^20 = 191.7: the tile's east edge (longitude -28) lies
# 2 * 191.7 pixels right of the centre (longitude -30).
xdotool key --delay 15 period period period period period period period period period period \
  period period period period period period period period period period

EDGE=-1
edge_near() {
  EDGE=$(tile_east_edge "$SHOT" 300)
  near "$EDGE" "$1" "$2"
}
poll_shot "the tile's east edge near x = 1333" edge_near 1333 3
start_edge=$EDGE

xdotool key Left
poll_shot "Left: the map moves 12.5 pixels right" edge_near $((start_edge + 12)) 2
xdotool key Right
poll_shot "Right: the map moves back" edge_near "$start_edge" 1

# Vertically the tile fills the window: follow the pick marker of the first
# click instead (a white plus whose upper arm starts 60 pixels above it; the
# one-pixel arm may fall on either side of x = 950).
TOP=-1
marker_top_near() {
  TOP=$(pixels_of "$SHOT" 948 300 4 400 | awk '$3 > 240 && $4 > 240 && $5 > 240 { print $2; exit }')
  [ -n "$TOP" ] && near "$TOP" "$1" "$2"
}
poll_shot "the pick marker's upper arm near y = 415" marker_top_near 415 2
start_top=$TOP
xdotool key Up
poll_shot "Up: the map moves 12.5 pixels down" marker_top_near $((start_top + 12)) 2
poll_shot "Up: the east edge stays" edge_near "$start_edge" 1
xdotool key Down
poll_shot "Down: the map moves back" marker_top_near "$start_top" 1

# Wheel: X button 5 is direction -1 (zoom in by 1.1), button 4 direction +1.
zoomed=$(awk -v e="$start_edge" 'BEGIN { printf "%d", 950 + (e - 950) * 1.1 }')
xdotool click 5
poll_shot "wheel towards: zoom in by 1.1" edge_near "$zoomed" 3
xdotool click 4
poll_shot "wheel away: zoom back" edge_near "$start_edge" 2

# A click in the top-left corner (below the menu bar) suspends the map: later
# clicks neither add waypoints nor pan, until key f.
xdotool key i
xdotool mousemove 100 150 click 1
wait_for_line "SHOW LAT" 1
sleep 0.3
shows=$(count_lines "SHOW LAT")
panned=$(count_lines "NOT PICKED")
xdotool mousemove 950 475 click 1
xdotool mousemove 900 475 mousedown 1 mousemove 1000 500 mouseup 1
sleep 1
[ "$(count_lines "SHOW LAT")" -eq "$shows" ] || fail "a click on the suspended map added a waypoint"
[ "$(count_lines "NOT PICKED")" -eq "$panned" ] || fail "a click on the suspended map was handled"
poll_shot "the suspended map keeps its view" edge_near "$start_edge" 1

xdotool key f
xdotool key i
xdotool mousemove 950 475 click 1
wait_for_line "SHOW LAT" $((shows + 1))

xdotool key q
wait_exit 1
echo "map_view: ok"
