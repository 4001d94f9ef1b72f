#!/usr/bin/env bash
# The Windows build of Corvane, from nothing to a tested release archive:
#
#   1. installs the cross compiler, wine and the test tools when missing;
#   2. builds zlib/minizip, libpng, FLTK, mbedTLS and GoogleTest for Windows from
#      Debian's source packages (skipped when already built);
#   3. cross-compiles corvane.exe and the test programs;
#   4. runs the test programs under wine (headless backend, wine's registry,
#      cmd.exe and reg.exe);
#   5. starts corvane.exe under wine on a virtual display against a loopback
#      catalogue and saves a screenshot;
#   6. packs corvane-win64.zip (corvane.exe and a short read-me).
#
#   scripts/windows/build_and_test.sh [--no-tests]
#
# Folders (git ignores both): CORVANE_WIN_DEPS_DIR (default build-win64-deps)
# for the libraries and the wine prefix, reused by later runs;
# CORVANE_WIN_BUILD_DIR (default build-win64) for the build and the archive.
set -euo pipefail

HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
ROOT="$(cd "$HERE/../.." && pwd)"
DEPS="${CORVANE_WIN_DEPS_DIR:-$ROOT/build-win64-deps}"
BUILD="${CORVANE_WIN_BUILD_DIR:-$ROOT/build-win64}"
JOBS="$(nproc 2>/dev/null || echo 2)"
RUN_TESTS=1
[ "${1:-}" = "--no-tests" ] && RUN_TESTS=0

PACKAGES=(cmake make pkg-config dpkg-dev g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
  binutils-mingw-w64-x86-64 libgtest-dev libgmock-dev wine wine64 xvfb xauth xdotool
  imagemagick python3 zip unzip
  openssl)  # the HTTPS tests' certificates
# libsodium's configure script is made from Debian's source with these.
PACKAGES+=(autoconf automake libtool)
# The signature tests sign with the real minisign on the Linux side.
PACKAGES+=(minisign)

STEP_START=$SECONDS
TIMES=()
step() {
  echo "==> $*"
  STEP_START=$SECONDS
}
done_step() { TIMES+=("$(printf '%-26s %4d s' "$1" $((SECONDS - STEP_START)))"); }

install_packages() {
  local missing=() p
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
  done
  ((${#missing[@]})) || return 0
  echo "windows: installing ${missing[*]}"
  local sudo=""
  [ "$(id -u)" = 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

step "packages"
install_packages
done_step "packages"

step "Windows libraries"
deps_status=0
bash "$HERE/build_deps.sh" "$DEPS" || deps_status=$?
if [ "$deps_status" = 75 ]; then
  echo "windows: Debian's source packages for the Windows libraries cannot be fetched from this" >&2
  echo "windows: machine's package registry; nothing was built or tested for Windows." >&2
  exit 75
fi
[ "$deps_status" = 0 ] || exit "$deps_status"
DEPS="$(cd "$DEPS" && pwd)"
done_step "libraries"

step "cross build"
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" -DCORVANE_WIN_DEPS="$DEPS/prefix" >/dev/null
# The program and every test program but the FLTK backend's (they need a
# display of their own; the smoke test below covers the backend) and the
# benchmarks' (they measure this Linux machine).
mapfile -t TEST_TARGETS < <(cmake --build "$BUILD" --target help | sed -n 's/^\.\.\. \([a-z0-9_]*_tests\)$/\1/p' |
  grep -Ev '^(fltk|bench)_tests$')
TARGETS=(corvane)
((RUN_TESTS)) && TARGETS+=(console_tool "${TEST_TARGETS[@]}")
cmake --build "$BUILD" -j "$JOBS" --target "${TARGETS[@]}"
done_step "build"

status=0
if ((RUN_TESTS)); then
  step "tests under wine"
  bash "$HERE/run_wine_tests.sh" "$BUILD" "$DEPS" || status=1
  done_step "wine tests"

  step "corvane.exe under wine and Xvfb"
  bash "$HERE/smoke_test.sh" "$BUILD" "$DEPS" || status=1
  done_step "wine smoke test"
fi

step "release archive"
bash "$HERE/package.sh" "$BUILD"
done_step "archive"

echo "windows: timings"
printf '  %s\n' "${TIMES[@]}"
exit $status
