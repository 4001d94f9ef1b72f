#!/usr/bin/env bash
# GUI smoke test: the real corvane binary in a real window under Xvfb.
#   gui_smoke.sh BUILD_DIR SOURCE_DIR
# Serves a catalogue with python3's http.server on loopback, prepares a
# program folder that has run before (so no folder requester opens), finds
# the window by its title, saves screenshots of the Start and Download pages
# (and the Install page) into BUILD_DIR, ticks and unticks programs from the
# keyboard and downloads the ones left ticked, closes the window, answers
# the close question, and checks that the activity log ends with the
# end-of-program block.
# Exits 77 (skipped) only when Xvfb cannot be started.
set -uo pipefail

BUILD="${1:?build folder}"
SOURCE="${2:?source folder}"
BIN="$BUILD/corvane"
TITLE="Corvane 1.33"
# Window metrics of the toolkit: the menu bar above the client area, the tab
# header above each page.
MENU_BAR=24
TAB_HEADER=24

fail() { echo "gui_smoke: FAIL: $*" >&2; exit 1; }
skip() { echo "gui_smoke: SKIP: $*" >&2; exit 77; }

[ -x "$BIN" ] || fail "no program at $BIN"
command -v Xvfb >/dev/null || skip "Xvfb is not installed"
for tool in xdotool import convert compare python3; do
  command -v "$tool" >/dev/null || fail "$tool is not installed"
done

. "$SOURCE/scripts/scratch.bash" gui

# ---- a display ---------------------------------------------------------------
. "$SOURCE/scripts/xvfb.bash"
start_xvfb "$WORK/xvfb.log" || skip "Xvfb could not be started ($(tail -1 "$WORK/xvfb.log" 2>/dev/null))"
PIDS+=("$XVFB_PID")
sleep 0.2

# ---- a catalogue on loopback -------------------------------------------------
PORT="$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')"
ROOT="http://127.0.0.1:$PORT"
SITE="$WORK/site/download/corvane"
mkdir -p "$SITE" "$WORK/site/files"
printf '1.33\r\n0.99\r\n' >"$SITE/version.txt"
printf 'english.lang\r\n' >"$SITE/languages.txt"
cp "$SOURCE/resources/resource/english.lang" "$SITE/english.lang"
: >"$SITE/win32.app.english.txt"
for i in 1 2 3 4 5 6; do
  head -c $((i * 1500)) /dev/zero >"$WORK/site/files/tool$i.zip"
  printf '[TOOL%s]\r\nNAME=Sample tool %s\r\nURL=%s/files/tool%s.zip\r\nDESC=A sample add-on number %s\r\nWEB=http://example.org/tool%s\r\nAUTHOR=Sample author\r\nLICENSE=MIT\r\n[/]\r\n' \
    "$i" "$i" "$ROOT" "$i" "$i" "$i" >>"$SITE/win32.app.english.txt"
done
python3 -m http.server "$PORT" --bind 127.0.0.1 --directory "$WORK/site" >"$WORK/http.log" 2>&1 &
PIDS+=($!)
for _ in $(seq 50); do
  python3 -c "import urllib.request; urllib.request.urlopen('$ROOT/download/corvane/version.txt')" 2>/dev/null && break
  sleep 0.1
done

# ---- a program folder that has run before ------------------------------------
HOME_DIR="$WORK/home"
mkdir -p "$HOME_DIR/lang" "$HOME_DIR/data" "$HOME_DIR/tarnic/bin" "$HOME_DIR/winrar"
cp "$SOURCE/resources/resource/english.lang" "$HOME_DIR/lang/english.lang"
mkdir -p "$HOME_DIR/download"
cp "$WORK/site/files/tool1.zip" "$WORK/site/files/tool3.zip" "$HOME_DIR/download/"  # fetched before
: >"$HOME_DIR/tarnic/bin/tnc.exe"
: >"$HOME_DIR/winrar/unrar.exe"
printf 'LANGUAGE=ENGLISH\r\nAUTOUPDATE=FALSE\r\nURLUPDATE=%s\r\nAUTOEXECUTE=TRUE\r\nWINRAR=%s\r\nTARNPATH=%s\r\nSVNPATH=\r\nDEFAULT_INSTALL=0\r\nDISABLE_DELETE=1\r\nAPPVERSION=0.99\r\n' \
  "$ROOT" "$HOME_DIR/winrar" "$HOME_DIR/tarnic" >"$HOME_DIR/data/conf.txt"
# The toolkit's opener and the registry must stay inside the scratch folder.
export CORVANE_REGISTRY="$WORK/registry.txt"

"$BIN" --home "$HOME_DIR" --server "$ROOT" >"$WORK/corvane.out" 2>&1 &
APP=$!
PIDS+=("$APP")

find_windows() { xdotool search --name "^$TITLE\$" 2>/dev/null; }
WID=""
for _ in $(seq 100); do
  WID="$(find_windows | head -1)"
  [ -n "$WID" ] && break
  kill -0 "$APP" 2>/dev/null || fail "corvane ended early: $(tail -5 "$WORK/corvane.out")"
  sleep 0.1
done
[ -n "$WID" ] || fail "no window titled '$TITLE'"
sleep 1  # let the first paint happen

shot() {
  local file="$BUILD/$1"
  import -window "$WID" "$file" || fail "screenshot $file"
  local dev
  dev="$(convert "$file" -format '%[fx:standard_deviation]' info: 2>/dev/null)"
  python3 -c "import sys; sys.exit(0 if float('${dev:-0}') > 0.01 else 1)" || fail "$file is blank"
  echo "gui_smoke: saved $file"
}
shot gui-smoke-start-page.png

