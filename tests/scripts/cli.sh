#!/usr/bin/env bash
# The command line as a user runs it: the built program, without a display,
# against the demo catalogue on a loopback web server (python3's
# http.server), and against a slow server for Ctrl-C.  Checks output, JSON,
# exit codes, a dead first mirror, a ZIP with rules, an installer, a MESSAGE,
# a MinGW package (restart wanted), no server, a bad ID, no terminal, and
# SIGINT in mid-download leaving nothing that looks finished (the part kept to resume).
#   cli.sh BUILD_DIR SOURCE_DIR
set -uo pipefail
BUILD="${1:?build folder}"
SOURCE="${2:?source folder}"
BIN="$BUILD/corvane"
[ -x "$BIN" ] || { echo "corvane not built"; exit 1; }
for tool in python3 zip; do command -v "$tool" >/dev/null || { echo "$tool missing: skipped"; exit 77; }; done

. "$SOURCE/scripts/scratch.bash" cli
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
wait_for() {  # FILE TEXT: waits up to 10 s for TEXT to show in FILE
  for _ in $(seq 1 200); do grep -q "$2" "$1" 2>/dev/null && return 0; sleep 0.05; done
  return 1
}

PORT="$(free_port)"
SERVER="http://127.0.0.1:$PORT"
"$SOURCE/demo/build_site.sh" "$WORK" "$SERVER" "$SOURCE" >/dev/null || { echo "build_site failed"; exit 1; }
python3 "$SOURCE/demo/server.py" "$WORK/site" "$PORT" "$WORK/requests.log" >"$WORK/server.out" 2>&1 &
PIDS+=($!)
wait_for "$WORK/server.out" serving || { echo "the demo server did not start"; exit 1; }

export CORVANE_REGISTRY="$WORK/registry.txt"
unset DISPLAY WAYLAND_DISPLAY
HOME_DIR="$WORK/home"
# corvane ARGS...: stdout in $WORK/out, stderr in $WORK/err, status in $code;
# standard input is no terminal.
corvane() {
  "$BIN" "$@" --server "$SERVER" --home "$HOME_DIR" <"${INPUT:-/dev/null}" >"$WORK/out" 2>"$WORK/err"
  code=$?
}
expect_code() {  # WANTED WHAT
  [ "$code" = "$1" ] || fail "$2: exit status $code, wanted $1 (stderr: $(head -c 400 "$WORK/err"))"
}

