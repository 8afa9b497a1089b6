# Helpers for the map end-to-end tests (source after lib.sh): a one-tile
# world written with ImageMagick, and measurements of screenshots that are
# polled until they hold, so no test depends on how fast frames come.

# Tile colour of the picture tile the tests write (R G B).
TILE_R=10 TILE_G=60 TILE_B=140

# write_flat_tile ROOT LON0 LAT0: a data tile of 3000 m of water everywhere
# (depth code (-3000 + 12000) * 3 = 27000 = 105 * 256 + 120 in red and green)
# and a picture tile of one colour, both 1920 x 1920.
write_flat_tile() {
  local root=$1 lon0=$2 lat0=$3
  mkdir -p "$root/Tile_8png_d" "$root/Tile_8png_i"
  convert -size 1920x1920 xc:'rgb(105,120,0)' "PNG24:$root/Tile_8png_d/BD_8_${lon0}_${lat0}_1920.png" ||
    fail "cannot write a data tile"
  convert -size 1920x1920 "xc:rgb($TILE_R,$TILE_G,$TILE_B)" "PNG24:$root/Tile_8png_i/BI_8_${lon0}_${lat0}_1920.png" ||
    fail "cannot write a picture tile"
}

# is_tile R G B: true when the colour is the picture tile's.
is_tile() {
  [ $(( ($1 - TILE_R) * ($1 - TILE_R) + ($2 - TILE_G) * ($2 - TILE_G) + ($3 - TILE_B) * ($3 - TILE_B) )) -le 75 ]
}

# is_swath R G B: white at half opacity over the tile, about (132, 157, 197).
is_swath() {
  [ "$1" -ge 115 ] && [ "$1" -le 150 ] && [ "$2" -ge 140 ] && [ "$2" -le 175 ] && [ "$3" -ge 180 ] && [ "$3" -le 215 ]
}

# pixels_of FILE X Y W H: "x y r g b" per pixel of a region (x, y absolute).
pixels_of() {
  convert "$1" -crop "$4x$5+$2+$3" +repage -depth 8 txt:- 2>/dev/null |
    awk -v ox="$2" -v oy="$3" -F '[(),: ]+' 'NR > 1 { print $1 + ox, $2 + oy, $3, $4, $5 }'
}

# tile_east_edge FILE ROW: first column right of x = 960 on ROW that is not
# the tile's colour (the tile's east edge), or -1.
tile_east_edge() {
  pixels_of "$1" 960 "$2" 900 1 | awk -v tr="$TILE_R" -v tg="$TILE_G" -v tb="$TILE_B" '
    { d = ($3 - tr) ^ 2 + ($4 - tg) ^ 2 + ($5 - tb) ^ 2
      if (d > 75 && edge == "") edge = $1 }
    END { print (edge == "" ? -1 : edge) }'
}

# off_tile_rows FILE COLUMN Y0 Y1: "first last" rows of COLUMN between Y0 and
# Y1 that are not the tile's colour (the swath and leg crossing it), or "-1 -1".
off_tile_rows() {
  pixels_of "$1" "$2" "$3" 1 $(($4 - $3 + 1)) | awk -v tr="$TILE_R" -v tg="$TILE_G" -v tb="$TILE_B" '
    { d = ($3 - tr) ^ 2 + ($4 - tg) ^ 2 + ($5 - tb) ^ 2
      if (d > 75) { if (first == "") first = $2; last = $2 } }
    END { if (first == "") print "-1 -1"; else print first, last }'
}

# poll_shot DESCRIPTION COMMAND...: takes screenshots into SHOT until COMMAND
# (run with SHOT set) succeeds; fails the test after E2E_TIMEOUT seconds.
SHOT=""
poll_shot() {
  local what=$1 i
  shift
  SHOT="$E2E_WORK/shot.png"
  for i in $(seq 1 $((E2E_TIMEOUT * 4))); do
    screenshot "$SHOT"
    if "$@"; then return 0; fi
    kill -0 "$APP_PID" 2>/dev/null || fail "program ended while waiting for: $what"
    sleep 0.25
  done
  fail "timed out waiting for: $what"
}

# near A B TOL: |A - B| <= TOL (integers or decimals).
near() {
  awk -v a="$1" -v b="$2" -v t="$3" 'BEGIN { d = a - b; if (d < 0) d = -d; exit !(d <= t) }'
}

# count_lines TEXT: how often the console holds TEXT.
count_lines() {
  grep -cF -- "$1" "$APP_LOG" 2>/dev/null || true
}

# start_flat_world EXE: the program in a fresh folder holding a bare
# config.txt and one flat tile around the default view centre (-30, map y 20),
# running under a private X server with its window up.
start_flat_world() {
  make_workdir
  echo "end" >"$E2E_WORK/config.txt"
  write_flat_tile "$E2E_WORK" -36 16
  start_xvfb
  start_app "$1"
  wait_for_line "hello bathy world"
  wait_window
}
