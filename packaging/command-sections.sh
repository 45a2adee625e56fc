#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Writes a help2man include file that adds each command's own --help to corvantile-cli's man
# page, so the page holds every command's arguments and stays as current as the program.
#
# usage: command-sections.sh CORVANTILE_CLI OUTPUT
set -euo pipefail
cli=${1:?usage: command-sections.sh CORVANTILE_CLI OUTPUT}
out=${2:?usage: command-sections.sh CORVANTILE_CLI OUTPUT}
commands=$("$cli" --help | sed -n '/^Commands:/,/^$/s/^  \([a-z][a-z-]*\) .*/\1/p')
{
  echo "[COMMANDS]"
  for command in $commands; do
    echo ".SS \"$command\""
    echo ".nf"
    # Verbatim text: backslashes doubled, and a leading dot or quote kept from roff.
    "$cli" "$command" --help | sed -e 's/\\/\\e/g' -e "s/^\([.']\)/\\\\\&\1/"
    echo ".fi"
  done
} >"$out"
