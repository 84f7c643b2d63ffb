# Sourced by the cross-check runners: installs mdb-reader (pinned in package-lock.json)
# into this folder on the first run only, from the npm registry; later runs need no
# network. The runners of one build may start at once, so the install is taken under
# a lock, a file in the build folder (a file in /tmp would belong to whoever ran first).
#   crosscheck_install <this folder> <lock file>
crosscheck_install() {
  local here=$1 lock=$2
  install_once() {
    [ -f "$here/node_modules/mdb-reader/package.json" ] ||
      (cd "$here" && npm ci --no-audit --no-fund --loglevel=error)
  }
  if command -v flock >/dev/null; then
    exec 9>"$lock"
    flock 9
    install_once
    flock -u 9
  else
    install_once
  fi
}
