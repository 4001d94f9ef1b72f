#!/usr/bin/env bash
# Kills the program with SIGKILL at random moments while it saves the
# configuration, rewrites the registry store, downloads a package from a
# real web server (python3's http.server), unpacks an archive and installs
# a package, many times over.  After every kill: data/conf.txt and the store hold one whole
# generation (never a mix, never empty), the download folder holds no
# package that is not complete and the package scan offers none, the archive
# is untouched and unpacking it again gives every file whole; after a start-up
# the Tarnic folder holds the package wholly or not at all, as its record says.
#   crash_consistency.sh BUILD_DIR SOURCE_DIR     (CORVANE_CRASH_ROUNDS: kills per job, default 20;
#                                                  CORVANE_INSTALL_CRASH_ROUNDS: kills of installs, default 50)
set -euo pipefail
BUILD="${1:?build folder}"
SOURCE="${2:?source folder}"
# shellcheck source=../../scripts/http_server.bash
source "$SOURCE/scripts/http_server.bash"
DRIVER="$BUILD/tests/crash/crash_driver"
ROUNDS="${CORVANE_CRASH_ROUNDS:-20}"
[ -x "$DRIVER" ] || { echo "crash_driver not built"; exit 1; }
command -v python3 >/dev/null || { echo "python3 missing: skipped"; exit 77; }
command -v zip >/dev/null || { echo "zip missing: skipped"; exit 77; }

