#!/usr/bin/env bash
# Random input against the real program on a generated world: command keys
# (never q or s), clicks, drags, wheel steps, right-button menu entries,
# main-menu entries and point-editor buttons, with the in-window chooser
# cancelled when it opens. Checks that the program keeps answering, never
# crashes (under the sanitizers: reports nothing) and that its resident
# memory after a warm-up stays within 10 % while the input goes on.
#
#   soak_test.sh EXE SRC                 60 s (SOAK_SECONDS), seed SOAK_SEED (11)
#   SOAK_REPLAY=FILE soak_test.sh ...    replays a kept case instead
#
# Every case kept in tests/e2e/soak_cases is replayed first. The input of a
# run that crashes is kept as soak-crash-SEED.events in the working folder
# it was started from, ready to be added there.
set -euo pipefail
exe=$(realpath "$1")
src=$2
source "$src/tests/e2e/lib.sh"
export TESSARIN_FILE_CHOOSER=window
# Freed memory kept for use-after-free checks would read as growth.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}quarantine_size_mb=16:detect_leaks=0"

SECONDS_TOTAL=${SOAK_SECONDS:-60}
# The suite replays one fixed seed, so a failure there is the same input
# every run; scripts/soak draws a new seed each time.
SEED=${SOAK_SEED:-11}
RANDOM=$SEED
here=$PWD

# ---- the world: generated once, then copied for each run -------------------
world_cache=${SOAK_WORLD:-$here/soak-world}
# The sanitizer build borrows the world the normal build generated.
[ -f "$world_cache/config.txt" ] || [ ! -f "$src/build/tests/soak-world/config.txt" ] ||
  world_cache="$src/build/tests/soak-world"
if [ ! -f "$world_cache/config.txt" ]; then
  gen="$(dirname "$exe")/tools/worldgen/tessarin-worldgen"
  [ -x "$gen" ] || fail "no world generator at $gen"
  rm -rf "$world_cache.part"
  "$gen" --out "$world_cache.part" --region -140 -132 16 24 --threads 2 >/dev/null || fail "world generation failed"
  mv "$world_cache.part" "$world_cache"
fi

make_workdir
# A program left stopped by "hold" would not end on the clean-up's signal.
soak_cleanup() {
  [ -z "${APP_PID:-}" ] || kill -CONT "$APP_PID" 2>/dev/null || true
  e2e_cleanup
}
trap soak_cleanup EXIT
start_xvfb
EVENTS="$E2E_WORK/input.events"

start_soak_app() {
  rm -rf "$E2E_WORK/run"
  cp -r "$world_cache" "$E2E_WORK/run"
  # Key 2's polygon is a sliver whose bounds cover the world's tile: its
  # fill is short but builds every fine coverage grid the tile can have.
  { printf 'Lon, Lat  \n'; printf '%s\n' "-139.9, 16.1 " "-132.1, 23.9 " "-139.85, 16.2 "; } >"$E2E_WORK/run/Area_2.csv"
  APP_LOG="$E2E_WORK/console.log"
  (cd "$E2E_WORK/run" && exec "$exe" --view -136 20 40 >"$APP_LOG" 2>&1 </dev/null) &
  APP_PID=$!
  wait_for_line "hello bathy world"
  wait_window
  sleep 1
}

crashed() {
  if ! kill -0 "$APP_PID" 2>/dev/null; then return 0; fi
  grep -qE "ERROR: (Address|Leak)Sanitizer|runtime error:" "$APP_LOG" 2>/dev/null
}

keep_crash() {
  local kept="$here/soak-crash-$SEED.events"
  cp "$EVENTS" "$kept"
  fail "the program crashed (seed $SEED); input kept as $kept"
}

# One input step: runs it and appends it to the log (lines of xdotool
# arguments, "sleep S", or "hold" and "release": the program is stopped
# between them, so the input sent meanwhile reaches it all at once, as on a
# busy machine).
step() {
  echo "$*" >>"$EVENTS"
  case $1 in
    sleep) sleep "$2" ;;
    hold) kill -STOP "$APP_PID" 2>/dev/null || true ;;
    release) sleep 0.2; kill -CONT "$APP_PID" 2>/dev/null || true ;;
    *) xdotool "$@" 2>/dev/null || true ;;
  esac
}

