#!/usr/bin/env bash
# Installs the Debian packages named on the command line, or with none named the packages the
# build needs; only those that are missing (idempotent). As root with apt-get, otherwise
# through sudo.
set -euo pipefail

packages=("$@")
if [ ${#packages[@]} -eq 0 ]; then
  packages=(
    cmake make g++ pkg-config
    libgtest-dev libgmock-dev libbenchmark-dev
    qt6-base-dev fonts-liberation2 fontconfig
    qt6-svg-dev libqt6svg6
    qt6-charts-dev libqt6charts6 libqt6opengl6-dev
    ngspice python3-scikit-rf
  )
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
