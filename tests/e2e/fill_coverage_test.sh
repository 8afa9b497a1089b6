#!/usr/bin/env bash
# Key 1 then key f in the real program, on a small generated world (the cell
# around Area_1, whose reference survey lies beside the area): the fill with
# fitting lays its lines, File > Export > Layers as GeoJSON... writes them
# (the desktop chooser answers a fixed name), and the union of the swath
# polygons covers at least 95 % of the area, with no survey line outside it.
set -euo pipefail
exe=$1
src=$2
source "$src/tests/e2e/lib.sh"

worldgen="$(dirname "$(realpath "$exe")")/tools/worldgen/tessarin-worldgen"
[ -x "$worldgen" ] || fail "no world generator at $worldgen"
command -v python3 >/dev/null || fail "python3 is not installed"

make_workdir
W=$E2E_WORK
"$worldgen" --out "$W" --region -132 -124 8 16 >"$W/worldgen.log" 2>&1 || fail "the world generator failed"

# A chooser that answers at once, as a user picking fill.geojson would.
mkdir -p "$W/bin"
printf '#!/bin/sh\necho "%s/fill.geojson"\n' "$W" >"$W/bin/zenity"
chmod +x "$W/bin/zenity"
export PATH="$W/bin:$PATH"

start_xvfb
start_app "$exe"
wait_for_line "hello bathy world"
wait_window
sleep 1

# The GUI reads the mouse once a frame: a press is held a moment, and the
# pointer rests before it.
press_at() { xdotool mousemove "$1" "$2" sleep 0.4 mousedown 1 sleep 0.25 mouseup 1 sleep 0.4; }

xdotool mousemove 950 600
xdotool key 1
wait_for_line "LOAD POLYGON"
xdotool key f
wait_for_line "POLYFILL 2"
wait_for_line "genSwaths 1"
grep -q "REFINE EDGE OVERLAP" "$APP_LOG" || fail "key f fitted no line"

# File > Export (item 7) > Layers as GeoJSON... (the submenu's third item).
press_at 28 12
xdotool mousemove 48 160
sleep 0.6
press_at 258 192
for i in $(seq 1 50); do [ -s "$W/fill.geojson" ] && break; sleep 0.1; done
[ -s "$W/fill.geojson" ] || { screenshot "$W/export.png"; fail "the GeoJSON export wrote nothing"; }

# The area and the union of the swaths filled on a raster in lon/lat (400
# cells a degree, scan line by scan line); the covered share is the count of
# area cells under a swath over the count of area cells.
python3 - "$W/fill.geojson" >"$W/figures" <<'PY' || fail "cannot read the GeoJSON layers"
import json, sys
layers = json.load(open(sys.argv[1]))
def rings(geometry):
    if geometry["type"] == "Polygon":
        return [geometry["coordinates"][0]]
    return [p[0] for p in geometry["coordinates"]]
kind = lambda f: f["properties"]["kind"]
area = [r for f in layers["features"] if kind(f) == "survey polygon" for r in rings(f["geometry"])]
swaths = [r for f in layers["features"] if kind(f) == "swath" for r in rings(f["geometry"])]
legs = [f["geometry"]["coordinates"] for f in layers["features"] if kind(f) == "leg"]
lons = [p[0] for r in area for p in r]
lats = [p[1] for r in area for p in r]
west, south, scale = min(lons), min(lats), 400.0
width, height = int((max(lons) - west) * scale) + 1, int((max(lats) - south) * scale) + 1
def fill(rs):
    cells = set()
    for r in rs:
        pts = [((p[0] - west) * scale, (p[1] - south) * scale) for p in r]
        for row in range(height):
            y = row + 0.5
            xs = sorted(x1 + (y - y1) * (x2 - x1) / (y2 - y1)
                        for (x1, y1), (x2, y2) in zip(pts, pts[1:] + pts[:1]) if (y1 > y) != (y2 > y))
            for a, b in zip(xs[0::2], xs[1::2]):
                for col in range(max(0, int(a + 0.5)), min(width, int(b + 0.5))):
                    cells.add((row, col))
    return cells
inside_area = fill(area)
covered = inside_area & fill(swaths)
def inside(x, y, ring):
    c = False
    for (x1, y1), (x2, y2) in zip(ring, ring[1:] + ring[:1]):
        if (y1 > y) != (y2 > y) and x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
            c = not c
    return c
def off_ring(x, y, ring):
    best = 1e9
    for (x1, y1), (x2, y2) in zip(ring, ring[1:] + ring[:1]):
        l2 = (x2 - x1) ** 2 + (y2 - y1) ** 2
        t = max(0.0, min(1.0, ((x - x1) * (x2 - x1) + (y - y1) * (y2 - y1)) / l2)) if l2 > 0 else 0.0
        best = min(best, ((x - x1 - t * (x2 - x1)) ** 2 + (y - y1 - t * (y2 - y1)) ** 2) ** 0.5)
    return best
# Survey lines are the first, third, fifth ... legs (the others join one
# line to the next); the first runs along the area's first edge, so a point
# counts as outside only when it is off the outline by more than 1e-5 degree.
ring = [tuple(p[:2]) for p in area[0]]
def leaves(line):
    for t in range(2, 19):
        x = line[0][0] + t / 20 * (line[-1][0] - line[0][0])
        y = line[0][1] + t / 20 * (line[-1][1] - line[0][1])
        if not inside(x, y, ring) and off_ring(x, y, ring) > 1e-5:
            return True
    return False
outside = sum(1 for line in legs[0::2] if leaves(line))
print(len(legs[0::2]), outside, "%.3f" % (len(covered) / max(1, len(inside_area))))
PY
read -r lines outside share <"$W/figures"
echo "fill: $lines survey lines, $outside outside, $share of the area covered"
[ "$lines" -ge 5 ] || fail "key f laid only $lines lines"
[ "$outside" -eq 0 ] || fail "$outside survey lines run outside the area"
awk -v s="$share" 'BEGIN { exit !(s >= 0.95) }' || fail "the swaths cover only $share of the area"

xdotool key q
wait_exit 1
echo "fill coverage: ok"
