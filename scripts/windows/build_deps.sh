#!/usr/bin/env bash
# Builds the Windows libraries Corvane links (zlib with minizip, libpng, FLTK,
# mbedTLS, libsodium, GoogleTest) from Debian's own source packages with the mingw-w64 tools.
#
#   scripts/windows/build_deps.sh DEPS_DIR
#
# DEPS_DIR/prefix receives headers, static libraries, pkg-config and CMake
# files; DEPS_DIR/src the unpacked sources; DEPS_DIR/apt a private apt state
# that knows where the machine's own packages come from, with source entries
# added.  Each library is skipped when its stamp says it is built, so a second
# run within one CI run costs nothing.
set -euo pipefail

HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
ROOT="$(cd "$HERE/../.." && pwd)"
DEPS="$(mkdir -p "${1:?usage: build_deps.sh DEPS_DIR}" && cd "$1" && pwd)"
PREFIX="$DEPS/prefix"
SRC="$DEPS/src"
STAMPS="$DEPS/stamps"
TRIPLE=x86_64-w64-mingw32
TOOLCHAIN="$ROOT/cmake/mingw-w64-x86_64.cmake"
JOBS="$(nproc 2>/dev/null || echo 2)"
mkdir -p "$PREFIX/include" "$PREFIX/lib/pkgconfig" "$SRC" "$STAMPS"

say() { echo "build_deps: $*"; }
built() { [ -f "$STAMPS/$1" ]; }
mark() { date +%s > "$STAMPS/$1"; }

# ---------------------------------------------------------------------------
# Source packages through a private apt state.  The deb-src entries are made
# from the machine's own "deb" entries for this release, so no address is
# written down anywhere in the project.
CODENAME="$(. /etc/os-release && echo "${VERSION_CODENAME:-}")"
# The release after this one, asked only when this release's mirror cannot
# deliver a source package.
declare -A NEXT_RELEASE=([bullseye]=bookworm [bookworm]=trixie [trixie]=forky)

apt_opts() {  # apt_opts STATE_DIR
  APT_OPTS=(
    -o "Dir::Etc::SourceList=$1/sources.list"
    -o "Dir::Etc::SourceParts=$1/sources.list.d"
    -o "Dir::State::Lists=$1/lists"
    -o "Dir::Cache=$1/cache"
    -o "APT::Sandbox::User=root"
    -o "Acquire::Languages=none"
  )
}

# derive_source_entries STATE_DIR [RELEASE]: deb-src twins of the machine's
# entries for this release; with RELEASE, the same entries for that release
# (its "-updates" and "-security" suites included).
derive_source_entries() {
  local state="$1" release="${2:-}" f
  mkdir -p "$state/sources.list.d" "$state/lists/partial" "$state/cache/archives/partial"
  : > "$state/sources.list"
  : > "$state/sources.list.d/derived.sources"
  # One-line entries: "deb [opts] uri suite comp..." becomes "deb-src ...".
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    awk -v cn="$CODENAME" -v rel="$release" '
      /^[ \t]*deb[ \t]/ {
        line = $0; sub(/^[ \t]*deb/, "deb-src", line)
        n = split(line, w, /[ \t]+/); i = 2
        if (w[i] ~ /^\[/) { while (i <= n && w[i] !~ /\]$/) i++; i++ }
        suite = w[i + 1]
        if (cn != "" && index(suite, cn) != 1) next
        if (rel != "") sub(cn, rel, line)
        print line
      }' "$f" >> "$state/sources.list"
  done
  # deb822 entries: every paragraph whose Types has "deb" and whose suites
  # belong to this release is repeated with "Types: deb-src".
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    awk -v cn="$CODENAME" -v rel="$release" '
      function flush() {
        if (para != "" && types ~ /(^|[ \t])deb([ \t]|$)/ && enabled !~ /^[ \t]*no/ &&
            (cn == "" || suites ~ ("(^|[ \t])" cn))) {
          print para "\n"
        }
        para = ""; types = ""; suites = ""; enabled = ""
      }
      /^[ \t]*$/ { flush(); next }
      /^#/ { next }
      /^Types:/ { types = substr($0, 7) }
      /^Suites:/ { suites = substr($0, 8) }
      /^Enabled:/ { enabled = substr($0, 9) }
      {
        line = $0
        if (line ~ /^Types:/) line = "Types: deb-src"
        if (line ~ /^Suites:/ && rel != "") gsub(cn, rel, line)
        para = (para == "") ? line : para "\n" line
      }
      END { flush() }' "$f" >> "$state/sources.list.d/derived.sources"
  done
  if ! grep -q . "$state/sources.list" && ! grep -q . "$state/sources.list.d/derived.sources"; then
    echo "build_deps: no apt entry for this release found in /etc/apt; cannot fetch sources" >&2
    exit 1
  fi
}

