# Sourced by the comparison scripts: install_packages PACKAGE... installs the Debian packages a
# script still misses (as root, or through sudo), and does nothing when none is given.
install_packages() {
  [ $# -gt 0 ] || return 0
  local as_root=()
  [ "$(id -u)" -eq 0 ] || as_root=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${as_root[@]}" apt-get update -qq
  "${as_root[@]}" apt-get install -y -qq --no-install-recommends "$@"
}
