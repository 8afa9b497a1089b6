#!/usr/bin/env bash
# Waypoints by mouse in the real program: key i and two clicks add waypoints
# ("SHOW LAT" lines) and the leg's swath is drawn over the tile picture; with
# key e a drag moves the picked waypoint, the swath follows, and the release
# regenerates the swaths exactly once.
set -euo pipefail
exe=$1
src=$2
source "$src/tests/e2e/lib.sh"
source "$src/tests/e2e/map_lib.sh"

start_flat_world "$exe"

# Keys go to the window under the pointer (no window manager).
xdotool mousemove 950 475
xdotool key i
xdotool click 1
wait_for_line "SHOW LAT" 1
wait_for_line "READ DATA MAP FILE NAME"

# Zoom in 20 steps of 1.2 (zoom 5 -> 191.7): one degree is about 190 pixels,
# the 12 km swath about 20 pixels wide. The first waypoint stays at the centre.
xdotool key --delay 15 period period period period period period period period period period \
  period period period period period period period period period period
xdotool mousemove 1250 475 click 1
wait_for_line "SHOW LAT" 2
[ "$(count_lines "NOT PICKED")" -eq 0 ] || fail "an AddWaypoint click panned instead of adding"

# 40 percent along the leg (x = 1070): the swath is light above and below the
# track; well away from it the tile picture shows unchanged.
swath_drawn() {
  local r g b
  read -r r g b < <(pixel "$SHOT" 1070 469)
  is_swath "$r" "$g" "$b" || return 1
  read -r r g b < <(pixel "$SHOT" 1070 481)
  is_swath "$r" "$g" "$b" || return 1
  read -r r g b < <(pixel "$SHOT" 1070 560)
  is_tile "$r" "$g" "$b"
}
poll_shot "the first leg's swath" swath_drawn

# Drag the second waypoint 125 pixels down.
xdotool key e
regens_before=$(count_lines "genSwaths")
shows_before=$(count_lines "SHOW LAT")
xdotool mousemove 1250 475 mousedown 1
wait_for_line "SHOW LAT" $((shows_before + 1))   # the pick
for y in 500 525 550 575 600; do
  xdotool mousemove 1250 "$y"
  sleep 0.05
done
wait_for_line "SHOW LAT" $((shows_before + 2))   # the moves print too
[ "$(count_lines "genSwaths")" -eq "$regens_before" ] || fail "the swaths were regenerated while dragging"
xdotool mouseup 1
wait_for_line "genSwaths" $((regens_before + 1))
sleep 0.5
[ "$(count_lines "genSwaths")" -eq $((regens_before + 1)) ] || fail "the release regenerated more than once"

# Esc hides the point editor; the leg now runs from (950, 475) to (1250, 600),
# crossing x = 1070 at y = 525, and the old swath place shows the tile again.
xdotool key Escape
swath_moved() {
  local r g b
  read -r r g b < <(pixel "$SHOT" 1070 469)
  is_tile "$r" "$g" "$b" || return 1
  read -r r g b < <(pixel "$SHOT" 1072 519)
  is_swath "$r" "$g" "$b" || return 1
  read -r r g b < <(pixel "$SHOT" 1068 531)
  is_swath "$r" "$g" "$b"
}
poll_shot "the swath of the moved leg" swath_moved

xdotool key q
wait_exit 1
echo "waypoint_edit: ok"
