#!/usr/bin/env bash
# Runs Corvane's benchmarks against their references and writes the results
# table to bench/RESULTS.md (only when every benchmark ran).
#   bench/run.sh BUILD_DIR [download] [https] [resume] [extract] [catalogue] [startup] [--runs N]
# With no names every benchmark runs.  BUILD_DIR should be a Release build
# (./corvane.sh bench configures one).  Temporary data lives in
# BUILD_DIR/bench-data and the big files are deleted afterwards.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$(cd "${1:?usage: bench/run.sh BUILD_DIR [names] [--runs N]}" && pwd)"
shift
RUNS=5
SELECTED=()
while (($#)); do
  case "$1" in
    --runs) RUNS="${2:?--runs needs a number}"; shift 2 ;;
    download|https|resume|extract|catalogue|startup) SELECTED+=("$1"); shift ;;
    *) echo "bench/run.sh: unknown argument $1" >&2; exit 2 ;;
  esac
done
ALL=(download https resume extract catalogue startup)
((${#SELECTED[@]})) || SELECTED=("${ALL[@]}")
if ((RUNS < 5)); then echo "bench/run.sh: at least 5 runs are needed for a median" >&2; exit 2; fi

for tool in curl unzip python3; do
  command -v "$tool" >/dev/null || { echo "bench/run.sh: $tool is not installed" >&2; exit 1; }
done

LOAD_BEFORE="$(cut -d' ' -f1-3 /proc/loadavg 2>/dev/null || echo unknown)"
DATA="$BUILD/bench-data"
WWW="$DATA/www"
mkdir -p "$WWW"
ROWS="$DATA/rows.md"
: >"$ROWS"

cmake --build "$BUILD" -j "$(nproc 2>/dev/null || echo 2)" --target \
  corvane-bench-download corvane-bench-resume corvane-bench-extract corvane-bench-catalogue corvane-bench-startup

SERVER_PID=""
TLS_SERVER_PID=""
CUT_SERVER_PID=""
cleanup() {
  if [ -n "$SERVER_PID" ]; then kill "$SERVER_PID" 2>/dev/null || true; wait "$SERVER_PID" 2>/dev/null || true; fi
  if [ -n "$CUT_SERVER_PID" ]; then kill "$CUT_SERVER_PID" 2>/dev/null || true; wait "$CUT_SERVER_PID" 2>/dev/null || true; fi
  if [ -n "$TLS_SERVER_PID" ]; then kill "$TLS_SERVER_PID" 2>/dev/null || true; wait "$TLS_SERVER_PID" 2>/dev/null || true; fi
  # The big files: the download source and copies, the package and its outputs.
  rm -rf "$WWW" "$DATA/download" "$DATA/extract" "$DATA/catalogue" "$DATA/startup" "$DATA/certs"
}
trap cleanup EXIT

# A free loopback port.
free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
# Waits up to 10 s until a server answers at URL (extra curl options first);
# ends the run when it does not.
wait_for_server() {
  local what="$1"
  shift
  for _ in $(seq 100); do
    curl -s -o /dev/null "$@" && return 0
    sleep 0.1
  done
  curl -s -o /dev/null "$@" || { echo "bench/run.sh: the $what did not start" >&2; exit 1; }
}

needs_server=0
for name in "${SELECTED[@]}"; do
  case "$name" in download|startup) needs_server=1 ;; esac
done
SERVER=""
if ((needs_server)); then
  # A real, independently written HTTP/1.0 server on a free loopback port.
  PORT="$(free_port)"
  python3 -m http.server "$PORT" --bind 127.0.0.1 --directory "$WWW" >"$DATA/server.log" 2>&1 &
  SERVER_PID=$!
  SERVER="http://127.0.0.1:$PORT"
  wait_for_server "web server" "$SERVER/"
fi

# The HTTPS download: the same folder over TLS, with a private CA made now.
TLS_SERVER=""
CA_FILE=""
if [[ " ${SELECTED[*]} " == *" https "* ]]; then
  bash "$ROOT/tests/support/make_test_certs.sh" "$DATA/certs" >/dev/null
  CA_FILE="$DATA/certs/ca.pem"
  TLS_PORT="$(free_port)"
  python3 "$ROOT/bench/tls_file_server.py" "$TLS_PORT" "$WWW" "$DATA/certs/good.pem" "$DATA/certs/good.key" \
    >"$DATA/tls-server.log" 2>&1 &
  TLS_SERVER_PID=$!
  TLS_SERVER="https://127.0.0.1:$TLS_PORT"
  wait_for_server "TLS web server" --cacert "$CA_FILE" "$TLS_SERVER/"
fi

# The resume download: a server that ends every connection at the next of
# 10 cut points in the 256 MiB file, honouring Range.
CUT_SERVER=""
if [[ " ${SELECTED[*]} " == *" resume "* ]]; then
  CUT_PORT="$(free_port)"
  CUTS=()
  for i in $(seq 1 10); do CUTS+=($((i * (256 << 20) / 11 + i * 4099))); done
  python3 "$ROOT/bench/cut_file_server.py" "$CUT_PORT" "$WWW" "${CUTS[@]}" >"$DATA/cut-server.log" 2>&1 &
  CUT_SERVER_PID=$!
  CUT_SERVER="http://127.0.0.1:$CUT_PORT"
  wait_for_server "cutting web server" "$CUT_SERVER/sent"
fi

# Runs one bench program, showing its output and keeping its table rows.
bench() {
  "$@" | tee "$DATA/bench.out" || { echo "bench/run.sh: $1 failed" >&2; return 1; }
  grep '^| ' "$DATA/bench.out" >>"$ROWS" || true
}

# The catalogue bench prints its medians; the larger catalogues are judged
# on their own and against the next smaller one measured in the same run, so
# that the load is seen to grow no faster than the catalogue.
catalogue_rows() {
  local small large huge
  "$BUILD/bench/corvane-bench-catalogue" "$DATA/catalogue" | tee "$DATA/bench.out" ||
    { echo "bench/run.sh: corvane-bench-catalogue failed" >&2; return 1; }
  median_of() {
    awk -v n="$1" '$0 ~ " " n " records:" { for (i = 1; i <= NF; i++) if ($i == "median") { print $(i + 1); exit } }' "$DATA/bench.out"
  }
  small="$(median_of 1000)"
  large="$(median_of 10000)"
  huge="$(median_of 100000)"
  if [ -z "$small" ] || [ -z "$large" ] || [ -z "$huge" ]; then
    echo "bench/run.sh: cannot read the catalogue bench's medians" >&2
    return 1
  fi
  awk -v s="$small" -v l="$large" -v h="$huge" 'BEGIN {
    r = l / s
    q = h / l
    printf "| LoadProgramList, 1,000 records | %.1f ms | - | - | - | - |\n", s
    printf "| LoadProgramList, 10,000 records (time) | %.1f ms | - | - | < 500 ms | %s |\n", l, (l < 500 ? "yes" : "**no**")
    printf "| LoadProgramList, 10,000 against 1,000 records | %.1f ms | 1,000: %.1f ms | %.2f | <= 15 | %s |\n", l, s, r, (r <= 15 ? "yes" : "**no**")
    printf "| LoadProgramList, 100,000 records (time) | %.1f ms | - | - | < 300 ms | %s |\n", h, (h < 300 ? "yes" : "**no**")
    printf "| LoadProgramList, 100,000 against 10,000 records | %.1f ms | 10,000: %.1f ms | %.2f | <= 11 | %s |\n", h, l, q, (q <= 11 ? "yes" : "**no**")
  }' | tee -a "$ROWS"
}

status=0
for name in "${SELECTED[@]}"; do
  echo "== $name"
  case "$name" in
    download)
      bench "$BUILD/bench/corvane-bench-download" --server "$SERVER" --web-root "$WWW" \
        --work "$DATA/download" --runs "$RUNS" || status=1 ;;
    https)
      bench "$BUILD/bench/corvane-bench-download" --server "$TLS_SERVER" --web-root "$WWW" \
        --work "$DATA/download" --runs "$RUNS" --ca-file "$CA_FILE" || status=1 ;;
    resume)
      bench "$BUILD/bench/corvane-bench-resume" --server "$CUT_SERVER" --web-root "$WWW" \
        --work "$DATA/download" --runs "$RUNS" || status=1 ;;
    extract)
      bench "$BUILD/bench/corvane-bench-extract" --work "$DATA/extract" --runs "$RUNS" || status=1 ;;
    catalogue)
      catalogue_rows || status=1 ;;
    startup)
      bench "$BUILD/bench/corvane-bench-startup" --server "$SERVER" --web-root "$WWW" \
        --work "$DATA/startup" --runs "$RUNS" || status=1 ;;
  esac
