#!/usr/bin/env bash
# The Debian package: builds it with CPack from the build folder, lists it and
# checks what a packager and a user get.
#   deb_package.sh BUILD_DIR SOURCE_DIR
# - the control fields (name, version of the project, Depends on the shared
#   libraries the program links, Recommends xdg-utils);
# - exactly the expected files: the program and `reg` in /usr/lib/corvane, the
#   command /usr/bin/corvane a relative link to it, no `reg` on the PATH, the
#   desktop entry and its icons, the manual page, and nothing else (no tests,
#   benches, demos);
# - the unpacked program runs and tells the package's version, and `reg` runs;
# - under Xvfb, the unpacked program (started as root, who could write into
#   its folder) keeps its data in $XDG_DATA_HOME/corvane, not beside itself.
# Exits 77 (skipped) only when dpkg-deb is missing.
set -uo pipefail

BUILD="${1:?build folder}"
SOURCE="${2:?source folder}"

fail() { echo "deb_package: FAIL: $*" >&2; exit 1; }
note() { echo "deb_package: $*"; }

command -v dpkg-deb >/dev/null || { echo "deb_package: SKIP: dpkg-deb is not installed" >&2; exit 77; }
command -v cpack >/dev/null || fail "cpack is not installed"
[ -f "$BUILD/CPackConfig.cmake" ] || fail "no CPackConfig.cmake in $BUILD (configure first)"

. "$SOURCE/scripts/scratch.bash" deb

# ---- build the package ------------------------------------------------------------
cmake --build "$BUILD" --target corvane reg corvane_man >"$WORK/build.log" 2>&1 ||
  { tail -20 "$WORK/build.log" >&2; fail "building corvane and reg failed"; }
# Into a folder of our own, so the build folder keeps no staging tree.
(cd "$BUILD" && cpack -G DEB --config "$BUILD/CPackConfig.cmake" -B "$WORK/out") >"$WORK/cpack.log" 2>&1 ||
  { cat "$WORK/cpack.log" >&2; fail "cpack -G DEB failed"; }

VERSION="$(sed -n 's/^project(corvane VERSION \([0-9.]*\).*/\1/p' "$SOURCE/CMakeLists.txt")"
[ -n "$VERSION" ] || fail "no project version in $SOURCE/CMakeLists.txt"
ARCH="$(dpkg --print-architecture)" || fail "dpkg --print-architecture failed"
DEB="$WORK/out/corvane_${VERSION}_${ARCH}.deb"
[ -f "$DEB" ] || fail "expected $DEB; cpack made: $(ls "$WORK/out")"
note "built $(basename "$DEB") ($(stat -c %s "$DEB") bytes)"

# ---- control fields ---------------------------------------------------------------
field() { dpkg-deb -f "$DEB" "$1"; }
[ "$(field Package)" = corvane ] || fail "Package is <$(field Package)>"
[ "$(field Version)" = "$VERSION" ] || fail "Version is <$(field Version)>, the project's is $VERSION"
[ "$(field Architecture)" = "$ARCH" ] || fail "Architecture is <$(field Architecture)>"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
DEPENDS="$(field Depends)"
note "Depends: $DEPENDS"
# Each shared library the program needs at run time, by the package that ships it.
for p in libc6 libstdc++6 libfltk1.3 libx11-6 libminizip1 libpng16-16; do
  printf '%s\n' "$DEPENDS" | tr ',' '\n' | sed 's/^ *//' | grep -q "^$p\( \|$\)" ||
    fail "Depends lacks $p"
done
# No development packages: a user needs none to run the program.
printf '%s\n' "$DEPENDS" | grep -q -- '-dev' && fail "Depends names a development package"
field Recommends | grep -q '\bxdg-utils\b' || fail "xdg-utils is not recommended"

# ---- contents ---------------------------------------------------------------------
dpkg-deb -c "$DEB" >"$WORK/contents.txt" || fail "dpkg-deb -c failed"
# Regular files and links, as "TYPE PATH [-> TARGET]".
awk '$1 !~ /^d/ { t = substr($1, 1, 1); $1 = $2 = $3 = $4 = $5 = ""; sub(/^ +/, ""); print t " " $0 }' \
  "$WORK/contents.txt" | sort >"$WORK/entries.txt"
cat >"$WORK/expected.txt" <<'EOF'
- ./usr/lib/corvane/corvane
- ./usr/lib/corvane/reg
- ./usr/share/applications/corvane.desktop
- ./usr/share/icons/hicolor/128x128/apps/corvane.png
- ./usr/share/icons/hicolor/256x256/apps/corvane.png
- ./usr/share/icons/hicolor/48x48/apps/corvane.png
- ./usr/share/icons/hicolor/scalable/apps/corvane.svg
- ./usr/share/pixmaps/corvane.png
- ./usr/share/man/man1/corvane.1.gz
l ./usr/bin/corvane -> ../lib/corvane/corvane
EOF
sort -o "$WORK/expected.txt" "$WORK/expected.txt"
if ! diff -u "$WORK/expected.txt" "$WORK/entries.txt" >"$WORK/contents.diff"; then
  cat "$WORK/contents.diff" >&2
  fail "the package's files differ from the expected ones (- expected, + packaged)"
