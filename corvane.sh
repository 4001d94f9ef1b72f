#!/usr/bin/env bash
# Set-up, build and run Corvane on Debian 12.
#   ./corvane.sh demo    install what is missing, build, run against the demo catalogue
#   ./corvane.sh test    install what is missing, build, run every test
#   ./corvane.sh build   install what is missing and build
#   ./corvane.sh bench   build in release mode and run the benchmarks
#   ./corvane.sh fuzz [seconds]   run every fuzz target longer
#   ./corvane.sh windows  cross-build the Windows program and test it under wine
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
BUILD="${CORVANE_BUILD_DIR:-$ROOT/build}"
JOBS="$(nproc 2>/dev/null || echo 2)"

PACKAGES=(cmake g++ make pkg-config libgtest-dev libgmock-dev
  libfltk1.3-dev libminizip-dev libpng-dev zlib1g-dev
  xvfb xauth xdotool x11-utils imagemagick python3 zip unzip libarchive-tools p7zip-full curl
  clang-14 libclang-rt-14-dev dpkg-dev file)
# HTTPS: mbedTLS, the system's trusted roots, and openssl for the tests' certificates.
PACKAGES+=(libmbedtls-dev ca-certificates openssl)
# Trust: hashes and signatures (libsodium), the publishers' signing tool.
PACKAGES+=(libsodium-dev minisign)
# Resumed downloads are also tested against a real web server that does ranges.
PACKAGES+=(nginx-light)

setup() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
  done
  if ((${#missing[@]})); then
    echo "corvane.sh: installing ${missing[*]}"
    local sudo=""
    [ "$(id -u)" = 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

configure_and_build() {
  local dir="$1" type="$2"
  cmake -S "$ROOT" -B "$dir" -DCMAKE_BUILD_TYPE="$type" >/dev/null
  cmake --build "$dir" -j "$JOBS"
}

cmd="${1:-demo}"
shift || true
case "$cmd" in
  setup) setup ;;
  build) setup; configure_and_build "$BUILD" RelWithDebInfo ;;
  test)
    setup
    configure_and_build "$BUILD" RelWithDebInfo
    cd "$BUILD"
    ctest --output-on-failure -j "$JOBS" --timeout 600 "$@"
    if [ -x "$ROOT/fuzz/run.sh" ]; then "$ROOT/fuzz/run.sh" short; fi
    ;;
  demo)
    setup
    configure_and_build "$BUILD" RelWithDebInfo
    exec "$ROOT/demo/run.sh" "$BUILD" "$@"
    ;;
  run)
    setup
    configure_and_build "$BUILD" RelWithDebInfo
    exec "$BUILD/corvane" "$@"
    ;;
  bench)
    setup
    configure_and_build "$ROOT/build-release" Release
    exec "$ROOT/bench/run.sh" "$ROOT/build-release" "$@"
    ;;
  fuzz) exec "$ROOT/fuzz/run.sh" long "$@" ;;
  windows) exec bash "$ROOT/scripts/windows/build_and_test.sh" "$@" ;;
  *) echo "usage: $0 {demo|test|build|run|bench|fuzz|windows}" >&2; exit 2 ;;
esac