# prepare_state STATE_DIR [RELEASE]: entries derived and indexes read, once.
prepare_state() {
  apt_opts "$1"
  if [ ! -f "$1/.updated" ]; then
    derive_source_entries "$@"
    say "reading the source indexes${2:+ of $2}"
    apt-get "${APT_OPTS[@]}" -qq update
    touch "$1/.updated"
  fi
}

# Unpacks what a partial fetch brought: the whole source package when its
# description and both archives arrived, else the upstream archive alone
# (apt has checked each file it kept against the signed index).
unpack_partial() {
  local package="$1" dir="$2" dsc orig
  dsc="$(ls "$dir"/"${package}"_*.dsc 2>/dev/null | head -n 1 || true)"
  if [ -n "$dsc" ] && (cd "$dir" && dpkg-source --no-check -x "$(basename "$dsc")" >/dev/null 2>&1); then
    return 0
  fi
  orig="$(ls "$dir"/"${package}"_*.orig.tar.* 2>/dev/null | head -n 1 || true)"
  [ -n "$orig" ] || return 1
  local version
  version="$(basename "$orig" | sed -e "s/^${package}_//" -e 's/\.orig\.tar\..*$//')"
  mkdir -p "$dir/$package-$version"
  tar -xf "$orig" -C "$dir/$package-$version" --strip-components=1
  say "  unpacked the upstream archive of $package $version (without Debian's changes)"
}

fetch_source() {
  local package="$1" marker="$SRC/.$1.fetched"
  if [ -f "$marker" ]; then return; fi
  prepare_state "$DEPS/apt"
  say "fetching the source package $package"
  # The newest version first; when the mirror lacks its files (a security
  # update that is not mirrored, say), the release's own version.
  local choice
  for choice in "$package" ${CODENAME:+"$package/$CODENAME-updates" "$package/$CODENAME"}; do
    if (cd "$SRC" && apt-get "${APT_OPTS[@]}" -qq source "$choice" >"$DEPS/apt/source.log" 2>&1); then
      touch "$marker"
      return
    fi
    say "  $choice could not be fetched, trying the next choice"
    rm -rf "${SRC:?}/$package"-* "${SRC:?}/$package"_*
  done
  # Last resort: the same package of the next release, as far as its files
  # can be fetched.
  local next="${NEXT_RELEASE[$CODENAME]:-}"
  if [ -n "$next" ]; then
    prepare_state "$DEPS/apt-$next" "$next"
    say "  trying $package of $next"
    (cd "$SRC" && apt-get "${APT_OPTS[@]}" -qq --download-only source "$package/$next" \
      >"$DEPS/apt/source.log" 2>&1) || true
    if unpack_partial "$package" "$SRC"; then
      touch "$marker"
      return
    fi
  fi
  cat "$DEPS/apt/source.log" >&2
  echo "build_deps: the source package $package cannot be fetched" >&2
  # A distinct status: the package registry, not the build, failed.
  exit 75
}

# The unpacked folder of a source package (its name starts with the package's).
source_dir() {
  local d
  d="$(find "$SRC" -mindepth 1 -maxdepth 1 -type d -name "$1-*" | sort | tail -n 1)"
  [ -n "$d" ] || { echo "build_deps: no unpacked source for $1" >&2; exit 1; }
  echo "$d"
}

cmake_cross() {
  cmake -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCORVANE_WIN_DEPS="$PREFIX" \
    -DCMAKE_INSTALL_PREFIX="$PREFIX" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_CROSSCOMPILING_EMULATOR= "$@" >/dev/null
}

