#!/usr/bin/env bash
# Walks through the wizard under Xvfb with xdotool and saves a screenshot of
# every page.  Called by run.sh:  walk.sh BUILD OUT SERVER
set -euo pipefail
BUILD="$1" OUT="$2" SERVER="$3"
SHOTS="$OUT"
LOG_OUT="$OUT/corvane-output.txt"
TITLE="Corvane 1.33"
# Pixel layout of the main window's client area: menu bar, then the page tabs.
MENU_H=24
TAB_H=24

for tool in Xvfb xdotool import convert; do
  command -v "$tool" >/dev/null || { echo "walk.sh: $tool is missing (./corvane.sh setup installs it)" >&2; exit 1; }
done

PIDS=()
cleanup() {
  for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
}
trap cleanup EXIT
trap 'exit 130' INT TERM

. "$(dirname "${BASH_SOURCE[0]}")/../scripts/xvfb.bash"
start_xvfb "$OUT/xvfb.log" || { echo "walk.sh: Xvfb could not start" >&2; exit 1; }
PIDS+=("$XVFB_PID")

"$BUILD/corvane" --home "$OUT/home" --server "$SERVER" >"$LOG_OUT" 2>&1 &
CPID=$!
PIDS+=("$CPID")

WID=""
for _ in $(seq 300); do
  WID="$(xdotool search --name "^${TITLE}\$" 2>/dev/null | head -1 || true)"
  [ -n "$WID" ] && break
  kill -0 "$CPID" 2>/dev/null || { echo "walk.sh: corvane ended early; see $LOG_OUT" >&2; exit 1; }
  sleep 0.1
done
[ -n "$WID" ] || { echo "walk.sh: no window titled $TITLE" >&2; exit 1; }

log_file() { ls -t "$OUT/home/dati/"*_log.txt 2>/dev/null | head -1; }
wait_log() {  # wait_log TEXT SECONDS
  for _ in $(seq $(($2 * 10))); do
    f="$(log_file)"
    [ -n "$f" ] && grep -q "$1" "$f" && return 0
    sleep 0.1
  done
  echo "walk.sh: timed out waiting for \"$1\" in the log" >&2
  return 1
}
# Waits until the log has been quiet for a while: the start-up work
# (languages, catalogue and info downloads) is over.
wait_quiet() {
  local last="" same=0
  for _ in $(seq 600); do
    f="$(log_file)"
    now="$( [ -n "$f" ] && stat -c %s "$f" || echo 0)"
    if [ "$now" = "$last" ]; then same=$((same + 1)); else same=0; last="$now"; fi
    [ "$same" -ge 15 ] && return 0
    sleep 0.1
  done
}
wait_files() {  # wait_files SECONDS NAME...: until every named download is complete
  local secs="$1"; shift
  for _ in $(seq $((secs * 10))); do
    local all=1
    for n in "$@"; do [ -f "$OUT/home/download/$n" ] || all=0; done
    [ "$all" = 1 ] && { sleep 1; return 0; }
    sleep 0.1
  done
  echo "walk.sh: timed out waiting for the downloads $*" >&2
  return 1
}
wait_quiet
touch "$OUT/.walk-start"

click_page() {  # click_page X Y: a point given in page coordinates
  xdotool mousemove --window "$WID" "$1" $(($2 + MENU_H + TAB_H)) click 1
  sleep 0.4
}
shot() {
  sleep 0.5
  import -window root "$SHOTS/$1.png"
  echo "  screenshot $SHOTS/$1.png"
}

echo "Walking through the wizard on display $DISPLAY"
shot 1-start
click_page 230 225                 # Deselect all
click_page 200 50                  # tick the first program
click_page 200 170                 # tick the fourth program
shot 2-start-ticked
click_page 600 387                 # Go to download>
shot 3-download
click_page 300 387                 # Download now!
wait_files 120 alphagfx.zip epsilon-setup.exe || true
shot 4-downloaded
click_page 600 387                 # Go to install
shot 5-install
click_page 300 387                 # Install now!
wait_log "Installation completed." 120 || true
shot 6-installed
xdotool windowclose "$WID" 2>/dev/null || xdotool key --window "$WID" alt+F4 || true
# The close question opens in a box captioned like the main window: wait for
# it (a loaded machine may take a while), then answer with its default button.
DIALOG=""
for _ in $(seq 200); do
  for w in $(xdotool search --name "^${TITLE}\$" 2>/dev/null); do [ "$w" != "$WID" ] && DIALOG="$w"; done
  [ -n "$DIALOG" ] && break
  kill -0 "$CPID" 2>/dev/null || break
  sleep 0.1
done
if [ -n "$DIALOG" ]; then
  sleep 0.3
  xdotool windowfocus --sync "$DIALOG" 2>/dev/null || true
  xdotool key --window "$DIALOG" Return 2>/dev/null || true
fi
for _ in $(seq 50); do kill -0 "$CPID" 2>/dev/null || break; sleep 0.1; done

echo
echo "Downloaded into $OUT/home/download:"
ls -l "$OUT/home/download" 2>/dev/null | tail -n +2 | sed 's/^/  /'
echo "Installed into the demo Tarnic folder $OUT/tarnic:"
(cd "$OUT/tarnic" && find . -newer "$OUT/.walk-start" -type f | sort | sed 's/^/  /')
echo "Activity log: $(log_file)"
