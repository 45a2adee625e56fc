#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages of the given package lists (scripts/packages/*.txt; by default
# build.txt), only those that are missing (idempotent), without recommends: what a list needs
# must be in it or in its Depends. As root with apt-get, otherwise through sudo.
#
# usage: scripts/install-deps.sh [LIST...]
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
lists=("$@")
[ ${#lists[@]} -eq 0 ] && lists=("$here/packages/build.txt")

packages=()
for list in "${lists[@]}"; do
  while read -r p; do packages+=("$p"); done < <(sed 's/#.*//' "$list" | tr -s ' \t' '\n' | sed '/^$/d')
done

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
