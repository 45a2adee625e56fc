#!/usr/bin/env bash
# Installs what `make fuzz` needs on top of the normal build: Clang and its runtime libraries
# (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer). Only those that are missing.
set -euo pipefail

exec "$(dirname "$0")/install-deps.sh" clang libclang-rt-14-dev
