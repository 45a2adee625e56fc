#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Proves that a build needs nothing but what the package lists install. Every system file the
# build used is traced to the Debian package that owns it, and that package must be in the
# closure of the lists over Depends and Pre-Depends (what `apt-get install
# --no-install-recommends` brings), or be essential. A package a developer's machine happens
# to have, but the lists do not bring, fails here even though the build itself passed.
#
# The files looked at:
#   - the headers in the compiler's dependency files (*.o.d),
#   - the CMake package configuration files find_package() found (the *_DIR cache entries),
#   - the libraries on the link lines (absolute paths and -l names),
#   - the programs the build and the tests run (the compiler and archiver on the link lines,
#     cmake, ctest and make, the project's tools CMake found: ngspice, the system python3 ...;
#     Qt's moc, uic and rcc),
#   - the Python modules the test and bench scripts import, as the system python3 finds them.
#
# usage: scripts/check-deps.sh BUILD_DIR [LIST...]     (default list: scripts/packages/build.txt)
# Exit 0 when every package is covered, 1 naming each one that is not, 2 on bad arguments.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=${1:-}
if [ -z "$build" ] || [ ! -f "$build/CMakeCache.txt" ]; then
  echo "check-deps: usage: check-deps.sh BUILD_DIR [LIST...] (BUILD_DIR must be configured)" >&2
  exit 2