# The program answers when Tab (after leaving any field, dialog or menu)
# prints its console line.
answers() {
  local before
  before=$(grep -c "TAB $" "$APP_LOG" || true)
  # A click on the bar's empty end closes any menu and leaves any field.
  xdotool mousemove 1500 12 click 1 sleep 0.2 mousemove 1000 600 key Escape key Escape 2>/dev/null || true
  sleep 0.3
  xdotool key Tab 2>/dev/null || true
  # A program still working (a fill over a large random polygon takes long
  # under the sanitizers on a loaded machine) is given up to 180 s; one that
  # used under a second of processor time in the last 30 s is waiting on
  # something and has stopped answering.
  local i cpu_then cpu_now
  cpu_then=$(cpu_ticks)
  for i in $(seq 1 1800); do
    [ "$(grep -c "TAB $" "$APP_LOG" || true)" -gt "$before" ] && return 0
    crashed && return 1
    sleep 0.1
    if [ $((i % 300)) -eq 0 ]; then
      cpu_now=$(cpu_ticks)
      [ "$cpu_now" -gt $((cpu_then + 100)) ] || return 1
      cpu_then=$cpu_now
    fi
  done
  return 1
}

# Processor time the program has used, in clock ticks (user + system).
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$APP_PID/stat" 2>/dev/null || echo 0; }

# Not answering: whether it is busy or waiting, and where, for the report.
stuck() {
  cp "$EVENTS" "$here/soak-stuck-$SEED.events"
  echo "process: $(ps -o stat=,pcpu=,time= -p "$APP_PID" 2>/dev/null)" >&2
  command -v gdb >/dev/null && timeout 30 gdb -p "$APP_PID" -batch -ex "bt 25" 2>/dev/null | grep -E "^#" >&2
  fail "the program stopped answering (seed $SEED); input kept as $here/soak-stuck-$SEED.events"
}

rss_kb() { awk '/^VmRSS/ { print $2 }' "/proc/$APP_PID/status" 2>/dev/null || echo 0; }

replay() {
  local file=$1 line
  : >"$EVENTS"
  start_soak_app
  while IFS= read -r line; do
    # shellcheck disable=SC2086
    case $line in
      sleep\ *) step $line ;;
      "") ;;
      *) step $line ;;
    esac
    crashed && keep_crash
  done <"$file"
  kill -CONT "$APP_PID" 2>/dev/null || true
  answers || { crashed && keep_crash; fail "no answer after replaying $file"; }
  xdotool key q
  wait_exit 1
}

