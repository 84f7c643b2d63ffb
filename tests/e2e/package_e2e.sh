#!/usr/bin/env bash
# The Debian package made from the install rules, made twice to the same bytes, read
# back, passed by lintian, unpacked into a scratch root, its manual pages read through
# man, seen as the desktop sees it, its binary started until its window shows, then closed.
# usage: package_e2e.sh <build dir> <project version> <1 when kelvane-export is built, else 0>
set -euo pipefail
. "$(cd "$(dirname "$0")" && pwd)/lib.sh"
build=$1 version=$2 with_export=$3 id=io.github.kelvane.Kelvane icons=./usr/share/icons/hicolor
e2e_init
t=$E2E_TMP root=$E2E_TMP/root share=$E2E_TMP/root/usr/share
for pack in pkg again; do
  cpack -G DEB --config "$build/CPackConfig.cmake" -B "$t/$pack" >"$t/cpack.log" 2>&1 ||
    e2e_fail "cpack: $(tail "$t/cpack.log")"
done
deb=$(ls "$t"/pkg/kelvane_"$version"_*.deb)  # named with the project version
cmp "$deb" "$t/again/${deb##*/}" || e2e_fail "two packs of one build differ"
programs=(kelvane) && [ "$with_export" = 1 ] && programs+=(kelvane-export)
pages=("${programs[@]/%/.1.gz}")
completions=() && [ "$with_export" = 1 ] && completions=(./usr/share/bash-completion/completions/kelvane-export)
expected=$(printf '%s\n' "${programs[@]/#/./usr/bin/}" "${pages[@]/#/./usr/share/man/man1/}" "${completions[@]}" \
  $icons/{16x16,32x32,48x48,128x128}/apps/$id.png $icons/scalable/apps/$id.svg \
  ./usr/share/{applications/$id.desktop,metainfo/$id.metainfo.xml,mime/packages/kelvane.xml,locale/en/LC_MESSAGES/kelvane.mo} \
  ./usr/share/doc/kelvane/{copyright,changelog.gz} | sort)
actual=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sort)
[ "$actual" = "$expected" ] || e2e_fail "the package holds:"$'\n'"$actual"
# No error or warning; nor the hardening or stripping that lintian reports as info.
lintian -I "$deb" >"$t/lintian.log" 2>&1 || e2e_fail "lintian: $(cat "$t/lintian.log")"
! grep -E '^[EW]: |hardening-|unneeded-section' "$t/lintian.log" || e2e_fail "lintian: $(cat "$t/lintian.log")"
# Dependencies as dpkg-shlibdeps finds them in the binary; libmdb serves the tests only.
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libwxgtk3.2 libsqlite3 libc6; do grep -qF "$lib" <<<"$depends" || e2e_fail "no $lib: $depends"; done
! grep -q mdb <<<"$depends" || e2e_fail "Depends names libmdb: $depends"

dpkg -x "$deb" "$root"
[ "$("$root/usr/bin/kelvane" --version)" = "kelvane $version" ] || e2e_fail "kelvane --version"
zcat "$share/doc/kelvane/changelog.gz" | head -n1 | grep -qF "kelvane ($version)" || e2e_fail "changelog"
# Each page through man as a user reads it; kelvane-export's names every option of its
# interface and of its --help.
for program in "${programs[@]}"; do
  MANPATH=$share/man MANWIDTH=100 man "$program" >"$t/$program.man" 2>&1 || e2e_fail "man $program"
done
[ "$with_export" = 0 ] || for option in -l --list -s --sql -f --fields -d --delimiter -t --tab -q --quote \
  -H --header --csv --no-header --eol -e --encoding -o --output -a --all -n --preview --quiet --help \
  --version $("$root/usr/bin/kelvane-export" --help | grep -oE -- '--[a-z][a-z-]*'); do
  grep -qE -- "(^|[ ,|])$option([ ,=]|$)" "$t/kelvane-export.man" || e2e_fail "man kelvane-export: no $option"
done
desktop-file-validate "$share/applications/$id.desktop" || e2e_fail "desktop-file-validate"
# The AppStream file and the menu entry it launches; --no-net: the screenshot is not fetched.
appstreamcli validate-tree --no-net "$root" || e2e_fail "appstreamcli validate-tree"
grep -q "<release version=\"$version\"" "$share/metainfo/$id.metainfo.xml" || e2e_fail "no release $version"

# Through GLib, as file managers ask, with the caches the package's triggers make: an
# .accdb file is known by name and by content, and the menu entry opens both types.
update-mime-database "$share/mime" >"$t/caches.log" 2>&1
update-desktop-database "$share/applications"
export HOME=$t XDG_DATA_HOME=$t/none XDG_DATA_DIRS=$share:/usr/share PATH=$root/usr/bin:$PATH
printf 'no database' >"$t/named.accdb" && printf '\0\1\0\0Standard ACE DB\0' >"$t/unnamed"
types=$(gio info -a standard::content-type "$t/named.accdb" "$t/unnamed" | sed -n 's/.*content-type: //p')
[ "$types" = $'application/x-ms-accdb\napplication/x-ms-accdb' ] || e2e_fail "an .accdb is taken for $types"
for type in application/vnd.ms-access application/x-msaccess application/x-ms-accdb; do
  grep -q "$id.desktop" <<<"$(gio mime "$type" 2>&1)" || e2e_fail "no menu entry opens $type"
done

e2e_start_xvfb
e2e_start_app "$root/usr/bin/kelvane" XDG_CONFIG_HOME="$t/config"
wid=$(e2e_wait_window Kelvane 30)
for attempt in 1 2 3 4 5; do  # a key before the window takes input is lost
  xdotool windowfocus "$wid" key Escape 2>/dev/null || true
  for i in $(seq 10); do kill -0 "$E2E_APP_PID" 2>/dev/null || break 2; sleep 0.1; done
done
e2e_wait_exit 5
echo "package e2e: passed"
