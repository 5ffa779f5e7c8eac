#!/usr/bin/env bash
# `make install` into a scratch root holds exactly the expected files, they validate,
# the man page carries every option, and uninstall takes them all away again.
#   InstallTreeTest.sh BUILD
set -uo pipefail
build=$(cd "${1:?build dir}" && pwd)
root=$(mktemp -d)
saved=$(mktemp)
trap 'rm -rf "$root" "$saved"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The scratch install must not replace the manifest of a real `make install`.
manifest=$build/install_manifest.txt
[ -e "$manifest" ] && cp "$manifest" "$saved"
DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null || fail "install failed"
cp "$manifest" "$root.manifest"
if [ -s "$saved" ]; then cp "$saved" "$manifest"; else rm -f "$manifest"; fi

app=io.fraymark.Fraymark
expected="usr/bin/fraymark
usr/share/applications/$app.desktop
usr/share/icons/hicolor/128x128/apps/$app.png
usr/share/icons/hicolor/16x16/apps/$app.png
usr/share/icons/hicolor/22x22/apps/$app.png
usr/share/icons/hicolor/24x24/apps/$app.png
usr/share/icons/hicolor/256x256/apps/$app.png
usr/share/icons/hicolor/32x32/apps/$app.png
usr/share/icons/hicolor/48x48/apps/$app.png
usr/share/icons/hicolor/64x64/apps/$app.png
usr/share/icons/hicolor/scalable/apps/$app.svg
usr/share/man/man1/fraymark.1
usr/share/metainfo/$app.metainfo.xml"
got=$(cd "$root" && find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort)
[ "$got" = "$(echo "$expected" | LC_ALL=C sort)" ] || fail "installed tree differs:
$(diff <(echo "$expected" | LC_ALL=C sort) <(echo "$got"))"

desktop-file-validate "$root/usr/share/applications/$app.desktop" || fail "desktop entry does not validate"
appstreamcli validate --no-net "$root/usr/share/metainfo/$app.metainfo.xml" >/dev/null ||
  fail "metainfo does not validate: $(appstreamcli validate --no-net "$root/usr/share/metainfo/$app.metainfo.xml")"
for size in 16 22 24 32 48 64 128 256; do
  file "$root/usr/share/icons/hicolor/${size}x${size}/apps/$app.png" | grep -q "$size x $size" ||
    fail "icon ${size}x${size} has the wrong size"
done

# Every option of the usage text is in the man page.
page=$root/usr/share/man/man1/fraymark.1
"$root/usr/bin/fraymark" --help | grep -o -- '--[a-z-]*' | sort -u | while read -r option; do
  grep -qF -- "$(echo "$option" | sed 's/-/\\-/g')" "$page" || echo "$option"
done >"$root.missing"
[ -s "$root.missing" ] && fail "man page lacks: $(cat "$root.missing")"

DESTDIR=$root cmake -Dmanifest="$root.manifest" -P "$build/Uninstall.cmake" >/dev/null || fail "uninstall failed"
left=$(find "$root" -type f)
[ -z "$left" ] || fail "uninstall left: $left"
rm -f "$root.manifest" "$root.missing"

[ $failures -eq 0 ] && echo "install tree: all checks passed"
exit $((failures > 0))
