#!/usr/bin/env bash
# Builds the demo catalogue site, its packages, a Tarnic folder and a Corvane
# home into OUT, for a server at SERVER (e.g. http://127.0.0.1:8123).
#   build_site.sh OUT SERVER SOURCE_ROOT
set -euo pipefail
OUT="$1" SERVER="$2" ROOT="$3"
DEMO="$ROOT/demo"
rm -rf "$OUT/site" "$OUT/tarnic" "$OUT/home" "$OUT/winrar" "$OUT/keys"
CAT="$OUT/site/download/corvane"
PKG="$OUT/site/download/packages"
mkdir -p "$CAT" "$PKG" "$OUT/site/download/mirror2" "$OUT/site/download/mirror3" "$OUT/site/download/nosize"

# Catalogue: languages, version, list files with the server filled in, descriptions, info files.
cp "$DEMO/catalogue/languages.txt" "$DEMO/catalogue/version.txt" "$DEMO/catalogue/italiano.lang" "$CAT/"
cp "$ROOT/resources/resource/english.lang" "$CAT/english.lang"
for list in "$DEMO"/catalogue/*.txt.in; do
  sed "s|@SERVER@|$SERVER|g" "$list" > "$CAT/$(basename "$list" .in)"
done
cp "$DEMO"/catalogue/info/*.txt "$CAT/"

# Packages, zipped from their sources now (never stored as archives).
for src in "$DEMO"/packages/*/; do
  name="$(basename "$src")"
  (cd "$src" && zip -q -r -X "$PKG/$name.zip" .)
done
cp "$DEMO/packages/epsilon-setup.exe" "$PKG/"
cp "$PKG/etamath.zip" "$OUT/site/download/mirror2/"
cp "$PKG/etamath.zip" "$OUT/site/download/mirror3/"
mv "$PKG/thetastream.zip" "$OUT/site/download/nosize/"

# Published as a catalogue publisher does: a key made now, the packages'
# checksums written into the list files, the list files and version.txt signed
# with the real minisign (tools/publish).  The home trusts the key, so the demo
# runs strict.
mkdir -p "$OUT/keys"
minisign -G -f -W -p "$OUT/keys/demo.pub" -s "$OUT/keys/demo.sec" >/dev/null </dev/null
"$ROOT/tools/publish" --key "$OUT/keys/demo.sec" "$CAT" "$PKG"/* "$OUT/site/download/mirror2/etamath.zip" \
  "$OUT/site/download/nosize/thetastream.zip" >/dev/null </dev/null

# The user's side: a Tarnic folder, a WinRAR folder with a stand-in unrar, a home.
cp -r "$DEMO/tarnic" "$OUT/tarnic"
mkdir -p "$OUT/winrar"
cat > "$OUT/winrar/unrar.exe" <<'UNRAR'
#!/bin/sh
echo "unrar stand-in: $*"
UNRAR
chmod +x "$OUT/winrar/unrar.exe"
mkdir -p "$OUT/home/lang" "$OUT/home/data"
cp "$ROOT/resources/resource/english.lang" "$OUT/home/lang/english.lang"
cp "$DEMO/home/lang/zeta.message.txt" "$OUT/home/lang/"
{ echo "# The demo catalogue's signing key, made by build_site.sh"; sed -n 2p "$OUT/keys/demo.pub"; } \
  > "$OUT/home/data/trusted-keys.txt"
printf '%s\r\n' "LANGUAGE=ENGLISH" "AUTOUPDATE=TRUE" "URLUPDATE=$SERVER/download" \
  "AUTOEXECUTE=TRUE" "WINRAR=$OUT/winrar" "TARNPATH=$OUT/tarnic" "SVNPATH=" \
  "DEFAULT_INSTALL=0" "DISABLE_DELETE=0" "APPVERSION=1.33" > "$OUT/home/data/conf.txt"
