#!/usr/bin/env bash
# Packs the release archive BUILD_DIR/corvane-win64.zip: corvane.exe
# (stripped; the English catalogue and the pictures are inside it) and a
# short read-me with Windows line ends.
#
#   scripts/windows/package.sh BUILD_DIR
set -euo pipefail

HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
BUILD="$(cd "${1:?usage: package.sh BUILD_DIR}" && pwd)"
EXE="$BUILD/corvane.exe"
[ -f "$EXE" ] || { echo "package: no $EXE" >&2; exit 1; }

STAGE="$BUILD/package"
rm -rf "$STAGE"
mkdir -p "$STAGE"
x86_64-w64-mingw32-strip -o "$STAGE/corvane.exe" "$EXE"
sed 's/$/\r/' "$HERE/README-win64.txt" >"$STAGE/README.txt"
rm -f "$BUILD/corvane-win64.zip"
(cd "$STAGE" && zip -q -X -9 "$BUILD/corvane-win64.zip" corvane.exe README.txt)
# The archive must hold exactly the two files, and the program must need no
# library beyond those Windows itself has.
unzip -Z1 "$BUILD/corvane-win64.zip" | sort | tr '\n' ' ' | grep -qx 'README.txt corvane.exe ' ||
  { echo "package: unexpected archive contents" >&2; exit 1; }
SYSTEM_DLLS='^(ADVAPI32|COMCTL32|comdlg32|CRYPT32|GDI32|KERNEL32|msvcrt|ole32|SHELL32|USER32|WS2_32|OLEAUT32|IMM32|WINMM|UxTheme|uuid)\.dll$'
if x86_64-w64-mingw32-objdump -p "$STAGE/corvane.exe" | sed -n 's/^.*DLL Name: //p' | grep -Evi "$SYSTEM_DLLS"; then
  echo "package: corvane.exe needs a library that Windows does not have (above)" >&2
  exit 1
fi
echo "package: $BUILD/corvane-win64.zip ($(stat -c %s "$BUILD/corvane-win64.zip") bytes)"
