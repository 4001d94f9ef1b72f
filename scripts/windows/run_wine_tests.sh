#!/usr/bin/env bash
# Runs every test program of the Windows build under wine, one wine process
# per program, without a display (the tests use the headless backend).
#
#   scripts/windows/run_wine_tests.sh BUILD_DIR DEPS_DIR
#
# Tests listed in posix_only_tests.txt are left out: they drive POSIX tools
# (shell scripts, the registry file and `reg` stand-in of the Linux build)
# that a Windows build does not have; their Windows counterparts are in the
# *_win32_test.cpp files.  Prints one line per program and a closing
# "N passed, N failed"; exits non-zero when anything failed.
set -uo pipefail

HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
ROOT="$(cd "$HERE/../.." && pwd)"
BUILD="$(cd "${1:?usage: run_wine_tests.sh BUILD_DIR DEPS_DIR}" && pwd)"
WIN_DEPS="$(cd "${2:?usage: run_wine_tests.sh BUILD_DIR DEPS_DIR}" && pwd)"
# shellcheck source=wine_env.sh
. "$HERE/wine_env.sh"
wine_ready || exit 1
unset DISPLAY

# One gtest negative filter from the list (comments and blank lines ignored).
EXCLUDE="$(sed -e 's/#.*//' -e 's/[[:space:]]//g' "$HERE/posix_only_tests.txt" | grep -v '^$' | paste -sd: -)"
LOGS="$BUILD/wine-test-logs"
mkdir -p "$LOGS"
export CORVANE_SOURCE_DIR="$ROOT" CORVANE_BINARY_DIR="$BUILD"
# A program that outlives this limit has hung; its log shows where.
LIMIT="${CORVANE_WINE_TEST_LIMIT:-600}"

# The HTTPS tests' certificates and TLS servers: the Windows programs cannot
# start openssl or python3 themselves, so they are made and started here
# (see src/net/tls_test_server.h); the private CA comes in by CORVANE_CA_FILE
# as on any Windows machine.
TLS_FRONT_PID=""
stop_tls_front() {
  [ -z "$TLS_FRONT_PID" ] || kill "$TLS_FRONT_PID" 2>/dev/null || true
  [ -z "${MINISIGN_PID:-}" ] || kill "$MINISIGN_PID" 2>/dev/null || true
}
trap stop_tls_front EXIT
if command -v openssl >/dev/null && command -v python3 >/dev/null &&
   bash "$ROOT/tests/support/make_test_certs.sh" "$BUILD/tls-test-certs" >/dev/null; then
  python3 -u "$ROOT/tests/support/tls_front.py" --control "$BUILD/tls-test-certs" >"$LOGS/tls-front.out" 2>&1 &
  TLS_FRONT_PID=$!
  for _ in $(seq 100); do grep -q '^control ' "$LOGS/tls-front.out" && break; sleep 0.1; done
  if grep -q '^control ' "$LOGS/tls-front.out"; then
    # As a drive path: a test that has moved to another drive (C:, its
    # temporary home) still finds the files.
    export CORVANE_TEST_CERTS="Z:$BUILD/tls-test-certs"
    export CORVANE_TLS_FRONT_CONTROL="$(awk '/^control / { print $2; exit }' "$LOGS/tls-front.out")"
  else
    echo "  the TLS test server did not start: the HTTPS tests skip"
  fi
else
  echo "  no test certificates (openssl, python3): the HTTPS tests skip"
fi

# The signature tests' minisign, likewise (tests/support/minisign_tool.cpp).
MINISIGN_PID=""
if command -v minisign >/dev/null && command -v python3 >/dev/null; then
  python3 -u "$ROOT/tests/support/minisign_service.py" >"$LOGS/minisign-service.out" 2>&1 &
  MINISIGN_PID=$!
  for _ in $(seq 100); do grep -q '^control ' "$LOGS/minisign-service.out" && break; sleep 0.1; done
  if grep -q '^control ' "$LOGS/minisign-service.out"; then
    export CORVANE_MINISIGN_CONTROL="$(awk '/^control / { print $2; exit }' "$LOGS/minisign-service.out")"
  else
    echo "  the minisign service did not start: the signature tests skip"
  fi
else
  echo "  no minisign: the signature tests skip"
fi

passed=0
failed=0
bad_programs=()
mapfile -t programs < <(find "$BUILD" -maxdepth 2 -name '*_tests.exe' ! -name 'fltk_tests.exe' ! -name 'bench_tests.exe' | sort)
[ "${#programs[@]}" -gt 0 ] || { echo "run_wine_tests: no test programs in $BUILD" >&2; exit 1; }
for exe in "${programs[@]}"; do
  name="$(basename "$exe" .exe)"
  log="$LOGS/$name.log"
  start=$SECONDS
  run_program() {
    (cd "$BUILD" && timeout --kill-after=10 "$LIMIT" wine "$exe" --gtest_filter="-$EXCLUDE" >"$log" 2>&1)
  }
  run_program
  status=$?
  # wine itself losing the program before its first test (its server
  # connection dropped) is no test result: that program runs once more.
  if [ "$status" -ne 0 ] && ! grep -q '^\[ RUN' "$log" && grep -q 'wine client error' "$log"; then
    echo "  $name: wine lost the program at its start; running it again"
    run_program
    status=$?
  fi
  ok="$(grep -E '^\[  PASSED  \] [0-9]+ test' "$log" | grep -Eo '[0-9]+' | head -1)"
  bad="$(grep -E '^\[  FAILED  \] [0-9]+ test' "$log" | grep -Eo '[0-9]+' | head -1)"
  ok="${ok:-0}"
  bad="${bad:-0}"
  passed=$((passed + ok))
  failed=$((failed + bad))
  if [ "$status" -ne 0 ] || [ "$bad" -ne 0 ]; then
    bad_programs+=("$name")
    [ "$bad" -eq 0 ] && failed=$((failed + 1))  # a crash or a hang counts as one failure
    echo "  $name: $ok passed, $bad failed, exit $status ($((SECONDS - start)) s) - see $log"
    grep -E '^\[  FAILED  \] [A-Za-z]' "$log" | sed 's/^/      /' | head -20
    [ "$status" -eq 124 ] && echo "      (stopped after $LIMIT s; last lines:)" && tail -3 "$log" | sed 's/^/      /'
  else
    echo "  $name: $ok passed ($((SECONDS - start)) s)"
  fi
done
wine_stop
stop_tls_front
echo "windows: $passed passed, $failed failed"
[ "${#bad_programs[@]}" -eq 0 ]