fi
[ "$(grep -Ec '^-rwxr-xr-x root/root .* \./usr/lib/corvane/(corvane|reg)$' "$WORK/contents.txt")" = 2 ] ||
  fail "the programs are not root-owned executables (rwxr-xr-x)"

# ---- the unpacked files -----------------------------------------------------------
ROOT="$WORK/root"
dpkg-deb -x "$DEB" "$ROOT" || fail "dpkg-deb -x failed"

DESKTOP="$ROOT/usr/share/applications/corvane.desktop"
grep -qx 'Exec=corvane' "$DESKTOP" || fail "the desktop entry does not start the command corvane"
grep -qx 'Icon=corvane' "$DESKTOP" || fail "the desktop entry does not name the icon corvane"
grep -qx 'Type=Application' "$DESKTOP" || fail "the desktop entry is no application"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$DESKTOP" || fail "desktop-file-validate rejects the desktop entry"
fi
# Each icon is a PNG of the size its theme folder says.
for size in 48 128 256; do
  got="$(python3 - "$ROOT/usr/share/icons/hicolor/${size}x${size}/apps/corvane.png" <<'EOF'
import struct, sys
data = open(sys.argv[1], "rb").read(24)
if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
    print("not a PNG")
else:
    print("%dx%d" % struct.unpack(">II", data[16:24]))
EOF
)"
  [ "$got" = "${size}x${size}" ] || fail "the ${size}x${size} icon is $got"
done
grep -q '<svg' "$ROOT/usr/share/icons/hicolor/scalable/apps/corvane.svg" || fail "the scalable icon is no SVG"

gzip -dc "$ROOT/usr/share/man/man1/corvane.1.gz" | grep -q '^\.TH CORVANE 1' ||
  fail "the manual page is not corvane(1)"

# The command on the PATH runs the program of the package.
said="$("$ROOT/usr/bin/corvane" --version 2>&1)" || fail "corvane --version failed: $said"
[ "$said" = "Corvane $VERSION" ] || fail "corvane --version says <$said>, the package is $VERSION"
# reg works from the package, over a registry of our own.
export CORVANE_REGISTRY="$WORK/registry.txt"
"$ROOT/usr/lib/corvane/reg" add 'HKCU\Software\CorvanePackageTest' /v Probe /d packaged /f >/dev/null 2>&1 ||
  fail "the packaged reg cannot add a value"
"$ROOT/usr/lib/corvane/reg" query 'HKCU\Software\CorvanePackageTest' /v Probe 2>&1 | grep -q 'Probe.*REG_SZ.*packaged' ||
  fail "the packaged reg does not read back its value"

# ---- where the unpacked program keeps its data ------------------------------------
if ! command -v Xvfb >/dev/null || ! command -v xdotool >/dev/null; then
  note "Xvfb or xdotool missing: the data folder of the installed program was not checked"
  note "PASS"
  exit 0
fi
. "$SOURCE/scripts/xvfb.bash"
start_xvfb "$WORK/xvfb.log" || fail "Xvfb could not be started ($(tail -1 "$WORK/xvfb.log" 2>/dev/null))"
PIDS+=("$XVFB_PID")

# A port nobody listens on: the version check fails at once instead of
# reaching for the compiled-in server.
PORT="$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')"
mkdir -p "$WORK/user"
(cd "$WORK" && exec env DISPLAY="$DISPLAY" HOME="$WORK/user" XDG_DATA_HOME="$WORK/user/data" \
   "$ROOT/usr/bin/corvane" --server "http://127.0.0.1:$PORT" >"$WORK/corvane.log" 2>&1) &
CPID=$!
PIDS+=("$CPID")
DATA="$WORK/user/data/corvane"
# The first run writes the English texts and opens the day's log, then asks
# for the Tarnic folder; by then its data folder is settled.
for _ in $(seq 300); do
  [ -f "$DATA/lang/english.lang" ] && [ -n "$(ls "$DATA/dati" 2>/dev/null)" ] && break
  kill -0 "$CPID" 2>/dev/null || break
  sleep 0.1
done
kill "$CPID" 2>/dev/null
wait "$CPID" 2>/dev/null
# Nothing but the package's own files in the installed tree.
extra="$(cd "$ROOT" && find . -mindepth 1 ! -type d | sed 's|^\./|- ./|' | sort |
         grep -vxF -f <(sed 's/^l \(.*\) -> .*/- \1/' "$WORK/expected.txt"))"
[ -z "$extra" ] || fail "the program wrote into its installed tree:"$'\n'"$extra"
[ -f "$DATA/lang/english.lang" ] ||
  fail "no lang/english.lang in $DATA; the program said: $(cat "$WORK/corvane.log")"
ls "$DATA/dati/"*_log.txt >/dev/null 2>&1 || fail "no activity log in $DATA/dati"
note "the installed program keeps its data in \$XDG_DATA_HOME/corvane"
note "PASS"
