#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package as a user gets it: Debian's lintian finds no error and no warning in it,
# the launcher and the metainfo validate, both man pages render (the desktop program's usage
# whole in its SYNOPSIS), and the package built by CPack unpacks into a scratch root from which
# corvantile-cli designs the default circuit and bash completes both programs' options and
# their values. Its Depends were computed from the binaries, not typed.
#
# usage: package_test.sh BUILD_DIR VERSION
set -uo pipefail

build=${1:?usage: package_test.sh BUILD_DIR VERSION}
version=${2:?usage: package_test.sh BUILD_DIR VERSION}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cpack=${CPACK:-cpack}
dpkg_deb=${DPKG_DEB:-dpkg-deb}
desktop_file_validate=${DESKTOP_FILE_VALIDATE:-desktop-file-validate}
appstreamcli=${APPSTREAMCLI:-appstreamcli}
man=${MAN:-man}
lintian=${LINTIAN:-lintian}
failed=0
fail() { echo "FAIL: $*"; failed=1; }

# A private output folder, so that a package test never races `make package`.
(cd "$build" && "$cpack" -G DEB -B "$scratch/out" >"$scratch/cpack.log" 2>&1) ||
  { cat "$scratch/cpack.log"; fail "cpack did not build the package"; exit 1; }
deb=$scratch/out/corvantile_${version}_amd64.deb
[ -f "$deb" ] || { ls "$scratch/out"; fail "no $deb"; exit 1; }

# Everything lintian reports, info included, is shown; an error or a warning fails.
"$lintian" --fail-on error,warning --info "$deb" >"$scratch/lintian.log" 2>&1 ||
  fail "lintian $(basename "$deb"): $(cat "$scratch/lintian.log")"
if grep -q '^[EW]: ' "$scratch/lintian.log"; then fail "lintian: $(cat "$scratch/lintian.log")"; fi

depends=$("$dpkg_deb" -f "$deb" Depends)
for needed in libc6 libstdc++6 libqt6widgets6 libqt6charts6 fonts-liberation2; do
  grep -q "$needed" <<<"$depends" || fail "Depends lacks $needed: $depends"
done

"$dpkg_deb" -x "$deb" "$scratch/root"
root=$scratch/root
for file in usr/bin/corvantile usr/bin/corvantile-cli usr/share/applications/corvantile.desktop \
  usr/share/icons/hicolor/scalable/apps/corvantile.svg \
  usr/share/metainfo/org.corvantile.Corvantile.metainfo.xml \
  usr/share/man/man1/corvantile.1.gz usr/share/man/man1/corvantile-cli.1.gz \
  usr/share/doc/corvantile/copyright usr/share/doc/corvantile/changelog.gz \
  usr/share/bash-completion/completions/corvantile-cli \
  usr/share/bash-completion/completions/corvantile; do
  [ -e "$root/$file" ] || fail "the package lacks /$file"
done

grep -qx 'Exec=/usr/bin/corvantile' "$root/usr/share/applications/corvantile.desktop" ||
  fail "the launcher does not start /usr/bin/corvantile"
"$desktop_file_validate" "$root/usr/share/applications/corvantile.desktop" ||
  fail "desktop-file-validate"
"$appstreamcli" validate --no-net "$root/usr/share/metainfo/org.corvantile.Corvantile.metainfo.xml" \
  >"$scratch/appstream.log" 2>&1 || { cat "$scratch/appstream.log"; fail "appstreamcli validate"; }

for page in corvantile corvantile-cli; do
  text=$(MANWIDTH=100 "$man" -l "$root/usr/share/man/man1/$page.1.gz" 2>&1)
  grep -q -- "--help" <<<"$text" || fail "man -l $page.1.gz shows no options: $text"
done
grep -q 'sweep' <(gzip -dc "$root/usr/share/man/man1/corvantile-cli.1.gz") ||
  fail "corvantile-cli.1.gz lacks its commands"
# The desktop program's usage forms all in SYNOPSIS, none spilling into DESCRIPTION.
synopsis=$(MANWIDTH=100 "$man" -l "$root/usr/share/man/man1/corvantile.1.gz" 2>&1 |
  sed -n '/^SYNOPSIS/,/^DESCRIPTION/p')
for form in '--window NAME' '--version' '[DESIGN.cfg]'; do
  grep -qF -- "$form" <<<"$synopsis" || fail "SYNOPSIS of corvantile.1.gz lacks $form: $synopsis"
done
description=$(MANWIDTH=100 "$man" -l "$root/usr/share/man/man1/corvantile.1.gz" 2>&1 |
  sed -n '/^DESCRIPTION/,$p' | sed -n 2,3p)
if grep -q -- '\[--' <<<"$description"; then fail "DESCRIPTION starts with usage: $description"; fi

# The licence: the copyright file in Debian's machine-readable format, and the metainfo.
head -1 "$root/usr/share/doc/corvantile/copyright" | grep -q '^Format: https://www.debian.org/' ||
  fail "copyright is not machine-readable"
grep -q '<project_license>GPL-3.0-or-later</project_license>' \
  "$root/usr/share/metainfo/org.corvantile.Corvantile.metainfo.xml" || fail "metainfo licence"

version_text=$("$root/usr/bin/corvantile" --version 2>&1)
[ "$version_text" = "corvantile $version" ] || fail "corvantile --version: $version_text"

report=$("$root/usr/bin/corvantile-cli" design 2>&1)
code=$?
[ "$code" -eq 0 ] || fail "corvantile-cli design from the scratch root exited $code: $report"
grep -q '117.768 pF' <<<"$report" || fail "corvantile-cli design from the scratch root: $report"

completions=$root/usr/share/bash-completion/completions
bash -n "$completions/corvantile-cli" || fail "completion syntax"
# complete FILE PROGRAM WORD...: what bash offers for the last WORD.
complete_words() {
  local file=$1 program=$2
  shift 2
  bash -c 'source "$1"; shift; function=$1; shift
    COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); "$function"; echo "${COMPREPLY[*]}"' \
    _ "$file" "$program" "$@"
}
expect_completion() {
  local expected=$1 completed
  shift
  completed=$(complete_words "$@")
  [ "$completed" = "$expected" ] || fail "completing '${*:3}' gave '$completed', not '$expected'"
}
cli=$root/usr/bin/corvantile-cli
expect_completion "sweep" "$completions/corvantile-cli" _corvantile_cli "$cli" sw
expect_completion "tee pi lowpass-l highpass-l" "$completions/corvantile-cli" _corvantile_cli \
  "$cli" design --family ''
expect_completion "table csv json" "$completions/corvantile-cli" _corvantile_cli \
  "$cli" sweep --format ''
expect_completion "spice touchstone csv bom" "$completions/corvantile-cli" _corvantile_cli \
  "$cli" export ''
expect_completion "E12 E192" "$completions/corvantile-cli" _corvantile_cli \
  "$cli" standard --series-capacitor E1
expect_completion "-o" "$completions/corvantile-cli" _corvantile_cli "$cli" sweep -o
kinds=$(complete_words "$completions/corvantile-cli" _corvantile_cli "$cli" format '')
grep -qw frequency <<<"$kinds" || fail "completing format's kind gave '$kinds'"
expect_completion "response" "$completions/corvantile" _corvantile "$root/usr/bin/corvantile" \
  --screenshot a.png --window resp
expect_completion "--version" "$completions/corvantile" _corvantile "$root/usr/bin/corvantile" \
  --vers

[ "$failed" -eq 0 ] && echo "ok: $(basename "$deb"), Depends: $depends"
exit "$failed"