# ---------------------------------------------------------------------------
build_zlib() {
  built zlib && return
  fetch_source zlib
  local dir
  dir="$(source_dir zlib)"
  say "zlib and minizip"
  # Debian's source drops the Windows makefiles; the library is a flat list
  # of C files, so it is compiled directly.
  local zobj="$DEPS/obj/zlib" f
  mkdir -p "$zobj"
  for f in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast \
           inflate inftrees trees uncompr zutil; do
    "$TRIPLE-gcc-posix" -O2 -I"$dir" -c "$dir/$f.c" -o "$zobj/$f.o"
  done
  rm -f "$PREFIX/lib/libz.a"
  "$TRIPLE-ar" rcs "$PREFIX/lib/libz.a" "$zobj"/*.o
  install -m 644 "$dir/zlib.h" "$dir/zconf.h" "$PREFIX/include/"
  local version
  version="$(sed -n 's/^#define ZLIB_VERSION "\(.*\)".*/\1/p' "$dir/zlib.h")"
  cat > "$PREFIX/lib/pkgconfig/zlib.pc" <<EOF
prefix=$PREFIX
libdir=\${prefix}/lib
includedir=\${prefix}/include
Name: zlib
Description: zlib compression library
Version: $version
Libs: -L\${libdir} -lz
Cflags: -I\${includedir}
EOF

  # minizip lives in zlib's contrib folder; only the reading and writing
  # halves and the Windows file functions are needed.
  local mz="$dir/contrib/minizip" obj="$DEPS/obj/minizip"
  mkdir -p "$obj" "$PREFIX/include/minizip"
  for f in ioapi unzip zip iowin32 mztools; do
    "$TRIPLE-gcc-posix" -O2 -I"$dir" -c "$mz/$f.c" -o "$obj/$f.o"
  done
  rm -f "$PREFIX/lib/libminizip.a"
  "$TRIPLE-ar" rcs "$PREFIX/lib/libminizip.a" "$obj"/*.o
  install -m 644 "$mz"/{ioapi,unzip,zip,iowin32,mztools,crypt}.h "$PREFIX/include/minizip/"
  cat > "$PREFIX/lib/pkgconfig/minizip.pc" <<EOF
prefix=$PREFIX
libdir=\${prefix}/lib
includedir=\${prefix}/include
Name: minizip
Description: ZIP archive reading and writing on top of zlib
Version: $version
Requires.private: zlib
Libs: -L\${libdir} -lminizip -lz
Cflags: -I\${includedir}/minizip -I\${includedir}
EOF
  mark zlib
}

build_libpng() {
  built libpng && return
  fetch_source libpng1.6
  local dir
  dir="$(source_dir libpng1.6)"
  say "libpng"
  cmake_cross -S "$dir" -B "$DEPS/obj/libpng" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF \
    -DPNG_EXECUTABLES=OFF -DZLIB_ROOT="$PREFIX" -DZLIB_LIBRARY="$PREFIX/lib/libz.a" \
    -DZLIB_INCLUDE_DIR="$PREFIX/include" -DSKIP_INSTALL_EXECUTABLES=ON -DSKIP_INSTALL_PROGRAMS=ON
  cmake --build "$DEPS/obj/libpng" -j "$JOBS" >/dev/null
  cmake --install "$DEPS/obj/libpng" >/dev/null
  # A static libpng answers for the zlib it needs.
  if [ -f "$PREFIX/lib/pkgconfig/libpng16.pc" ]; then
    sed -i 's/^Libs\.private:.*/Libs.private: -lz/' "$PREFIX/lib/pkgconfig/libpng16.pc"
  fi
  mark libpng
}

