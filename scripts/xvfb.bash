# Sourced by the scripts that need a virtual display (demo walk, GUI tests,
# Windows smoke test).
#
# start_xvfb LOG_FILE: starts Xvfb on a display it picks itself (no race with
# other servers starting at the same moment), waits until it answers, exports
# DISPLAY and sets XVFB_PID.  -noreset: otherwise the server resets when the
# check's client leaves, and a program connecting during that reset is turned
# away ("Can't open display").  Returns 1, with nothing left running, when no
# server could be started.
start_xvfb() {
  local log="$1" numbers n=""
  numbers="$(mktemp)"
  Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp -noreset 5>"$numbers" >"$log" 2>&1 &
  XVFB_PID=$!
  for _ in $(seq 100); do
    n="$(tr -dc 0-9 < "$numbers" 2>/dev/null || true)"
    if [ -n "$n" ] && DISPLAY=":$n" xdotool getdisplaygeometry >/dev/null 2>&1; then
      rm -f "$numbers"
      export DISPLAY=":$n"
      return 0
    fi
    kill -0 "$XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  rm -f "$numbers"
  kill "$XVFB_PID" 2>/dev/null
  wait "$XVFB_PID" 2>/dev/null
  XVFB_PID=""
  return 1
}
