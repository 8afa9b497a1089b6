# Helpers for the end-to-end tests: a private Xvfb, the real program in a
# temporary working folder, waiting for console lines and windows, screenshots.
# Source it; every function fails the test with a message instead of hanging.

E2E_TIMEOUT=${E2E_TIMEOUT:-60}

fail() {
  echo "FAIL: $*" >&2
  if [ -n "${APP_LOG:-}" ] && [ -f "$APP_LOG" ]; then
    echo "---- program output (last 40 lines) ----" >&2
    tail -n 40 "$APP_LOG" >&2
  fi
  exit 1
}

e2e_cleanup() {
  if [ -n "${APP_PID:-}" ]; then kill "$APP_PID" 2>/dev/null || true; wait "$APP_PID" 2>/dev/null || true; fi
  if [ -n "${XVFB_PID:-}" ]; then kill "$XVFB_PID" 2>/dev/null || true; wait "$XVFB_PID" 2>/dev/null || true; fi
  if [ -n "${E2E_WORK:-}" ] && [ -z "${E2E_KEEP:-}" ]; then rm -rf "$E2E_WORK"; fi
}

# Makes E2E_WORK, a fresh working folder, and arranges the clean-up.
make_workdir() {
  E2E_WORK=$(mktemp -d /tmp/tessarin-e2e-XXXXXX)
  trap e2e_cleanup EXIT
}

# Starts a private X server of 1920 x 1080 x 24 and exports DISPLAY.
start_xvfb() {
  command -v Xvfb >/dev/null || fail "Xvfb is not installed"
  local fdfile="$E2E_WORK/.display"
  Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$fdfile" 2>"$E2E_WORK/xvfb.log" &
  XVFB_PID=$!
  local i
  for i in $(seq 1 100); do
    if [ -s "$fdfile" ]; then break; fi
    sleep 0.1
  done
  [ -s "$fdfile" ] || fail "Xvfb did not start"
  export DISPLAY=":$(head -n 1 "$fdfile")"
}

# start_app EXE: runs the program in E2E_WORK with its output in APP_LOG.
start_app() {
  APP_LOG="$E2E_WORK/console.log"
  local exe
  exe=$(realpath "$1")
  (cd "$E2E_WORK" && exec "$exe" >"$APP_LOG" 2>&1 < "${APP_STDIN:-/dev/null}") &
  APP_PID=$!
}

# wait_for_line TEXT [COUNT]: waits until the console holds TEXT (a fixed
# string) at least COUNT times (default 1).
wait_for_line() {
  local text=$1 count=${2:-1} i
  for i in $(seq 1 $((E2E_TIMEOUT * 10))); do
    if [ "$(grep -cF -- "$text" "$APP_LOG" 2>/dev/null || true)" -ge "$count" ]; then return 0; fi
    if ! kill -0 "$APP_PID" 2>/dev/null; then fail "program ended before printing '$text'"; fi
    sleep 0.1
  done
  fail "timed out waiting for '$text'"
}

# Waits for the program's window and sets WINDOW_ID.
wait_window() {
  WINDOW_ID=$(timeout "$E2E_TIMEOUT" xdotool search --sync --name "Marevista Tessarin" | head -n 1) ||
    fail "the window did not appear"
  [ -n "$WINDOW_ID" ] || fail "the window did not appear"
}

# screenshot FILE: the whole screen as PNG.
screenshot() {
  import -window root "$1" 2>/dev/null || fail "screenshot failed"
}

# pixel FILE X Y: prints "R G B" (0..255) of one pixel of a screenshot.
pixel() {
  convert "$1" -format "%[fx:int(255*p{$2,$3}.r)] %[fx:int(255*p{$2,$3}.g)] %[fx:int(255*p{$2,$3}.b)]\n" info:
}

# colours FILE X Y W H: number of distinct colours in a region.
colours() {
  convert "$1" -crop "$4x$5+$2+$3" +repage -unique-colors -format "%w\n" info:
}

# wait_exit STATUS: waits for the program to end and checks its exit status.
wait_exit() {
  local expected=$1 i
  for i in $(seq 1 $((E2E_TIMEOUT * 10))); do
    if ! kill -0 "$APP_PID" 2>/dev/null; then break; fi
    sleep 0.1
  done
  kill -0 "$APP_PID" 2>/dev/null && fail "the program did not end"
  local status=0
  wait "$APP_PID" || status=$?
  APP_PID=""
  [ "$status" -eq "$expected" ] || fail "exit status $status, expected $expected"
}

# The GUI reads the mouse and keys once a frame: a press and release that
# fall between two frames are lost, so every GUI press is held a moment, and
# the pointer rests before it so the GUI knows what it is over.
gui_click() {
  xdotool mousemove "$1" "$2"
  sleep 0.4
  xdotool mousedown 1
  sleep 0.25
  xdotool mouseup 1
  sleep 0.4
}
gui_key() {
  xdotool keydown "$1"
  sleep 0.25
  xdotool keyup "$1"
  sleep 0.3
}