fi
build=$(cd "$build" && pwd)
shift
lists=("$@")
[ ${#lists[@]} -eq 0 ] && lists=("$here/packages/build.txt")
for list in "${lists[@]}"; do
  [ -r "$list" ] || { echo "check-deps: cannot read package list $list" >&2; exit 2; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cache=$build/CMakeCache.txt
cxx=$(sed -n 's/^CMAKE_CXX_COMPILER:[A-Z]*=//p' "$cache")

# --- the files the build used, one absolute path a line ------------------------------------
{
  # Headers: every path in the compiler's dependency files.
  find "$build" -name '*.o.d' -print0 | xargs -0 -r cat | tr ' \\' '\n\n' | grep '^/' || true

  # CMake packages: the configuration file in each directory find_package() settled on.
  sed -n 's/^[A-Za-z0-9_]*_DIR:PATH=\(\/.*\)$/\1/p' "$cache" | while read -r dir; do
    if [ -d "$dir" ]; then
      find "$dir" -maxdepth 1 \( -name '*Config.cmake' -o -name '*-config.cmake' \)
    fi
  done

  # Libraries on the link lines.
  find "$build" -name link.txt -print0 | xargs -0 -r cat | tr ' ' '\n' >"$work/link-words"
  grep -E '^/.*\.(so|a)(\.[0-9.]+)?$' "$work/link-words" || true
  sed -n 's/^-l\([A-Za-z0-9_+.-]*\)$/\1/p' "$work/link-words" | sort -u | while read -r lib; do
    for candidate in "lib$lib.so" "lib$lib.a"; do
      found=$("$cxx" -print-file-name="$candidate")
      if [ "$found" != "$candidate" ]; then echo "$found"; break; fi
    done
  done

  # Programs: the ones the link lines run (compiler driver, archiver, ranlib), CMake's own,
  # the project's tools that CMake found (ngspice, the system python3 ...), Qt's generators.
  # Tools CMake merely noted (a linker, strip, objdump) are not used and not looked at.
  find "$build" -name link.txt -print0 | xargs -0 -r cat | awk '$1 ~ /^\// { print $1 }'
  sed -n -e 's/^\(CMAKE_CXX_COMPILER\|CMAKE_MAKE_PROGRAM\):FILEPATH=\(\/.*\)$/\2/p' \
    -e 's/^\(CMAKE_COMMAND\|CMAKE_CTEST_COMMAND\):INTERNAL=\(\/.*\)$/\2/p' \
    -e 's/^CORVANTILE_[A-Za-z0-9_]*:FILEPATH=\(\/.*\)$/\1/p' "$cache" | while read -r tool; do
    if [ -f "$tool" ] && [ -x "$tool" ]; then echo "$tool"; fi
  done
  find "$build" -name AutogenInfo.json -print0 | xargs -0 -r cat |
    sed -n 's/.*"\(MOC\|UIC\|RCC\)_EXECUTABLE" *: *"\([^"]*\)".*/\2/p'

  # Python modules the scripts import, as the system python3 (never a user's own) finds them.
  if [ -x /usr/bin/python3 ]; then
    modules=$(cd "$root" && git ls-files '*.py' 2>/dev/null | xargs -r cat |
      sed -n -e 's/^[[:space:]]*import[[:space:]]\{1,\}\([A-Za-z_][A-Za-z0-9_]*\).*/\1/p' \
        -e 's/^[[:space:]]*from[[:space:]]\{1,\}\([A-Za-z_][A-Za-z0-9_]*\)[A-Za-z0-9_.]*[[:space:]]\{1,\}import[[:space:]].*/\1/p' |
      sort -u | tr '\n' ' ')
    if [ -n "$modules" ]; then
      echo /usr/bin/python3
      /usr/bin/python3 - $modules <<'PY'
import importlib.util, sys
for name in sys.argv[1:]:
    try:
        found = importlib.util.find_spec(name)
    except Exception:
        found = None
    if found is None:
        print("python3-module-not-found:" + name)
    elif found.origin and found.origin.startswith("/"):
        print(found.origin)
PY
    fi
  fi
} >"$work/raw"

# Lexically normalised (".." folded, links kept: a package may own the link itself), without
# the project's own files.
grep -v '^python3-module-not-found:' "$work/raw" | sort -u |
  xargs -r -d '\n' realpath -s -m -- |
  grep -v -e "^$root/" -e "^$build/" | sort -u >"$work/used" || true

# --- which package owns each file -----------------------------------------------------------
# Read dpkg's file lists once (far quicker than one `dpkg -S` per file). A file not found as
# written is tried under its other merged-/usr spelling and then through its links.
owner_of() {
  awk -v wanted="$1" '
    FNR == 1 { pkg = FILENAME; sub(/.*\//, "", pkg); sub(/\.list$/, "", pkg); sub(/:.*/, "", pkg) }
    FILENAME == wanted { need[$0] = 1; next }
    ($0 in need) && !($0 in owner) { owner[$0] = pkg }
    END { for (f in need) print f "\t" ((f in owner) ? owner[f] : "-") }
  ' "$1" /var/lib/dpkg/info/*.list
}
alternatives() {
  while read -r f; do
    case $f in
      /usr/lib/* | /usr/bin/* | /usr/sbin/*) echo "$f	${f#/usr}" ;;
      /lib/* | /bin/* | /sbin/*) echo "$f	/usr$f" ;;
    esac
    resolved=$(realpath -m -- "$f")
    if [ "$resolved" != "$f" ]; then echo "$f	$resolved"; fi
    case $resolved in
      /usr/lib/* | /usr/bin/* | /usr/sbin/*) echo "$f	${resolved#/usr}" ;;
    esac
  done
}
owner_of "$work/used" >"$work/owners"
awk -F '\t' '$2 == "-" { print $1 }' "$work/owners" | alternatives >"$work/alt"
cut -f2 "$work/alt" | sort -u >"$work/alt-paths"
owner_of "$work/alt-paths" >"$work/alt-owners"
# file -> package, taking the first spelling that has an owner.
awk -F '\t' '
  FILENAME == ARGV[1] { if ($2 != "-") altowner[$1] = $2; next }
  FILENAME == ARGV[2] { if (!($1 in via) && ($2 in altowner)) via[$1] = altowner[$2]; next }
  { pkg = $2; if (pkg == "-" && ($1 in via)) pkg = via[$1]; print pkg "\t" $1 }
' "$work/alt-owners" "$work/alt" "$work/owners" | sort >"$work/used-by-package"

# --- what the lists bring --------------------------------------------------------------------
sed 's/#.*//' "${lists[@]}" | tr -s ' \t' '\n' | sed '/^$/d' | sort -u >"$work/listed"
# shellcheck disable=SC2046
apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks \
  --no-replaces --no-enhances $(cat "$work/listed") 2>/dev/null |
  grep -v '^[[:space:]]' | grep -v '^<' | sed 's/:.*//' >"$work/closure" || true
dpkg-query -W -f='${Package} ${Essential}\n' | awk '$2 == "yes" { print $1 }' >>"$work/closure"
cat "$work/listed" >>"$work/closure"
sort -u -o "$work/closure" "$work/closure"
if [ "$(wc -l <"$work/closure")" -le "$(wc -l <"$work/listed")" ]; then
  echo "check-deps: apt-cache knows none of the listed packages' dependencies (run apt-get update)" >&2
  exit 2
fi

# --- the verdict ----------------------------------------------------------------------------
list_names=$(for l in "${lists[@]}"; do echo "${l#"$root"/}"; done | paste -sd ' ' -)
failures=0
while IFS=$'\t' read -r pkg file; do
  if [ "$pkg" = "-" ]; then
    echo "check-deps: $file is used but belongs to no Debian package (install it through a listed package)"
    failures=$((failures + 1))
  fi
done <"$work/used-by-package"
sed -n 's/^python3-module-not-found:/python3 module /p' "$work/raw" | sort -u | while read -r line; do
  echo "check-deps: $line is imported by a script but the system python3 cannot find it"
done
failures=$((failures + $(grep -c '^python3-module-not-found:' "$work/raw" || true)))
# The first file each missing package showed, one line a package.
awk -F '\t' '$1 != "-"' "$work/used-by-package" | sort -t $'\t' -k1,1 -u >"$work/first-file"
while IFS=$'\t' read -r pkg file; do
  if ! grep -qxF "$pkg" "$work/closure"; then
    echo "check-deps: $pkg is used but not installed by $list_names (seen in $file)"
    failures=$((failures + 1))
  fi
done <"$work/first-file"

packages=$(cut -f1 "$work/used-by-package" | grep -vx -- - | sort -u | wc -l)
files=$(wc -l <"$work/used")
if [ "$failures" -ne 0 ]; then
  echo "check-deps: $failures problem(s) in $files files from $packages packages" >&2
  exit 1
fi
echo "check-deps: $files files from $packages packages, all installed by $list_names"
