#!/usr/bin/env bash
# A download into a disk that really fills up: the download folder is a
# 1 MiB tmpfs holding an older copy of the package, the server (python3's
# http.server) offers a 2 MB package and then a small one.  The big download
# must fail both ways (with and without progress), keep the older copy, leave
# no partial file and say so in the activity log; the small one afterwards
# must succeed: the program goes on.  Mounting needs root and a system that
# allows it; elsewhere the test is skipped (the same failure injected through
# the runtime layer is covered by the end-to-end tests).
#   disk_full.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
BUILD="${1:?build folder}"
SOURCE="${2:?source folder}"
# shellcheck source=../../scripts/http_server.bash
source "$SOURCE/scripts/http_server.bash"
DRIVER="$BUILD/tests/crash/crash_driver"
[ -x "$DRIVER" ] || { echo "crash_driver not built"; exit 1; }
command -v python3 >/dev/null || { echo "python3 missing: skipped"; exit 77; }

WORK="$(mktemp -d)"
HOME_DIR="$WORK/home"
SERVER_PID=""
MOUNTED=""
cleanup() {
  [ -n "$SERVER_PID" ] && kill "$SERVER_PID" 2>/dev/null
  [ -n "$MOUNTED" ] && umount "$MOUNTED" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT

mkdir -p "$HOME_DIR/download"
if [ "$(id -u)" != 0 ] || ! mount -t tmpfs -o size=1m tmpfs "$HOME_DIR/download" 2>/dev/null; then
  echo "cannot mount a small tmpfs here: skipped"
  exit 77
fi
MOUNTED="$HOME_DIR/download"

OLD="$WORK/old.zip"
head -c 300000 /dev/urandom >"$OLD"
cp "$OLD" "$HOME_DIR/download/big.zip"
mkdir -p "$WORK/site"
head -c 2000000 /dev/urandom >"$WORK/site/big.zip"
head -c 20000 /dev/urandom >"$WORK/site/small.zip"

start_http_server "$WORK/site" "$WORK/server"
BIG="http://127.0.0.1:$PORT/big.zip"
SMALL="http://127.0.0.1:$PORT/small.zip"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

results="$("$DRIVER" download "$HOME_DIR" "$BIG" "$SMALL" 2>&1)" || fail "the driver stopped: $results"
grep -qx "$BIG 0 0" <<<"$results" || fail "the download into a full disk did not fail both ways: $results"
grep -qx "$SMALL 1 1" <<<"$results" || fail "the next download did not succeed: $results"
cmp -s "$OLD" "$HOME_DIR/download/big.zip" || fail "the older copy was not kept"
! compgen -G "$HOME_DIR/download/.corvane-*.tmp" >/dev/null || fail "a partial file was left behind"
cmp -s "$WORK/site/small.zip" "$HOME_DIR/download/small.zip" || fail "the small package is not whole"
grep -q "Download failed - cannot write <.*big.zip>" "$HOME_DIR/dati/log.txt" || fail "the failure is not in the activity log"

echo "disk full: $failures failures"
[ "$failures" -eq 0 ]
