# Sourced by the cross-check runners: installs mdb-reader (pinned in package-lock.json)
# into this folder on the first run only; later runs need no network. Build folders
# may run their tests at once, so the install is taken under a lock.
crosscheck_install() {
  local here=$1
  install_once() {
    [ -f "$here/node_modules/mdb-reader/package.json" ] ||
      (cd "$here" && npm ci --no-audit --no-fund --loglevel=error)
  }
  if command -v flock >/dev/null; then
    exec 9>"${TMPDIR:-/tmp}/kelvane-crosscheck-npm.lock"
    flock 9
    install_once
    flock -u 9
  else
    install_once
  fi
}
