#!/usr/bin/env bash
# Runs every fuzz target under libFuzzer with AddressSanitizer and
# UndefinedBehaviorSanitizer (leaks included).
#   fuzz/run.sh short            about 30 s per target, fixed seed (part of "./corvane.sh test")
#   fuzz/run.sh long [seconds]   each target for 10 million runs, or for the seconds given
# Builds with clang-14 in build-fuzz (CORVANE_FUZZ_BUILD_DIR names another).
# Each target starts from its seeds in fuzz/corpus/<target> and keeps what it
# learns in build-fuzz/corpus/<target>; a crash, leak or sanitizer report is
# saved in build-fuzz/findings/<target>/ and makes the run fail.  Replay one
# with: build-fuzz/fuzz/fuzz_<target> <file>.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${CORVANE_FUZZ_BUILD_DIR:-$ROOT/build-fuzz}"
JOBS="$(nproc 2>/dev/null || echo 2)"
TARGETS=(program_list language_file config http_response registry_store wildcard_path installed_record minisig key_file)

mode="${1:-short}"
case "$mode" in
  # The short run is part of the test command, so it walks the same mutation
  # sequence every time: a finding there is reproducible, not luck of the draw.
  short) limit=(-max_total_time="${CORVANE_FUZZ_SECONDS:-30}" -seed="${CORVANE_FUZZ_SEED:-1}") ;;
  long)
    if [ -n "${2:-}" ]; then limit=(-max_total_time="$2"); else limit=(-runs=10000000); fi
    ;;
  *) echo "usage: $0 {short|long [seconds]}" >&2; exit 2 ;;
esac

for tool in clang-14 clang++-14; do
  if ! command -v "$tool" >/dev/null; then
    echo "fuzz: $tool is missing (./corvane.sh setup installs it)" >&2
    exit 1
  fi
done

sanitizers="-fsanitize=address,undefined,fuzzer-no-link -fno-sanitize-recover=all -fno-omit-frame-pointer"
started=$(date +%s)
CC=clang-14 CXX=clang++-14 cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCORVANE_BUILD_TESTS=OFF -DCORVANE_WITH_FLTK=OFF -DCORVANE_LIBFUZZER=ON \
  -DCMAKE_C_FLAGS="$sanitizers" -DCMAKE_CXX_FLAGS="$sanitizers" >/dev/null
cmake --build "$BUILD" --target fuzz_all -j "$JOBS" >"$BUILD/fuzz-build.log" 2>&1 || {
  tail -n 40 "$BUILD/fuzz-build.log" >&2
  echo "fuzz: build failed (full log: $BUILD/fuzz-build.log)" >&2
  exit 1
}
built=$(date +%s)
echo "fuzz: built in $((built - started)) s; running ${TARGETS[*]} (${limit[*]})"

export ASAN_OPTIONS="detect_leaks=1:allocator_may_return_null=0:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}"
failed=()
mkdir -p "$BUILD/logs"
for t in "${TARGETS[@]}"; do
  mkdir -p "$BUILD/corpus/$t" "$BUILD/findings/$t"
  dict=()
  [ -f "$ROOT/fuzz/dict/$t.dict" ] && dict=(-dict="$ROOT/fuzz/dict/$t.dict")
  log="$BUILD/logs/$t.log"
  t0=$(date +%s)
  if "$BUILD/fuzz/fuzz_$t" "${limit[@]}" "${dict[@]}" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$BUILD/findings/$t/" "$BUILD/corpus/$t" "$ROOT/fuzz/corpus/$t" >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    echo "fuzz: $t: ${runs:-?} runs in $(( $(date +%s) - t0 )) s, no finding"
  else
    echo "fuzz: $t: FAILED after $(( $(date +%s) - t0 )) s (log: $log)" >&2
    grep -E "ERROR|invariant broken|SUMMARY|Test unit written" "$log" | head -n 20 >&2 || true
    failed+=("$t")
  fi
done
echo "fuzz: $mode run took $(( $(date +%s) - started )) s in all"
if ((${#failed[@]})); then
  echo "fuzz: findings in ${failed[*]}" >&2
  exit 1
fi
