# Sourced by test scripts: serves a folder with python3's http.server on a
# free loopback port.
#   start_http_server FOLDER LOG_PREFIX   sets SERVER_PID and PORT, or exits 1
# The caller kills SERVER_PID when it ends.
start_http_server() {
  local folder="$1" log="$2"
  python3 -u -m http.server --bind 127.0.0.1 --directory "$folder" 0 >"$log.out" 2>"$log.err" &
  SERVER_PID=$!
  PORT=""
  for _ in $(seq 1 100); do
    PORT="$(sed -n 's/.* port \([0-9][0-9]*\).*/\1/p' "$log.out" 2>/dev/null | head -n 1 || true)"
    [ -n "$PORT" ] && return 0
    sleep 0.05
  done
  echo "the web server did not start: $(cat "$log.err")"
  exit 1
}