build_fltk() {
  built fltk && return
  fetch_source fltk1.3
  local dir
  dir="$(source_dir fltk1.3)"
  say "FLTK (a few minutes)"
  cmake_cross -S "$dir" -B "$DEPS/obj/fltk" -DOPTION_BUILD_SHARED_LIBS=OFF \
    -DFLTK_BUILD_TEST=OFF -DFLTK_BUILD_EXAMPLES=OFF -DOPTION_BUILD_HTML_DOCUMENTATION=OFF \
    -DOPTION_BUILD_PDF_DOCUMENTATION=OFF -DOPTION_USE_GL=OFF \
    -DOPTION_USE_SYSTEM_ZLIB=ON -DOPTION_USE_SYSTEM_LIBPNG=ON -DOPTION_USE_SYSTEM_LIBJPEG=OFF \
    -DZLIB_ROOT="$PREFIX" -DZLIB_LIBRARY="$PREFIX/lib/libz.a" -DZLIB_INCLUDE_DIR="$PREFIX/include" \
    -DPNG_PNG_INCLUDE_DIR="$PREFIX/include" -DPNG_LIBRARY="$PREFIX/lib/libpng16.a"
  cmake --build "$DEPS/obj/fltk" -j "$JOBS" >/dev/null
  cmake --install "$DEPS/obj/fltk" >/dev/null
  mark fltk
}

# mbedTLS for https: the three static libraries and their headers.  Debian's
# configuration patches are kept (threading over winpthreads included); the
# generated sources ship in the package, so no generator runs.
build_mbedtls() {
  built mbedtls && return
  fetch_source mbedtls
  local dir
  dir="$(source_dir mbedtls)"
  say "mbedTLS"
  cmake_cross -S "$dir" -B "$DEPS/obj/mbedtls" -DENABLE_TESTING=OFF -DENABLE_PROGRAMS=OFF \
    -DUSE_STATIC_MBEDTLS_LIBRARY=ON -DUSE_SHARED_MBEDTLS_LIBRARY=OFF -DMBEDTLS_FATAL_WARNINGS=OFF \
    -DGEN_FILES=OFF -DINSTALL_MBEDTLS_HEADERS=ON
  cmake --build "$DEPS/obj/mbedtls" -j "$JOBS" >/dev/null
  cmake --install "$DEPS/obj/mbedtls" >/dev/null
  mark mbedtls
}

# libsodium: SHA-256 and the Ed25519/BLAKE2b checks of minisign signatures.
# A static library, so its header must not ask for DLL imports (SODIUM_STATIC);
# its random source needs advapi32.
build_libsodium() {
  built libsodium && return
  fetch_source libsodium
  local dir
  dir="$(source_dir libsodium)"
  say "libsodium"
  # Debian's source carries no configure script: it is made here (never by
  # the upstream autogen.sh, which would fetch files from the network).
  if [ ! -x "$dir/configure" ]; then
    (cd "$dir" && autoreconf -if >"$DEPS/obj/libsodium-autoreconf.log" 2>&1) ||
      { cat "$DEPS/obj/libsodium-autoreconf.log" >&2; exit 1; }
  fi
  mkdir -p "$DEPS/obj/libsodium"
  (cd "$DEPS/obj/libsodium" &&
    "$dir/configure" --host="$TRIPLE" --prefix="$PREFIX" --disable-shared --enable-static \
      --disable-ssp --disable-dependency-tracking CC="$TRIPLE-gcc-posix" >/dev/null &&
    make -j "$JOBS" >/dev/null && make install >/dev/null)
  sed -i -e 's/^Cflags: \(.*\)$/Cflags: \1 -DSODIUM_STATIC/' \
    -e 's/^Libs: \(.*\)$/Libs: \1 -ladvapi32/' "$PREFIX/lib/pkgconfig/libsodium.pc"
  mark libsodium
}

build_googletest() {
  built googletest && return
  local dir=/usr/src/googletest
  [ -f "$dir/CMakeLists.txt" ] || { echo "build_deps: $dir is missing (libgtest-dev)" >&2; exit 1; }
  say "GoogleTest"
  cmake_cross -S "$dir" -B "$DEPS/obj/googletest" -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON \
    -Dgtest_force_shared_crt=OFF
  cmake --build "$DEPS/obj/googletest" -j "$JOBS" >/dev/null
  cmake --install "$DEPS/obj/googletest" >/dev/null
  mark googletest
}

build_zlib
build_libpng
build_fltk
build_mbedtls
build_libsodium
build_googletest
say "ready in $PREFIX"
