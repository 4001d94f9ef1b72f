#!/usr/bin/env bash
# Starts the widgets demo on a private Xvfb display, finds its window by title,
# saves a screenshot into the build folder and checks that it is not blank.
#   widgets_demo_screenshot.sh BUILD_DIR SOURCE_DIR
# Exit 0 passed, 1 failed, 77 skipped (only when Xvfb cannot start).
set -u
BUILD="${1:?build dir}"
SOURCE="${2:?source dir}"
DEMO="$BUILD/widgets_demo/corvane-widgets-demo"
SHOT="$BUILD/widgets_demo_screenshot.png"
TITLE="Corvane widgets demo"

fail() { echo "FAIL: $*" >&2; exit 1; }
skip() { echo "SKIP: $*" >&2; exit 77; }

[ -x "$DEMO" ] || fail "demo not built: $DEMO"
for tool in Xvfb xdotool import convert; do
  command -v "$tool" >/dev/null || fail "$tool is not installed (./corvane.sh setup installs it)"
done

XVFB_PID="" DEMO_PID=""
WORK="$(mktemp -d)"
cleanup() {
  [ -n "$DEMO_PID" ] && kill "$DEMO_PID" 2>/dev/null && wait "$DEMO_PID" 2>/dev/null
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT

. "$SOURCE/scripts/xvfb.bash"
start_xvfb "$WORK/xvfb.log" || skip "Xvfb could not start: $(tail -n 3 "$WORK/xvfb.log" | tr '\n' ' ')"

"$DEMO" --no-confirm >"$WORK/demo.log" 2>&1 &
DEMO_PID=$!

WINDOW=""
for _ in $(seq 1 100); do
  kill -0 "$DEMO_PID" 2>/dev/null || fail "the demo ended early: $(cat "$WORK/demo.log")"
  WINDOW="$(xdotool search --name "^$TITLE\$" 2>/dev/null | head -n 1)"
  [ -n "$WINDOW" ] && break
  sleep 0.1
done
[ -n "$WINDOW" ] || fail "no window titled \"$TITLE\" appeared"

# Park the pointer outside the window (no tooltip in the picture) and let the
# window map and draw before taking it.
xdotool mousemove 0 0 >/dev/null 2>&1
for _ in $(seq 1 30); do
  xdotool getwindowgeometry "$WINDOW" >/dev/null 2>&1 && break
  sleep 0.1
done
sleep 1

rm -f "$SHOT"
import -window root "$SHOT" 2>"$WORK/import.log" || fail "import failed: $(cat "$WORK/import.log")"
[ -s "$SHOT" ] || fail "no screenshot written"

# The window's own area must not be one flat colour.
GEOMETRY="$(xdotool getwindowgeometry --shell "$WINDOW")" || fail "no geometry for the window"
eval "$GEOMETRY"
CROP="${WIDTH}x${HEIGHT}+${X}+${Y}"
DEVIATION="$(convert "$SHOT" -crop "$CROP" +repage -format '%[fx:standard_deviation]' info: 2>/dev/null)"
[ -n "$DEVIATION" ] || fail "could not measure the screenshot"
echo "window $WINDOW at $CROP, standard deviation $DEVIATION, screenshot $SHOT"
awk -v d="$DEVIATION" 'BEGIN { exit !(d > 0.02) }' || fail "the window looks blank (deviation $DEVIATION)"
kill -0 "$DEMO_PID" 2>/dev/null || fail "the demo ended while on screen: $(cat "$WORK/demo.log")"
exit 0
