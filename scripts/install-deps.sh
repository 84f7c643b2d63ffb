#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need, and any
# package named as an argument (`make fuzz` adds clang and llvm).
# Idempotent: when everything is present it changes nothing and needs no network.
# Run by a user who is not root, it installs through sudo; without sudo it names
# what is missing and the command to run as root, and exits 1.
set -euo pipefail
packages=(
  g++ make cmake pkg-config
  libwxgtk3.2-dev            # the window (GTK 3)
  mdbtools-dev libmdb3       # reading the .mdb file
  libsqlite3-dev             # running SQL over its tables
  libicu-dev                 # Jet's order of text (collation)
  libssl-dev libexpat1-dev   # protected files: libcrypto's hashes and AES, the agile XML descriptor
  zlib1g-dev                 # the files of attachment fields, which Access deflates
  libgtest-dev               # tests
  xvfb xauth                 # headless dialog tests
  libx11-dev                 # tests that act as the window manager (ping, close box)
  fonts-wqy-zenhei           # the dialog's CJK font
  imagemagick xdotool        # screenshots and the end-to-end test's input
  openbox                    # a window manager for the end-to-end test of the window
  nodejs npm                 # the independent reader the fixture cross-check uses
  sqlite3 postgresql python3 # the whole-database check: the targets' own shell and server
  jq                         # the formats check: --json read back by jq
  librsvg2-bin               # the icon's PNG sizes, rendered from its SVG at build time
  gettext                    # msgfmt builds the English catalog; xgettext refreshes po/kelvane.pot
  dpkg-dev file              # make deb: dpkg-shlibdeps finds the package's dependencies, dpkg-buildflags the hardening
  lintian man-db             # the package test: lintian on the .deb, its manual pages read through man
  desktop-file-utils appstream shared-mime-info libglib2.0-bin  # checks of the menu entry, AppStream file, file type
  "$@"
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
# node and npm may come from outside Debian (nvm, a tarball); then they are not needed from apt.
if command -v node >/dev/null && command -v npm >/dev/null; then
  missing=("${missing[@]/nodejs}"); missing=("${missing[@]/npm}")
fi
read -r -a missing <<<"${missing[*]}"
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null; then
    echo "Missing Debian packages: ${missing[*]}" >&2
    echo "Run this as root (for instance after su -), then try again:" >&2
    echo "  apt-get install --no-install-recommends ${missing[*]}" >&2
    exit 1
  fi
  sudo="sudo"
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
