#!/usr/bin/env bash
# `make package` builds fraymark_VERSION_amd64.deb whose Depends names the package of
# every library the binary links, and the unpacked program runs from its scratch root.
#   DebPackageTest.sh BUILD VERSION
set -uo pipefail
build=$(cd "${1:?build dir}" && pwd)
version=${2:?version}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

manifest=$build/install_manifest.txt
[ -e "$manifest" ] && cp "$manifest" "$work/manifest"
(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; exit 1; }
if [ -e "$work/manifest" ]; then cp "$work/manifest" "$manifest"; else rm -f "$manifest"; fi

deb=$work/out/fraymark_${version}_amd64.deb
[ -f "$deb" ] || { echo "FAIL: no $deb: $(ls "$work/out")"; exit 1; }

depends=$(dpkg-deb -f "$deb" Depends)
for lib in $(objdump -p "$build/fraymark" | awk '/NEEDED/ {print $2}'); do
  path=$(ldconfig -p | awk -v l="$lib" '$1 == l && /x86-64/ {print $NF; exit}')
  # dpkg may know the file under its merged-/usr name or the other one.
  real=$(readlink -f "$path")
  pkg=$(dpkg -S "$path" "$real" "${real#/usr}" 2>/dev/null | head -n 1 | cut -d: -f1)
  [ -n "$pkg" ] || { fail "no package owns $lib ($path)"; continue; }
  case ", $depends," in *", $pkg "* | *", $pkg,"*) ;; *) fail "Depends lacks $pkg (for $lib): $depends" ;; esac
done

dpkg -x "$deb" "$work/root" || fail "dpkg -x failed"
"$work/root/usr/bin/fraymark" --help | grep -q -- '--render-previews' || fail "--help from the package"
QT_QPA_PLATFORM=offscreen HOME=$work/home "$work/root/usr/bin/fraymark" --render-previews "$work/previews" \
  >"$work/previews.log" 2>&1 || fail "--render-previews failed: $(cat "$work/previews.log")"
n=$(find "$work/previews" -name '*.png' | wc -l)
[ "$n" -ge 10 ] || fail "--render-previews wrote $n pictures"

[ $failures -eq 0 ] && echo "debian package: all checks passed"
exit $((failures > 0))
