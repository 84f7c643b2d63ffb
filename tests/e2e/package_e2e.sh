#!/usr/bin/env bash
# The Debian package as a user gets it: made from the install rules, read back,
# unpacked into a scratch root, checked as the desktop sees it, and its binary
# started on a private X server until its window shows, then closed.
# usage: package_e2e.sh <build dir> <project version>
set -euo pipefail
. "$(cd "$(dirname "$0")" && pwd)/lib.sh"
build=$1 version=$2 id=io.github.kelvane.Kelvane icons=./usr/share/icons/hicolor
e2e_init
t=$E2E_TMP
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$t/pkg" >"$t/cpack.log" 2>&1 ||
  e2e_fail "cpack: $(tail "$t/cpack.log")"
deb=$(ls "$t"/pkg/kelvane_"$version"_*.deb)

expected=$(printf '%s\n' ./usr/bin/kelvane $icons/{16x16,32x32,48x48,128x128}/apps/$id.png \
  $icons/scalable/apps/$id.svg ./usr/share/{applications/$id.desktop,metainfo/$id.metainfo.xml} \
  ./usr/share/mime/packages/kelvane.xml | sort)
actual=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sort)
[ "$actual" = "$expected" ] || e2e_fail "the package holds:"$'\n'"$actual"
# Dependencies as dpkg-shlibdeps finds them in the binary; libmdb serves the tests only.
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libwxgtk3.2 libsqlite3 libc6; do
  grep -qF "$lib" <<<"$depends" || e2e_fail "Depends lacks $lib: $depends"
done
! grep -q mdb <<<"$depends" || e2e_fail "Depends names libmdb: $depends"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || e2e_fail "package version is not $version"

dpkg -x "$deb" "$t/root"
share=$t/root/usr/share desktop=$t/root/usr/share/applications/$id.desktop
desktop-file-validate "$desktop" || e2e_fail "desktop-file-validate"
[ -f "$share/icons/hicolor/scalable/apps/$(sed -n 's/^Icon=//p' "$desktop").svg" ] ||
  e2e_fail "Icon= names no icon"
# The AppStream file and the menu entry it launches; --no-net: the screenshot is not fetched.
appstreamcli validate-tree --no-net "$t/root" || e2e_fail "appstreamcli validate-tree"
grep -q "<release version=\"$version\"" "$share/metainfo/$id.metainfo.xml" ||
  e2e_fail "no release entry for $version"

# Through GLib, as file managers ask, once the caches the package's triggers make are
# there: an .accdb file is known by name and by content; the entry opens both types.
update-mime-database "$share/mime" >"$t/caches.log" 2>&1
update-desktop-database "$share/applications"
desktop_env() {
  env HOME="$t" XDG_DATA_HOME="$t/none" XDG_DATA_DIRS="$share:/usr/share" PATH="$t/root/usr/bin:$PATH" "$@"
}
printf 'no database' >"$t/named.accdb" && printf '\0\1\0\0Standard ACE DB\0' >"$t/unnamed"
for file in named.accdb unnamed; do
  type=$(desktop_env gio info -a standard::content-type "$t/$file" | sed -n 's/.*content-type: //p')
  [ "$type" = application/x-ms-accdb ] || e2e_fail "$file is taken for $type"
done
for type in application/vnd.ms-access application/x-ms-accdb; do
  offered=$(desktop_env gio mime "$type" 2>&1)
  grep -q "$id.desktop" <<<"$offered" || e2e_fail "no menu entry offered for $type: $offered"
done

e2e_start_xvfb
e2e_start_app "$t/root/usr/bin/kelvane" HOME="$t" XDG_CONFIG_HOME="$t/config"
wid=$(e2e_wait_window Kelvane 30)
for attempt in 1 2 3 4 5; do  # a key before the window takes input is lost
  xdotool windowfocus "$wid" key Escape 2>/dev/null || true
  for i in $(seq 10); do kill -0 "$E2E_APP_PID" 2>/dev/null || break 2; sleep 0.1; done
done
e2e_wait_exit 5
echo "package e2e: passed"