for kept in "$src"/tests/e2e/soak_cases/*.events; do
  [ -f "$kept" ] || continue
  replay "$kept"
  echo "soak: replayed $(basename "$kept")"
done
if [ -n "${SOAK_REPLAY:-}" ]; then
  replay "$SOAK_REPLAY"
  echo "soak: replayed $SOAK_REPLAY"
  exit 0
fi

# ---- random input -----------------------------------------------------------
KEYS=(i e f c m o x l t Tab Escape comma period 1 2 3 P p Delete BackSpace Left Right Up Down Home End Next Prior
      ctrl+z ctrl+y ctrl+shift+z Return a)
BAR_Y=12
MENUS_X=(28 83 170 312 370) # File, Plan, AutoTransit, Edit and Design (right of Stats)
MENU_ITEMS=(7 8 6 3 2)
EX=760 EY=380               # the point editor's first place
EDITOR_BUTTONS=("$((EX + 75)) $((EY + 222))" "$((EX + 225)) $((EY + 222))" "$((EX + 75)) $((EY + 182))"
                "$((EX + 225)) $((EY + 182))" "$((EX + 260)) $((EY + 25))" "$((EX + 75)) $((EY + 70))")
rx() { echo $((RANDOM % 1880 + 10)); }
ry() { echo $((RANDOM % 930 + 10)); }

random_step() {
  local r=$((RANDOM % 100)) x y
  if [ $r -lt 30 ]; then
    step mousemove "$(rx)" "$(ry)" key "${KEYS[$((RANDOM % ${#KEYS[@]}))]}"
  elif [ $r -lt 55 ]; then
    step mousemove "$(rx)" "$(ry)" click 1
  elif [ $r -lt 65 ]; then
    x=$(rx) y=$(ry)
    step mousemove "$x" "$y" mousedown 1
    step mousemove $((x + RANDOM % 200 - 100)) $((y + RANDOM % 200 - 100))
    step mousemove $((x + RANDOM % 300 - 150)) $((y + RANDOM % 300 - 150)) mouseup 1
  elif [ $r -lt 72 ]; then
    step mousemove "$(rx)" "$(ry)" click $((RANDOM % 2 + 4))
  elif [ $r -lt 77 ]; then
    # The right-button menu and one of its three entries; now and then both
    # clicks arrive together, so the menu opens where the pointer is by then
    # and the second click may fall beside it.
    x=$(rx) y=$(ry)
    local held=$((RANDOM % 4 == 0))
    [ "$held" -eq 1 ] && step hold
    step mousemove "$x" "$y" click 3
    step sleep 0.2
    step mousemove $((x + 30)) $((y + 10 + 22 * (RANDOM % 3))) click 1
    [ "$held" -eq 1 ] && step release
  elif [ $r -lt 90 ]; then
    local m=$((RANDOM % ${#MENUS_X[@]}))
    step mousemove "${MENUS_X[$m]}" "$BAR_Y" click 1
    step sleep 0.15
    step mousemove $((${MENUS_X[$m]} + 20)) $((40 + 20 * (RANDOM % ${MENU_ITEMS[$m]}))) click 1
    step sleep 0.3
    # A chooser that opened is cancelled.
    step key Escape
  else
    # shellcheck disable=SC2046
    step mousemove ${EDITOR_BUTTONS[$((RANDOM % ${#EDITOR_BUTTONS[@]}))]} click 1
    [ $((RANDOM % 3)) -eq 0 ] && step type "$((RANDOM % 60)).$((RANDOM % 100))"
  fi
  step sleep 0.0$((RANDOM % 5 + 1))
}

: >"$EVENTS"
start_soak_app
# Warm-up: what the planner builds once and keeps (tile pictures and
# coverage textures, the fine coverage grids of the tiles the kept areas 1,
# 2 and 3 lie on, the statistics, a transit, fills with their captures) is
# built before memory is watched; the undos leave area 2 loaded.
for k in m m c; do step mousemove 1000 600 key "$k"; step sleep 0.3; done
step mousemove 257 12 click 1
step sleep 1
for k in 2 f 1 f 3 f a t ctrl+z ctrl+z ctrl+z ctrl+z ctrl+z ctrl+z ctrl+z; do step mousemove 1000 600 key "$k"; step sleep 0.5; done
answers || { crashed && keep_crash; fail "no answer after the warm-up"; }
start=$(date +%s)
warm=$((SECONDS_TOTAL / 2))
events=0 probes=0 base_kb=0 max_kb=0 next_probe=$((start + 5))
echo "soak: seed $SEED, $SECONDS_TOTAL s"
while :; do
  now=$(date +%s)
  [ $((now - start)) -ge "$SECONDS_TOTAL" ] && break
  random_step
  events=$((events + 1))
  crashed && keep_crash
  if [ "$now" -ge "$next_probe" ]; then
    answers || { crashed && keep_crash; stuck; }
    probes=$((probes + 1))
    kb=$(rss_kb)
    [ -n "${SOAK_VERBOSE:-}" ] && echo "soak: $((now - start)) s, $events steps, RSS $kb kB"
    if [ $((now - start)) -ge "$warm" ]; then
      [ "$base_kb" -eq 0 ] && base_kb=$kb
      [ "$kb" -gt "$max_kb" ] && max_kb=$kb
    fi
    next_probe=$((now + 5))
  fi
done
answers || { crashed && keep_crash; fail "the program stopped answering at the end (seed $SEED)"; }
kb=$(rss_kb)
[ "$base_kb" -eq 0 ] && base_kb=$kb
[ "$kb" -gt "$max_kb" ] && max_kb=$kb
echo "soak: $events input steps ($(wc -l <"$EVENTS") events), $probes probes, RSS after warm-up ${base_kb} kB, highest ${max_kb} kB, at the end ${kb} kB"
[ $((max_kb * 10)) -le $((base_kb * 11)) ] ||
  fail "resident memory grew from ${base_kb} kB to ${max_kb} kB (seed $SEED)"
xdotool mousemove 1000 600 key Escape key q
wait_exit 1
echo "soak: ok"
