#!/usr/bin/env bash
# The Debian package as a user gets it: the launcher and the metainfo validate, both man pages
# render, and the package built by CPack unpacks into a scratch root from which corvantile-cli
# designs the default circuit. Its Depends were computed from the binaries, not typed.
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
failed=0
fail() { echo "FAIL: $*"; failed=1; }

# A private output folder, so that a package test never races `make package`.
(cd "$build" && "$cpack" -G DEB -B "$scratch/out" >"$scratch/cpack.log" 2>&1) ||
  { cat "$scratch/cpack.log"; fail "cpack did not build the package"; exit 1; }
deb=$scratch/out/corvantile_${version}_amd64.deb
[ -f "$deb" ] || { ls "$scratch/out"; fail "no $deb"; exit 1; }

depends=$("$dpkg_deb" -f "$deb" Depends)
for needed in libc6 libstdc++6 libqt6widgets6 libqt6charts6 fonts-liberation2; do
  grep -q "$needed" <<<"$depends" || fail "Depends lacks $needed: $depends"
done

"$dpkg_deb" -x "$deb" "$scratch/root"
root=$scratch/root
for file in usr/bin/corvantile usr/bin/corvantile-cli usr/share/applications/corvantile.desktop \
  usr/share/icons/hicolor/scalable/apps/corvantile.svg \
  usr/share/metainfo/org.corvantile.Corvantile.metainfo.xml \
  usr/share/man/man1/corvantile.1 usr/share/man/man1/corvantile-cli.1 \
  usr/share/bash-completion/completions/corvantile-cli; do
  [ -e "$root/$file" ] || fail "the package lacks /$file"
done

grep -qx 'Exec=/usr/bin/corvantile' "$root/usr/share/applications/corvantile.desktop" ||
  fail "the launcher does not start /usr/bin/corvantile"
"$desktop_file_validate" "$root/usr/share/applications/corvantile.desktop" ||
  fail "desktop-file-validate"
"$appstreamcli" validate --no-net "$root/usr/share/metainfo/org.corvantile.Corvantile.metainfo.xml" \
  >"$scratch/appstream.log" 2>&1 || { cat "$scratch/appstream.log"; fail "appstreamcli validate"; }

for page in corvantile corvantile-cli; do
  text=$(MANWIDTH=100 "$man" -l "$root/usr/share/man/man1/$page.1" 2>&1)
  grep -q -- "--help" <<<"$text" || fail "man -l $page.1 shows no options: $text"
done
grep -q 'sweep' "$root/usr/share/man/man1/corvantile-cli.1" || fail "corvantile-cli.1 lacks its commands"

report=$("$root/usr/bin/corvantile-cli" design 2>&1)
code=$?
[ "$code" -eq 0 ] || fail "corvantile-cli design from the scratch root exited $code: $report"
grep -q '117.768 pF' <<<"$report" || fail "corvantile-cli design from the scratch root: $report"

bash -n "$root/usr/share/bash-completion/completions/corvantile-cli" || fail "completion syntax"
completed=$(bash -c "source '$root/usr/share/bash-completion/completions/corvantile-cli'
  COMP_WORDS=('$root/usr/bin/corvantile-cli' sw); COMP_CWORD=1; _corvantile_cli
  echo \"\${COMPREPLY[*]}\"")
[ "$completed" = "sweep" ] || fail "completing 'sw' gave '$completed'"

[ "$failed" -eq 0 ] && echo "ok: $(basename "$deb"), Depends: $depends"
exit "$failed"
