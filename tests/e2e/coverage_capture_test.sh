#!/usr/bin/env bash
# Key c in the real program: two waypoints by mouse, the coverage view
# (key m) shows the tile's coverage bytes, all empty; key c captures the plan
# and the cells under the leg's swath show as plan-marked (cyan) dots, while
# the floor away from the swath stays empty.
set -euo pipefail
exe=$1
src=$2
source "$src/tests/e2e/lib.sh"
source "$src/tests/e2e/map_lib.sh"

start_flat_world "$exe"

xdotool mousemove 950 475
xdotool key i
xdotool click 1
wait_for_line "SHOW LAT" 1
wait_for_line "READ DATA MAP FILE NAME"
# Zoom 5 * 1.2^20: about 190 pixels a degree, the 12 km swath about 20 high.
xdotool key --delay 15 period period period period period period period period period period \
  period period period period period period period period period period
xdotool mousemove 1250 475 click 1
wait_for_line "SHOW LAT" 2

# cyan_dots FILE: pixels of the swath's northern half (x 1000..1089, y 465..470,
# clear of the leg's line and arrowhead) that show a plan-marked coverage dot
# under the half-white swath.
cyan_dots() {
  pixels_of "$1" 1000 465 90 6 | awk '$4 > 215 && $5 > 215 && $3 < 190 { n++ } END { print n + 0 }'
}

xdotool key m
# The coverage view: away from the swath the floor shows its empty bytes (black).
coverage_shown() {
  local r g b
  read -r r g b < <(pixel "$SHOT" 1070 560)
  [ "$r" -le 10 ] && [ "$g" -le 10 ] && [ "$b" -le 10 ]
}
poll_shot "the coverage view" coverage_shown
[ "$(cyan_dots "$SHOT")" -eq 0 ] || fail "plan marks before any capture"

xdotool key c
marks_shown() {
  [ "$(cyan_dots "$SHOT")" -ge 20 ] || return 1
  # Away from the swath the bytes stay empty: black, no dots.
  [ "$(pixels_of "$SHOT" 1000 540 200 11 | awk '$3 + $4 + $5 > 30 { n++ } END { print n + 0 }')" -eq 0 ]
}
poll_shot "plan marks under the swath" marks_shown

xdotool key q
wait_exit 1
echo "coverage_capture: ok"
