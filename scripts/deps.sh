#!/usr/bin/env bash
# Installs the Debian packages the project needs; quick when they are all there.
set -euo pipefail
packages=(
  build-essential cmake pkg-config
  qt6-base-dev
  # Qt's own texts (standard buttons, file dialogs) in the user's language.
  qt6-translations-l10n
  libfbclient2 firebird-dev firebird3.0-server-core firebird3.0-utils
  libjpeg62-turbo-dev
  libgtest-dev libbenchmark-dev
  xvfb xauth fonts-dejavu-core
  desktop-file-utils man-db dpkg-dev file
  # The tests start a private server of their own on a free loopback port; they never
  # use or disturb the system service this package may start.
  firebird3.0-server
  # The sample database's script, which the DDL tests rebuild and extract.
  firebird3.0-examples
)
# `deps.sh fuzz`: also the compiler of the fuzz targets (make fuzz).
[ "${1:-}" = fuzz ] && packages+=(clang libclang-rt-14-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update -qq
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