# ---- list, JSON, show -------------------------------------------------------------
corvane list
expect_code 0 "list"
grep -q '^BETALIB  *BetaLib containers - Lists, maps and queues' "$WORK/out" || fail "list lacks BETALIB: $(cat "$WORK/out")"
[ "$(wc -l <"$WORK/out")" = 9 ] || fail "list shows $(wc -l <"$WORK/out") programs, the catalogue has 9"
[ -s "$WORK/err" ] && fail "list wrote to stderr: $(cat "$WORK/err")"
ls "$HOME_DIR"/dati/*_log.txt >/dev/null 2>&1 || fail "no activity log in the program folder"

corvane list --json --sizes
expect_code 0 "list --json"
python3 - "$WORK/out" <<'PY' || fail "list --json is not the catalogue as JSON"
import json, sys
items = json.load(open(sys.argv[1]))
by_id = {i["id"]: i for i in items}
assert len(items) == 9, len(items)
assert by_id["BETALIB"]["name"] == "BetaLib containers"
assert by_id["BETALIB"]["size"] > 0 and by_id["THETASTREAM"]["size"] == -1
assert by_id["BETALIB"]["downloaded"] is False
PY

corvane show betalib
expect_code 0 "show"
grep -q '^Author:  Demo Authors' "$WORK/out" || fail "show lacks the author"
grep -q "^URL:     $SERVER/download/packages/betalib.zip" "$WORK/out" || fail "show lacks the URL"
grep -qi 'containers' <(tail -n +8 "$WORK/out") || fail "show lacks the long description"
corvane show ETAMATH --json
python3 -c 'import json,sys; d=json.load(open(sys.argv[1])); assert len(d["urls"]) == 3' "$WORK/out" ||
  fail "show --json lacks the three mirrors"

# ---- usage errors, bad ID, no server ------------------------------------------------
for args in "frobnicate" "download" "show" "list --yes" "download BETALIB --all" "list --colour"; do
  # shellcheck disable=SC2086
  corvane $args
  expect_code 2 "corvane $args"
done
corvane show NOSUCH
expect_code 2 "show of a bad ID"
grep -q 'no program NOSUCH in the catalogue' "$WORK/err" || fail "the bad ID is not named"
corvane download BETALIB NOSUCH
expect_code 2 "download with a bad ID"
[ -e "$HOME_DIR/download/betalib.zip" ] && fail "a download started although an ID was bad"

DEAD="$(free_port)"
"$BIN" list --server "http://127.0.0.1:$DEAD" --home "$WORK/fresh" >"$WORK/out" 2>"$WORK/err" </dev/null
code=$?
expect_code 3 "list without a server"
grep -q 'cannot reach the catalogue server' "$WORK/err" || fail "no server: $(cat "$WORK/err")"

# ---- downloads: dead first mirror, no size, plain lines -------------------------------
corvane download ETAMATH THETASTREAM
expect_code 1 "download with a package that has no size"
cmp -s "$WORK/site/download/mirror2/etamath.zip" "$HOME_DIR/download/etamath.zip" ||
  fail "ETAMATH was not fetched from its second mirror"
grep -q "ETAMATH: trying $SERVER/download/mirror2/etamath.zip" "$WORK/out" || fail "the mirror change is not shown"
grep -q 'THETASTREAM: could not be downloaded' "$WORK/err" || fail "the failed item is not named"
grep -q $'\r' "$WORK/out" && fail "progress was redrawn although the output is no terminal"
[ -e "$HOME_DIR/download/thetastream.zip" ] && fail "a package without a size was stored"
grep -q 'Change URL...<' "$HOME_DIR"/dati/*_log.txt || fail "the mirror change is not in the activity log"

# On a terminal (a pseudo-terminal from script(1)) the progress is one line
# redrawn in place.
if command -v script >/dev/null; then
  script -qec "'$BIN' download GAMMAIO --server '$SERVER' --home '$HOME_DIR' </dev/null" /dev/null >"$WORK/tty.out" 2>&1
  grep -q $'\rGAMMAIO \[####################\] 100%' "$WORK/tty.out" ||
    fail "no redrawn progress line on a terminal: $(tr '\r' '|' <"$WORK/tty.out" | head -c 300)"
  rm -f "$HOME_DIR/download/gammaio.zip"
fi

corvane packages --json
python3 -c 'import json,sys; d=json.load(open(sys.argv[1])); assert [p["id"] for p in d] == ["ETAMATH"], d' "$WORK/out" ||
  fail "packages --json: $(cat "$WORK/out")"

# ---- installs -----------------------------------------------------------------------
TARNIC="$WORK/tarnic"
# tree FOLDER: one line per folder ("path/") and file ("path sha256"), sorted.
tree() {
  python3 - "$1" <<'PY'
import hashlib, os, sys
root = sys.argv[1]
for folder, dirs, files in os.walk(root):
    rel = os.path.relpath(folder, root)
    if rel != ".": print(rel + "/")
    for f in files:
        path = os.path.join(folder, f)
        print(os.path.relpath(path, root), hashlib.sha256(open(path, "rb").read()).hexdigest())
PY
}
tree "$TARNIC" | sort >"$WORK/tree.before"
corvane install BETALIB EPSILON
expect_code 2 "install without --yes and without a terminal"
grep -q 'add --yes' "$WORK/err" || fail "the refusal does not say how to go on"
[ -e "$TARNIC/betalib/lib/betalib.tn" ] && fail "installed although it was refused"

corvane install BETALIB DELTACLEAN EPSILON ZETANOTES --yes
expect_code 0 "install --yes"
[ -f "$TARNIC/betalib/lib/betalib.tn" ] || fail "BETALIB's files are not in the Tarnic folder"
[ -f "$TARNIC/backup/tarnic.ini" ] || fail "BETALIB's BACKUP rule did not run"
[ -e "$TARNIC/old/obsolete.txt" ] && fail "DELTACLEAN's DELETE rule did not run"
grep -q 'Epsilon Editor setup 1.5' "$WORK/out" || fail "the installer did not run: $(cat "$WORK/out")"
grep -q 'Installing BetaLib containers' "$HOME_DIR"/dati/*_log.txt || fail "the installation is not in the activity log"
grep -q 'Installation completed.' "$HOME_DIR"/dati/*_log.txt || fail "no end of installation in the log"

# ---- the installed record: installed, verify, uninstall ---------------------------------
corvane installed --json
expect_code 0 "installed --json"
python3 - "$WORK/out" <<'PY' || fail "installed --json: $(cat "$WORK/out")"
import json, sys
items = {i["id"]: i for i in json.load(open(sys.argv[1]))}
assert sorted(items) == ["BETALIB", "DELTACLEAN", "EPSILON", "ZETANOTES"], sorted(items)
assert "betalib/lib/betalib.tn" in items["BETALIB"]["files"], items["BETALIB"]
assert items["EPSILON"]["installer"] is True and items["BETALIB"]["installer"] is False
assert len(items["BETALIB"]["sha256"]) == 64 and items["BETALIB"]["date"]
PY
corvane verify
expect_code 0 "verify of an untouched folder"
echo "edited" >>"$TARNIC/betalib/lib/betalib.tn"
rm "$TARNIC/betalib/README.txt"
corvane verify BETALIB
expect_code 1 "verify after a change"
grep -qx 'BETALIB: changed: betalib/lib/betalib.tn' "$WORK/out" || fail "verify misses the changed file: $(cat "$WORK/out")"
grep -qx 'BETALIB: missing: betalib/README.txt' "$WORK/out" || fail "verify misses the missing file: $(cat "$WORK/out")"
corvane verify NOSUCH
expect_code 2 "verify of a program that is not installed"
corvane uninstall BETALIB
expect_code 2 "uninstall without --yes and without a terminal"
[ -f "$TARNIC/betalib/lib/betalib.tn" ] && [ -f "$TARNIC/backup/tarnic.ini" ] || fail "uninstalled although it was refused"

corvane uninstall BETALIB DELTACLEAN EPSILON ZETANOTES --yes
expect_code 0 "uninstall --yes"
grep -q 'BETALIB: kept, changed since its install: betalib/lib/betalib.tn' "$WORK/err" ||
  fail "the kept file is not named: $(cat "$WORK/err")"
grep -q 'EPSILON: the changes its installer made are not undone' "$WORK/out" || fail "the installer is not named"
# As before the installs, but for the edited file the user keeps.
tree "$TARNIC" | sort >"$WORK/tree.after"
diff <(grep -v '^betalib/' "$WORK/tree.after") "$WORK/tree.before" >"$WORK/tree.diff" ||
  fail "uninstall did not take the Tarnic folder back: $(head -c 600 "$WORK/tree.diff")"
grep -q '^betalib/lib/betalib.tn ' "$WORK/tree.after" || fail "the edited file was removed"
corvane installed
expect_code 0 "installed after uninstall"
grep -q 'Nothing is recorded as installed' "$WORK/out" || fail "records left after uninstall: $(cat "$WORK/out")"

# ---- a MinGW package, and Ctrl-C in mid-download, on a slow server of our own -------------
SLOW_PORT="$(free_port)"
mkdir -p "$WORK/slow/pkg/mingw/bin"
echo "gcc stand-in" >"$WORK/slow/pkg/mingw/bin/gcc.txt"
(cd "$WORK/slow/pkg/mingw" && zip -q -r -X "$WORK/slow/mingwkit.zip" .)
python3 - "$SLOW_PORT" "$WORK/slow" >"$WORK/slow.out" 2>&1 <<'PY' &
import http.server, os, sys, time
PORT, ROOT = int(sys.argv[1]), sys.argv[2]
SIZE = 4 * 1024 * 1024
class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"
    def log_message(self, *args): pass
    def head(self):
        if self.path == "/slow.zip":
            size = SIZE
        else:
            size = os.path.getsize(ROOT + self.path)
        self.send_response(200)
        self.send_header("Content-Length", str(size))
        self.end_headers()
    def do_HEAD(self): self.head()
    def do_GET(self):
        self.head()
        if self.path != "/slow.zip":
            self.wfile.write(open(ROOT + self.path, "rb").read())
            return
        try:
            for _ in range(SIZE // 4096):
                self.wfile.write(b"x" * 4096)
                time.sleep(0.02)
        except OSError:
            pass
server = http.server.ThreadingHTTPServer(("127.0.0.1", PORT), Handler)
print("serving", flush=True)
server.serve_forever()
PY
PIDS+=($!)
wait_for "$WORK/slow.out" serving || { echo "the slow server did not start"; exit 1; }
SLOW_HOME="$WORK/slowhome"
mkdir -p "$SLOW_HOME/data" "$SLOW_HOME/lang"
cp "$SOURCE/resources/resource/english.lang" "$SLOW_HOME/lang/"
printf '%s\r\n' "LANGUAGE=ENGLISH" "AUTOUPDATE=FALSE" "URLUPDATE=" "AUTOEXECUTE=FALSE" "WINRAR=" \
  "TARNPATH=$TARNIC" "SVNPATH=" "DEFAULT_INSTALL=0" "DISABLE_DELETE=0" "APPVERSION=1.33" >"$SLOW_HOME/data/conf.txt"
printf '%s\r\n' "[SLOW]" "NAME=Slow package" "URL=http://127.0.0.1:$SLOW_PORT/slow.zip" "[/]" \
  "[MINGWKIT]" "NAME=MinGW kit" "URL=http://127.0.0.1:$SLOW_PORT/mingwkit.zip" "PATH=/mingw" "[/]" \
  >"$SLOW_HOME/data/win32.app.english.txt"

"$BIN" install MINGWKIT --yes --home "$SLOW_HOME" --server "$SERVER" </dev/null >"$WORK/out" 2>"$WORK/err"
code=$?
expect_code 5 "install of a MinGW package"
[ -f "$TARNIC/mingw/mingwkit/bin/gcc.txt" ] || fail "the MinGW package was not installed"
grep -q 'restart' "$WORK/out" || fail "the wanted restart is not said"

"$BIN" download SLOW --home "$SLOW_HOME" --server "$SERVER" </dev/null >"$WORK/out" 2>"$WORK/err" &
CLI_PID=$!
# The transfer's part beside the package, with bytes in it.
partial() { [ -n "$(find "$SLOW_HOME/download" -name 'slow.zip.part' -size +0 2>/dev/null)" ]; }
for _ in $(seq 1 200); do partial && break; sleep 0.05; done
partial || fail "the slow download did not start"
kill -INT "$CLI_PID"
wait "$CLI_PID"
code=$?
expect_code 130 "Ctrl-C in mid-download"
[ -e "$SLOW_HOME/download/slow.zip" ] && fail "an interrupted download looks finished"
partial && [ -f "$SLOW_HOME/download/slow.zip.part.note" ] || fail "an interrupted download did not keep its part to resume"
compgen -G "$SLOW_HOME/download/.corvane-*.tmp" >/dev/null && fail "an interrupted download left a temporary file"
grep -q 'interrupted' "$WORK/err" || fail "the interruption is not said"

# A signed catalogue whose record has no checksum: refused, for trust reasons.
STRICT_HOME="$WORK/strict-home"
cp -r "$SLOW_HOME" "$STRICT_HOME"
printf '%s\r\n' "[NOSUM]" "NAME=No checksum" "URL=http://127.0.0.1:$SLOW_PORT/slow.zip" "[/]" \
  >"$STRICT_HOME/data/win32.app.english.txt"
minisign -S -s "$WORK/keys/demo.sec" -m "$STRICT_HOME/data/win32.app.english.txt" </dev/null >/dev/null ||
  fail "minisign could not sign the list file"
"$BIN" download NOSUM --trust-key "$WORK/keys/demo.pub" --home "$STRICT_HOME" --server "$SERVER" \
  </dev/null >"$WORK/out" 2>"$WORK/err"
code=$?
expect_code 4 "download refused by a signed catalogue"
grep -q 'NOSUM: no checksum' "$WORK/err" || fail "the refusal is not said: $(cat "$WORK/err")"

echo "command line: $failures failures"
[ "$failures" -eq 0 ]
