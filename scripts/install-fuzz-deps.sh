#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what `make fuzz` needs on top of the normal build (scripts/packages/fuzz.txt), only
# what is missing.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
exec "$here/install-deps.sh" "$here/packages/build.txt" "$here/packages/fuzz.txt"
