#!/usr/bin/env bash
# tools/publish against the real minisign and sha256sum: every record whose
# address names a package gets that package's SHA-256 (a stale one replaced,
# the line ends kept), the record without a package gets none, and minisign
# itself verifies the list file, version.txt and Corvane.zip afterwards.
#   publish.sh BUILD_DIR SOURCE_DIR
set -uo pipefail
SOURCE="${2:?source folder}"
fail() { echo "publish: FAIL: $*" >&2; exit 1; }
command -v minisign >/dev/null || { echo "publish: SKIP: minisign is not installed" >&2; exit 77; }

WORK="$(mktemp -d "${TMPDIR:-/tmp}/corvane-publish-XXXXXX")"
trap 'rm -rf "$WORK"' EXIT
cd "$WORK" || exit 1
mkdir -p site/download/corvane packages
printf 'alpha bytes' > packages/alpha.zip
printf 'beta bytes' > packages/BETA.ZIP
printf '[A]\r\nNAME=Alpha\r\nURL=http://h/p/alpha.zip|http://mirror/alpha.zip\r\nSHA256=stale\r\n[/]\r\n[B]\r\nNAME=Beta\r\nURL=http://h/beta.zip\r\n[/]\r\n[C]\r\nNAME=Gamma\r\nURL=http://h/gamma.zip\r\n[/]\r\n' \
  > site/download/corvane/win32.app.english.txt
printf '1.34\n' > site/download/corvane/version.txt
printf 'update' > site/download/Corvane.zip
minisign -G -W -p key.pub -s key.sec >/dev/null </dev/null || fail "minisign -G"

out="$("$SOURCE/tools/publish" --key key.sec site/download/corvane packages/alpha.zip packages/BETA.ZIP </dev/null)" ||
  fail "publish failed: $out"
echo "$out" | grep -q "\[C\] matches no package" || fail "the record without a package is not named: $out"

list=site/download/corvane/win32.app.english.txt
alpha="$(sha256sum packages/alpha.zip | cut -d' ' -f1)"
beta="$(sha256sum packages/BETA.ZIP | cut -d' ' -f1)"
expected="$(printf '[A]\r\nNAME=Alpha\r\nURL=http://h/p/alpha.zip|http://mirror/alpha.zip\r\nSHA256=%s\r\n[/]\r\n[B]\r\nNAME=Beta\r\nURL=http://h/beta.zip\r\nSHA256=%s\r\n[/]\r\n[C]\r\nNAME=Gamma\r\nURL=http://h/gamma.zip\r\n[/]\r\n' "$alpha" "$beta")"
[ "$(cat "$list")" = "$expected" ] || fail "list file: $(cat -A "$list")"

for f in "$list" site/download/corvane/version.txt site/download/Corvane.zip; do
  minisign -V -q -p key.pub -m "$f" || fail "minisign does not verify $f"
done
echo "publish: OK"
