#!/usr/bin/env bash
# Runs Corvane against the demo catalogue.
#   run.sh BUILD_DIR [--headless] [--out DIR]
# With a display the user gets the window.  Without one (or with --headless)
# Corvane runs under Xvfb, the wizard is walked through with xdotool (tick two
# programs, download, install), a screenshot of every page lands in the out
# folder, and a summary says what was installed.
set -euo pipefail
BUILD="$(cd "$1" && pwd)"; shift
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
OUT="$ROOT/demo-out"
HEADLESS=0
while (($#)); do
  case "$1" in
    --headless) HEADLESS=1 ;;
    --out) OUT="$2"; shift ;;
    *) echo "run.sh: unknown option $1" >&2; exit 2 ;;
  esac
  shift
done
[ -n "${DISPLAY:-}" ] || HEADLESS=1
mkdir -p "$OUT"
OUT="$(cd "$OUT" && pwd)"

PIDS=()
cleanup() {
  for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
}
trap cleanup EXIT
trap 'exit 130' INT TERM

free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }

PORT="$(free_port)"
SERVER="http://127.0.0.1:$PORT"
"$ROOT/demo/build_site.sh" "$OUT" "$SERVER" "$ROOT"
rm -f "$OUT/requests.log"
python3 "$ROOT/demo/server.py" "$OUT/site" "$PORT" "$OUT/requests.log" >/dev/null 2>&1 &
PIDS+=($!)
for _ in $(seq 50); do
  curl -s -o /dev/null "$SERVER/download/corvane/version.txt" && break
  sleep 0.1
done
# The demo's registry changes stay in the demo folder.
export CORVANE_REGISTRY="$OUT/registry.txt"
echo "Demo catalogue served at $SERVER/download/corvane/"

if [ "$HEADLESS" = 0 ]; then
  "$BUILD/corvane" --home "$OUT/home" --server "$SERVER"
  exit $?
fi

# Not exec: this shell must stay to stop the server afterwards.
"$ROOT/demo/walk.sh" "$BUILD" "$OUT" "$SERVER"