done

CPU="$(awk -F': *' '/^model name/ { print $2; exit }' /proc/cpuinfo 2>/dev/null || true)"
TABLE="$(printf '| Benchmark | Corvane | Reference | Ratio | Target | Met |\n|---|---|---|---|---|---|\n'; cat "$ROWS")"
echo
echo "$TABLE"

if ((status == 0)) && ((${#SELECTED[@]} == ${#ALL[@]})); then
  {
    echo "# Benchmark results"
    echo
    echo "Written by \`./corvane.sh bench\` (bench/run.sh); each run replaces this file."
    echo
    echo "- Date: $(date -u '+%Y-%m-%d %H:%M UTC')"
    echo "- Machine: $(nproc) CPUs (nproc), ${CPU:-unknown CPU}; $(uname -sr)"
    echo "- Load average (1, 5, 15 min) before the benchmarks: $LOAD_BEFORE; after: $(cut -d' ' -f1-3 /proc/loadavg)." \
         "Other work on the machine lengthens wall times; the processor-time rows are less affected."
    echo "- Build: $(grep -m1 '^CMAKE_BUILD_TYPE' "$BUILD/CMakeCache.txt" | cut -d= -f2 || echo unknown)," \
         "$(g++ --version | head -1)"
    echo "- Each figure is the median of $RUNS runs; Corvane and its reference alternate within one run."
    echo "  Download: curl's own transfer time (-w %{time_total}); Corvane's DownloadFile call with the"
    echo "  wizard's progress callback, 128-byte chunks, on the headless backend; HTTPS: the same over"
    echo "  TLS from Python's http.server in ssl, a private CA, curl --cacert; with SHA-256, the same"
    echo "  call hashing as the bytes arrive against curl's time plus sha256sum's wall time.  Gaps: wall clock"
    echo "  between two passes of the window's messages, and the window thread's own processor time between"
    echo "  them (a busy machine lengthens the first, not the second).  Resume: the file cut 10 times by"
    echo "  bench/cut_file_server.py, DownloadFile tries against curl -C - runs, times added up over the"
    echo "  tries, bytes as the server counted them.  Extraction: unzip's"
    echo "  wall time; ExtractZip's call.  Start-up: from the entry to the first wait of the main loop."
    echo
    echo "$TABLE"
  } >"$ROOT/bench/RESULTS.md"
  echo
  echo "Results written to $ROOT/bench/RESULTS.md"
fi
exit "$status"