WORK="$(mktemp -d)"
SERVER_PID=""
cleanup() {
  [ -n "$SERVER_PID" ] && kill "$SERVER_PID" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Runs "$@" in the background, kills it after 20-419 ms, waits for it.
run_and_kill() {
  "$@" >/dev/null 2>>"$WORK/driver.err" &
  local pid=$!
  sleep "0.$(printf '%03d' $((20 + RANDOM % 400)))"
  kill -9 "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

# Runs "$@" in the background until check passes once (the first whole
# generation is on disk), then kills it.
seed() {
  local check="$1"; shift
  "$@" >/dev/null 2>>"$WORK/driver.err" &
  local pid=$!
  for _ in $(seq 1 200); do
    if eval "$check" >/dev/null 2>&1; then break; fi
    sleep 0.02
  done
  kill -9 "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  eval "$check" >/dev/null 2>&1 || fail "seeding: $check never passed"
}

started=$(date +%s)

# --- configuration ---
HOME_DIR="$WORK/home"
mkdir -p "$HOME_DIR/data"
seed "'$DRIVER' config-check '$HOME_DIR'" "$DRIVER" config-loop "$HOME_DIR"
for round in $(seq 1 "$ROUNDS"); do
  run_and_kill "$DRIVER" config-loop "$HOME_DIR"
  "$DRIVER" config-check "$HOME_DIR" >/dev/null 2>"$WORK/check.err" || fail "config, round $round: $(cat "$WORK/check.err")"
done
echo "configuration: $ROUNDS kills, last generation $("$DRIVER" config-check "$HOME_DIR" 2>&1)"

# --- registry store ---
STORE="$WORK/registry/registry.txt"
seed "'$DRIVER' registry-check '$STORE'" "$DRIVER" registry-loop "$STORE"
for round in $(seq 1 "$ROUNDS"); do
  run_and_kill "$DRIVER" registry-loop "$STORE"
  "$DRIVER" registry-check "$STORE" >/dev/null 2>"$WORK/check.err" || fail "registry, round $round: $(cat "$WORK/check.err")"
done
echo "registry store: $ROUNDS kills, last generation $("$DRIVER" registry-check "$STORE" 2>&1)"

# --- downloads from a real web server ---
SITE="$WORK/site"
mkdir -p "$SITE/a" "$SITE/b"
head -c 3000000 /dev/urandom >"$SITE/a/pkg.zip"
head -c 2000000 /dev/urandom >"$SITE/b/pkg.zip"
start_http_server "$SITE" "$WORK/server"
A="http://127.0.0.1:$PORT/a/pkg.zip"
B="http://127.0.0.1:$PORT/b/pkg.zip"
DL_HOME="$WORK/dl"
mkdir -p "$DL_HOME/download"
offered=0
interrupted=0
for round in $(seq 1 "$ROUNDS"); do
  rm -f "$DL_HOME"/download/.corvane-*.tmp
  run_and_kill "$DRIVER" download-loop "$DL_HOME" "$A" "$B"
  compgen -G "$DL_HOME/download/.corvane-*.tmp" >/dev/null && interrupted=$((interrupted + 1))
  if n=$("$DRIVER" download-check "$DL_HOME" pkg.zip "$SITE/a/pkg.zip" "$SITE/b/pkg.zip" 2>"$WORK/check.err"); then
    offered=$((offered + n))
  else
    fail "download, round $round: $(cat "$WORK/check.err")"
  fi
done
echo "downloads: $ROUNDS kills ($interrupted in the middle of a transfer), a complete package offered after $offered of them"

# --- unpacking ---
SRC="$WORK/pkgsrc"
mkdir -p "$SRC/pkg/sub"
for i in $(seq 1 24); do head -c 150000 /dev/urandom | base64 >"$SRC/pkg/sub/file$i.txt"; done
(cd "$SRC" && zip -qr "$WORK/pkg.zip" pkg)
cp "$WORK/pkg.zip" "$WORK/pkg.reference.zip"
mkdir -p "$WORK/reference"
(cd "$WORK/reference" && unzip -q "$WORK/pkg.zip")
DEST="$WORK/target"
mkdir -p "$DEST"
cut_files=0
for round in $(seq 1 "$ROUNDS"); do
  run_and_kill "$DRIVER" extract-loop "$WORK/pkg.zip" "$DEST"
  cmp -s "$WORK/pkg.zip" "$WORK/pkg.reference.zip" || fail "extract, round $round: the archive changed"
  if [ -d "$DEST/pkg/pkg" ]; then
    cut_files=$((cut_files + $({ diff -rq "$WORK/reference/pkg" "$DEST/pkg/pkg" 2>/dev/null || true; } | wc -l)))
  fi
  # A killed unpacking is mended by unpacking again.
  "$DRIVER" extract-once "$WORK/pkg.zip" "$DEST" >/dev/null 2>&1 || fail "extract, round $round: unpacking again failed"
  diff -rq "$WORK/reference/pkg" "$DEST/pkg/pkg" >/dev/null || fail "extract, round $round: unpacking again left files wrong"
done
echo "unpacking: $ROUNDS kills, $cut_files files cut short by a kill, every one mended by unpacking again"

# --- all-or-nothing installs ---
INSTALL_ROUNDS="${CORVANE_INSTALL_CRASH_ROUNDS:-50}"
IH="$WORK/install-home"
mkdir -p "$IH/data" "$IH/download" "$WORK/pkgsrc2/sub"
for i in $(seq 1 30); do head -c 60000 /dev/urandom | base64 >"$WORK/pkgsrc2/sub/file$i.txt"; done
(cd "$WORK/pkgsrc2" && zip -qr "$IH/download/pkg.zip" sub)
OLD="$WORK/tarnic-old"
mkdir -p "$OLD/bin" "$OLD/pkg/sub" "$OLD/old/deep"
echo compiler >"$OLD/bin/tnc.exe"
for i in $(seq 1 10); do echo "old $i" >"$OLD/pkg/sub/file$i.txt"; done
for i in $(seq 1 5); do echo "obsolete $i" >"$OLD/old/deep/f$i.txt"; done
NEW="$WORK/tarnic-new"
TARGET2="$WORK/tarnic"
fresh_target() {
  rm -rf "$TARGET2" "$IH/data/installed" "$IH/data/install-undo.txt"
  cp -a "$OLD" "$TARGET2"
}
# The whole install once, unkilled: the new state, and how long it takes.
fresh_target
t0=$(date +%s%N)
"$DRIVER" install-once "$IH" "$TARGET2" >/dev/null 2>>"$WORK/driver.err" || fail "install: the unkilled install failed"
took_ms=$(( ($(date +%s%N) - t0) / 1000000 + 1 ))
cp -a "$TARGET2" "$NEW"
diff -rq "$OLD" "$NEW" >/dev/null && fail "install: the package changed nothing"
seen_old=0
seen_new=0
for round in $(seq 1 "$INSTALL_ROUNDS"); do
  fresh_target
  "$DRIVER" install-once "$IH" "$TARGET2" >/dev/null 2>>"$WORK/driver.err" &
  pid=$!
  sleep "$(awk -v ms=$((RANDOM % (took_ms + 5))) 'BEGIN { printf "%.3f", ms / 1000 }')"
  kill -9 "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  if ! state=$("$DRIVER" install-check "$IH" "$TARGET2" 2>"$WORK/check.err"); then
    fail "install, round $round: $(cat "$WORK/check.err")"
    continue
  fi
  if [ "$state" = new ]; then ref="$NEW"; seen_new=$((seen_new + 1)); else ref="$OLD"; seen_old=$((seen_old + 1)); fi
  diff -r "$ref" "$TARGET2" >/dev/null || fail "install, round $round: the Tarnic folder is neither old nor new ($state recorded)"
done
echo "installs: $INSTALL_ROUNDS kills (install takes ${took_ms} ms), $seen_old rolled back to old, $seen_new wholly new"

echo "crash consistency: $((4 * ROUNDS + INSTALL_ROUNDS)) kills in $(( $(date +%s) - started )) s, $failures failures"
[ "$failures" -eq 0 ]