# ---- the program list from the keyboard --------------------------------------
# Rows: tool1..tool6, tool1 and tool3 fetched before (unticked), four rows in
# sight.  The list sits at 180,40 (470 x 160) on the page.
PAGE_Y=$((MENU_BAR + TAB_HEADER))
row_y() { echo $((PAGE_Y + 40 + $1 * 40 + 20)); }
xdotool mousemove --window "$WID" 400 "$(row_y 0)" click 5 click 5  # rows 2..5 in sight
sleep 0.3
# The pointer passes over tool4 and tool5 and out of the list over the logo.
for y in "$(row_y 1)" "$(row_y 2)"; do xdotool mousemove --window "$WID" 400 "$y"; sleep 0.2; done
xdotool mousemove --window "$WID" 80 "$(row_y 2)"
sleep 0.3
# Space alone ticks nothing (no row is lit).  The first Up lights the row
# the pointer left last, and six of them reach tool1 whichever that was,
# scrolling the list to the top; then Down goes to tool4 and tool5.
for keys in "space" "Up Up Up Up Up Up space" "Down Down Down space" "Down space"; do
  xdotool key $keys
  sleep 0.3
done
shot gui-smoke-start-page-keys.png
xdotool mousemove --window "$WID" 600 $((PAGE_Y + 370 + 17)) click 1  # "Go to download>"
sleep 0.5
xdotool mousemove --window "$WID" 300 $((PAGE_Y + 370 + 17)) click 1  # "Download now!"
for _ in $(seq 300); do
  [ "$(stat -c %s "$HOME_DIR/download/tool6.zip" 2>/dev/null)" = 9000 ] && break
  sleep 0.1
done
sleep 0.5
FETCHED="$(grep -o '"GET /files/tool[0-9]*.zip' "$WORK/http.log" | sed 's|.*/||' | sort -u | tr '\n' ' ')"
[ "$FETCHED" = "tool1.zip tool2.zip tool6.zip " ] ||
  fail "the keys should have left tool1, tool2 and tool6 ticked; fetched: $FETCHED"
xdotool mousemove --window "$WID" 55 $((PAGE_Y + 370 + 17)) click 1  # "Go back"
sleep 0.5

# "Go to download>" sits at 550,370 (100 x 35) on the page.
xdotool mousemove --window "$WID" 600 $((MENU_BAR + TAB_HEADER + 370 + 17)) click 1
sleep 1
shot gui-smoke-download-page.png
# The click must have changed the page.
DIFF="$(compare -metric AE "$BUILD/gui-smoke-start-page.png" "$BUILD/gui-smoke-download-page.png" null: 2>&1 >/dev/null)"
[ "${DIFF%% *}" != "0" ] || fail "the Download page looks like the Start page"

# "Go to install" sits at the same place on the Download page.
xdotool mousemove --window "$WID" 600 $((MENU_BAR + TAB_HEADER + 370 + 17)) click 1
sleep 1
shot gui-smoke-install-page.png

# Close the window the way a window manager does (WM_DELETE_WINDOW).
python3 "$SOURCE/scripts/wm_close.py" "$WID" || fail "could not send the close request"

# The close question opens in a box captioned like the main window: answer it
# with its default button (Enter).
DIALOG=""
for _ in $(seq 200); do  # a loaded machine may take seconds to open it
  for w in $(find_windows); do [ "$w" != "$WID" ] && DIALOG="$w"; done
  [ -n "$DIALOG" ] && break
  kill -0 "$APP" 2>/dev/null || break
  sleep 0.1
done
if [ -z "$DIALOG" ] && ! kill -0 "$APP" 2>/dev/null; then
  # Seen rarely on a loaded machine: the program ended before the box could
  # be found.  It must still have ended the normal way (checked below).
  echo "gui_smoke: note: the program ended before its close question was seen"
elif [ -z "$DIALOG" ]; then
  for w in $(xdotool search --name . 2>/dev/null); do echo "window $w: $(xdotool getwindowname "$w")" >&2; done
  fail "no close question appeared: $(tail -3 "$WORK/corvane.out")"
fi
if [ -n "$DIALOG" ]; then
  sleep 0.5
  shot_dialog="$BUILD/gui-smoke-close-question.png"
  import -window "$DIALOG" "$shot_dialog" 2>/dev/null || true
  xdotool windowfocus --sync "$DIALOG" 2>/dev/null || true
  xdotool key --window "$DIALOG" Return 2>/dev/null  # the box may be gone before the key is released
fi

for _ in $(seq 100); do
  kill -0 "$APP" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$APP" 2>/dev/null; then fail "corvane still runs after the close question was answered"; fi
wait "$APP"
CODE=$?
[ "$CODE" = 0 ] || fail "corvane ended with status $CODE: $(tail -5 "$WORK/corvane.out")"

LOG="$(ls "$HOME_DIR"/dati/*_log.txt 2>/dev/null | head -1)"
[ -n "$LOG" ] || fail "no activity log in $HOME_DIR/dati"
tr -d '\r' <"$LOG" | tail -3 >"$WORK/tail.txt"
DASHES="-------------------------------"
[ "$(sed -n 1p "$WORK/tail.txt" | cut -c9-)" = " : $DASHES" ] || fail "log end: $(cat "$WORK/tail.txt")"
sed -n 2p "$WORK/tail.txt" | grep -Eq '^[0-9]{2}:[0-9]{2}:[0-9]{2} : [0-9]{2}:[0-9]{2}:[0-9]{2} End of Program$' ||
  fail "log end: $(cat "$WORK/tail.txt")"
[ "$(sed -n 3p "$WORK/tail.txt" | cut -c9-)" = " : $DASHES" ] || fail "log end: $(cat "$WORK/tail.txt")"
echo "gui_smoke: PASS"
