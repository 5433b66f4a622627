#!/usr/bin/env bash
# Builds the Debian package from the build folder, checks its files, its desktop entry and its
# metainfo, unpacks it into a scratch folder and starts the unpacked program for a smoke start.
#   package_test.sh BUILD_DIR
set -euo pipefail
build=$1
scratch=$(mktemp -d)
program=
cleanup() {
  if [ -n "$program" ]; then kill "$program" 2>/dev/null || true; fi
  rm -rf "$scratch"
}
trap cleanup EXIT

cpack -G DEB -B "$scratch/out" --config "$build/CPackConfig.cmake" >"$scratch/cpack.log" ||
  { cat "$scratch/cpack.log"; exit 1; }
deb=$(ls "$scratch"/out/brenix-terminal_*.deb)
files=$(dpkg-deb -c "$deb" | awk '{print $6}')
expected="./usr/bin/brenix-terminal ./usr/bin/brenix-unit
./usr/share/applications/brenix-terminal.desktop
./usr/share/metainfo/com.brenix.terminal.metainfo.xml"
for size in 16 32 48 64 128 256; do
  expected+=" ./usr/share/icons/hicolor/${size}x${size}/apps/brenix-terminal.png"
done
for f in $expected; do
  grep -qxF "$f" <<<"$files" || { echo "missing from the package: $f"; exit 1; }
done
depends=$(dpkg-deb -f "$deb" Depends)
for d in libqt6widgets6 libqt6serialport6 qt6-qpa-plugins; do
  grep -q "$d" <<<"$depends" || { echo "not a dependency: $d ($depends)"; exit 1; }
done

dpkg-deb -x "$deb" "$scratch/root"
desktop-file-validate "$scratch/root/usr/share/applications/brenix-terminal.desktop"
appstreamcli validate --no-net "$scratch/root/usr/share/metainfo/com.brenix.terminal.metainfo.xml"

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
