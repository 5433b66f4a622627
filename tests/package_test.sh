#!/usr/bin/env bash
# Builds the Debian package the Debian way (dpkg-buildpackage, debhelper) from a copy of the
# source tree, fails on any lintian error or warning, checks the package's files, its desktop
# entry, metainfo and manual pages, unpacks it and starts the unpacked program offscreen.
#   package_test.sh SOURCE_DIR
set -euo pipefail
source=$1
scratch=$(mktemp -d)
program=
cleanup() {
  if [ -n "$program" ]; then kill "$program" 2>/dev/null || true; fi
  rm -rf "$scratch"
}
trap cleanup EXIT

tree="$scratch/brenix-terminal"
mkdir "$tree"
tar -C "$source" --exclude=./.git --exclude=./build --exclude='./build-*' --exclude='./obj-*' \
  -cf - . | tar -C "$tree" -xf -
if ! (cd "$tree" && DEB_BUILD_OPTIONS=parallel=2 dpkg-buildpackage -us -uc -b) \
  >"$scratch/build.log" 2>&1; then
  tail -n 40 "$scratch/build.log"
  exit 1
fi
deb=$(ls "$scratch"/brenix-terminal_*_*.deb)

# Information tags may stay when explained here:
# - hardening-no-fortify-functions for brenix-terminal: it is built with -D_FORTIFY_SOURCE=2
#   (debhelper's flags), but its only calls of fortifiable functions (memcpy, memmove, read,
#   poll) have sizes known at run time alone, so the compiler keeps the plain functions and the
#   check finds no protected one.
explained='^I: brenix-terminal: hardening-no-fortify-functions \[usr/bin/brenix-terminal\]$'
lintian --fail-on error,warning --display-info "$deb" | tee "$scratch/lintian.log" ||
  { echo "lintian refuses the package"; exit 1; }
if grep '^I: ' "$scratch/lintian.log" | grep -qv "$explained"; then
  echo "lintian information not explained in this test:"
  grep '^I: ' "$scratch/lintian.log" | grep -v "$explained"
  exit 1
fi

files=$(dpkg-deb -c "$deb" | awk '{print $6}')
expected="./usr/bin/brenix-terminal ./usr/bin/brenix-unit
./usr/share/applications/brenix-terminal.desktop
./usr/share/metainfo/com.brenix.terminal.metainfo.xml
./usr/share/man/man1/brenix-terminal.1.gz ./usr/share/man/man1/brenix-unit.1.gz
./usr/share/doc/brenix-terminal/copyright ./usr/share/doc/brenix-terminal/changelog.gz"
for size in 16 32 48 64 128 256; do
  expected+=" ./usr/share/icons/hicolor/${size}x${size}/apps/brenix-terminal.png"
done
for f in $expected; do
  grep -qxF "$f" <<<"$files" || { echo "missing from the package: $f"; exit 1; }
done
depends=$(dpkg-deb -f "$deb" Depends)
for d in libqt6widgets6 qt6-qpa-plugins; do
  grep -q "$d" <<<"$depends" || { echo "not a dependency: $d ($depends)"; exit 1; }
done

dpkg-deb -x "$deb" "$scratch/root"
desktop-file-validate "$scratch/root/usr/share/applications/brenix-terminal.desktop"
appstreamcli validate --no-net "$scratch/root/usr/share/metainfo/com.brenix.terminal.metainfo.xml"
# The programs are stripped and hardened (the debug symbols went into their own package).
for program_file in brenix-terminal brenix-unit; do
  file "$scratch/root/usr/bin/$program_file" | grep -q ', stripped' ||
    { echo "not stripped: $program_file"; exit 1; }
done
# Each manual page names its program and the options of its --help.
zcat "$scratch/root/usr/share/man/man1/brenix-terminal.1.gz" | grep -q 'BRENIX_PORT_DIR'
unit_help=$("$scratch/root/usr/bin/brenix-unit" --help)
for option in $(grep -o -- '--[a-z]*' <<<"$unit_help" | sort -u); do
  zcat "$scratch/root/usr/share/man/man1/brenix-unit.1.gz" | grep -qF -- "\\-\\-${option#--}" ||
    { echo "brenix-unit(1) lacks $option"; exit 1; }
done

# Smoke start: it comes up and, closed, ends with status 0.
mkdir -p "$scratch/home" "$scratch/ports"
HOME="$scratch/home" BRENIX_PORT_DIR="$scratch/ports" QT_QPA_PLATFORM=offscreen \
  "$scratch/root/usr/bin/brenix-terminal" &
program=$!
sleep 1.5
kill -0 "$program" || { echo "the unpacked program did not stay up"; exit 1; }
kill -TERM "$program"
status=0
wait "$program" || status=$?
program=
[ "$status" -eq 0 ] || { echo "the unpacked program ended with status $status"; exit 1; }
echo "package ok: $(basename "$deb"), $(wc -l <<<"$files") entries"
