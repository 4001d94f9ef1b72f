#!/usr/bin/env bash
# End to end: the demo script, headless under Xvfb, in a scratch folder.
# Checks the server's requests, the downloads, the installed files, the log's
# end block and the screenshots.   demo_walk.sh BUILD_DIR SOURCE_DIR
set -uo pipefail
BUILD="$1" SRC="$2"
command -v Xvfb >/dev/null || { echo "SKIP: Xvfb is not installed"; exit 77; }
OUT="$(mktemp -d /tmp/corvane-demo-XXXXXX)"
trap 'rm -rf "$OUT"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

env -u DISPLAY timeout 600 "$SRC/demo/run.sh" "$BUILD" --headless --out "$OUT" > "$OUT/run.txt" 2>&1 \
  || { cat "$OUT/run.txt"; fail "the demo script failed"; }
cat "$OUT/run.txt"

# The server saw the catalogue requests and the two downloads.
for req in "GET /download/corvane/languages.txt" "GET /download/corvane/english.lang" \
           "GET /download/corvane/italiano.lang" "GET /download/corvane/win32.app.english.txt" \
           "HEAD /download/packages/alphagfx.zip" "GET /download/packages/alphagfx.zip" \
           "GET /download/packages/epsilon-setup.exe"; do
  grep -q "^$req\$" "$OUT/requests.log" || fail "the server never saw: $req"
done

# The two ticked programs are in download with the right bytes.
cmp -s "$OUT/home/download/alphagfx.zip" "$OUT/site/download/packages/alphagfx.zip" || fail "alphagfx.zip differs"
cmp -s "$OUT/home/download/epsilon-setup.exe" "$OUT/site/download/packages/epsilon-setup.exe" || fail "epsilon-setup.exe differs"
[ "$(ls "$OUT/home/download" | wc -l)" = 2 ] || fail "download holds more than the two ticked programs"

# The ZIP package landed below its PATH rule in the Tarnic folder.
cmp -s "$OUT/tarnic/mod/x.mod/alphagfx/gfx/alphagfx.tn" "$SRC/demo/packages/alphagfx/gfx/alphagfx.tn" \
  || fail "the ZIP package's files are not in the Tarnic folder"

# The installer ran and the log ends with the end-of-program block.
LOG="$(ls "$OUT"/home/dati/*_log.txt | head -1)"
grep -q "Epsilon Editor setup 1.5" "$LOG" || fail "the installer's output is not in the log"
tail -n 3 "$LOG" | tr -d '\r' | grep -q "End of Program" || fail "the log does not end with the end-of-program block"

# Every page's screenshot exists and is not blank.
for shot in 1-start 3-download 4-downloaded 5-install 6-installed; do
  [ -s "$OUT/$shot.png" ] || fail "missing screenshot $shot"
  sd="$(convert "$OUT/$shot.png" -format '%[fx:standard_deviation]' info:)"
  awk -v s="$sd" 'BEGIN { exit !(s > 0.01) }' || fail "screenshot $shot is blank"
done
echo "PASS"
