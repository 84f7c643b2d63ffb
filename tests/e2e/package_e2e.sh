#!/usr/bin/env bash
# The Debian package as a user gets it: made by CPack from the install rules, its
# files and its dependencies read back, unpacked into a scratch root, its desktop
# files checked by the freedesktop validators, and the unpacked binary started
# on a private X server until its window shows, then closed.
#
# usage: package_e2e.sh <build dir> <project version>
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
build=${1:?usage: package_e2e.sh <build dir> <version>}
version=${2:?usage: package_e2e.sh <build dir> <version>}
id=io.github.kelvane.Kelvane
e2e_init
t=$E2E_TMP

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$t/pkg" >"$t/cpack.log" 2>&1 ||
  e2e_fail "cpack: $(tail -n 20 "$t/cpack.log")"
deb=$(ls "$t"/pkg/kelvane_"$version"_*.deb)

icons=/usr/share/icons/hicolor
expected=$(sort <<EOF2
./usr/bin/kelvane
./usr/share/applications/$id.desktop
.$icons/16x16/apps/$id.png
.$icons/32x32/apps/$id.png
.$icons/48x48/apps/$id.png
.$icons/128x128/apps/$id.png
.$icons/scalable/apps/$id.svg
./usr/share/metainfo/$id.metainfo.xml
./usr/share/mime/packages/kelvane.xml
EOF2
)
listing=$(dpkg-deb -c "$deb")
actual=$(awk '$1 !~ /^d/ { print $6 }' <<<"$listing" | sort)
[ "$actual" = "$expected" ] || e2e_fail "the package holds:"$'\n'"$actual"
grep -Eq '^-rwxr-xr-x root/root .* \./usr/bin/kelvane$' <<<"$listing" ||
  e2e_fail "the program is not an executable owned by root"

# The dependencies are those dpkg-shlibdeps finds in the binary; libmdb serves the
# tests only and must not be one.
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libwxgtk3.2 libsqlite3 libstdc++6 libc6; do
  grep -qF "$lib" <<<"$depends" || e2e_fail "Depends lacks $lib: $depends"
done
! grep -q mdb <<<"$depends" || e2e_fail "Depends names libmdb: $depends"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || e2e_fail "package version is not $version"

dpkg -x "$deb" "$t/root"
share=$t/root/usr/share
desktop=$share/applications/$id.desktop
desktop-file-validate "$desktop" || e2e_fail "desktop-file-validate"
[ -f "$share/icons/hicolor/scalable/apps/$(sed -n 's/^Icon=//p' "$desktop").svg" ] ||
  e2e_fail "the menu entry's Icon= names no installed icon"
# The AppStream file and the menu entry it launches; --no-net: the screenshot's URL
# is not fetched.
appstreamcli validate-tree --no-net "$t/root" || e2e_fail "appstreamcli validate-tree"
grep -q "<release version=\"$version\"" "$share/metainfo/$id.metainfo.xml" ||
  e2e_fail "the AppStream file has no release entry for $version"
cp -r "$share/mime" "$t/mime" && update-mime-database "$t/mime" >"$t/mime.log" 2>&1
grep -qx '50:application/x-ms-accdb:\*\.accdb' "$t/mime/globs2" && grep -q 'x-ms-accdb' "$t/mime/magic" ||
  e2e_fail "the .accdb type is not in the MIME database"

e2e_start_xvfb
e2e_start_app "$t/root/usr/bin/kelvane" HOME="$t" XDG_CONFIG_HOME="$t/config"
wid=$(e2e_wait_window Kelvane 30)
for attempt in 1 2 3 4 5; do  # a key before the window takes input is lost
  xdotool windowfocus "$wid" key Escape 2>/dev/null || true
  for i in $(seq 10); do kill -0 "$E2E_APP_PID" 2>/dev/null || break 2; sleep 0.1; done
done
e2e_wait_exit 5
echo "package e2e: passed"
