#!/usr/bin/env bash
# The survey design window as a user drives it: a polygon over a flat 3000 m
# floor, "Design" > "Survey design" previews east-west lines (along the first
# edge) on the map while the plan stays empty; choosing "Heading" (0) turns
# the preview to north-south lines; "Apply" adds them to the plan as one undo
# step, which Ctrl+Z takes back whole. The status line shows the plan's
# distance once the lines are in.
set -euo pipefail
exe=$1
src=$2
source "$src/tests/e2e/lib.sh"
source "$src/tests/e2e/map_lib.sh"
export TESSARIN_FILE_CHOOSER=window

DESIGN_X=370 BAR_Y=12
# The window's first place is the top right of the screen.
HEADING_X=1600 HEADING_Y=113 APPLY_X=1527 APPLY_Y=517
PLAN=""

# magenta_rows FILE X Y W H: "runs longest" of the rows of the region that
# hold the preview's dashed magenta: a strip down the map crossed by
# east-west lines gives a run of a pixel or two for each line, one along
# north-south lines gives the dashes' 8-pixel runs.
magenta_rows() {
  pixels_of "$1" "$2" "$3" "$4" "$5" | awk -v y0="$3" -v h="$5" '
    function d(a, c) { return a > c ? a - c : c - a }
    d($3, 255) <= 12 && d($4, 51) <= 12 && d($5, 229) <= 12 { hit[$2] = 1 }
    END {
      n = 0; run = 0; longest = 0
      for (y = y0; y < y0 + h; y++) {
        if (hit[y]) { if (!run) n++; run++; if (run > longest) longest = run } else run = 0
      }
      print n, longest
    }'
}
waypoints() {
  local n
  n=$(grep -cE '^-?[0-9]' "$PLAN" 2>/dev/null) || true
  echo "${n:-0}"
}

start_flat_world "$exe"
W=$E2E_WORK
PLAN="$W/recovery/plan.csv"
printf 'Lon, Lat  \n-31.5, 17.5\n-28.5, 17.5\n-28.5, 20.0\n-31.5, 20.0\n' >"$W/Area_1.csv"

# Zoomed in on the polygon (3 by 2.5 degrees, about 230 by 210 pixels).
xdotool mousemove 950 475
xdotool key --delay 15 period period period period period period period period period period \
  period period period period period
xdotool key 1
wait_for_line "LAT LON -31.5 20"

gui_click "$DESIGN_X" "$BAR_Y"
gui_click $((DESIGN_X + 20)) 80
xdotool mousemove 950 900
# A 16-pixel strip down the polygon crosses every east-west line.
STRIP="940 372 16 205"
east_west() { read -r n longest < <(magenta_rows "$SHOT" $STRIP); [ "$n" -ge 15 ] && [ "$longest" -le 4 ]; }
poll_shot "the preview of east-west lines" east_west
cp "$SHOT" "$W/first_edge.png"
[ "$(waypoints)" -eq 0 ] || fail "the preview went into the plan"

gui_click "$HEADING_X" "$HEADING_Y"
xdotool mousemove 950 900
north_south() { read -r n longest < <(magenta_rows "$SHOT" $STRIP); [ "$longest" -ge 7 ]; }
poll_shot "the preview turned to north-south lines" north_south
cp "$SHOT" "$W/heading.png"

gui_click "$APPLY_X" "$APPLY_Y"
for i in $(seq 1 100); do [ "$(waypoints)" -ge 30 ] && break; sleep 0.1; done
laid=$(waypoints)
[ "$laid" -ge 30 ] && [ $((laid % 2)) -eq 0 ] || fail "Apply laid $laid waypoints"
# North-south lines: the first two waypoints share their longitude.
lons=$(grep -E '^-?[0-9]' "$PLAN" | head -n 2 | cut -d, -f1 | tr -d ' ' | tr '\n' ' ')
near "$(echo "$lons" | awk '{ print $1 - $2 }')" 0 0.000001 || fail "the first line is not north-south: $lons"
# The window closed with Apply; the plan's own legs are drawn, not the preview.
gone() { read -r n longest < <(magenta_rows "$SHOT" $STRIP); [ "$n" -eq 0 ]; }
poll_shot "the preview gone after Apply" gone

# One undo step takes the whole design back.
xdotool mousemove 950 900 key ctrl+z
for i in $(seq 1 50); do [ "$(waypoints)" -eq 0 ] && break; sleep 0.1; done
[ "$(waypoints)" -eq 0 ] || fail "one undo left $(waypoints) waypoints"

xdotool key q
wait_exit 1
echo "survey_design: ok"
