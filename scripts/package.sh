#!/usr/bin/env bash
# Builds the receiver package: a .tar.gz laid out as the receiver's file
# system, to be unpacked at its root.
#   var/tuxbox/plugins/matchray.so                       the plug-in (PowerPC)
#   var/tuxbox/plugins/matchray.cfg                      its description
#   var/tuxbox/config/pitchside/countries/*.png          country flags
#   var/tuxbox/config/pitchside/images/matchray/hd.png   HD icon
#   var/tuxbox/config/pitchside/images/matchray/fta.png  free-to-air icon
#
# Usage: scripts/package.sh [OUTPUT.tar.gz]
#   default output: build-ppc-package/matchray-ppc.tar.gz
# Environment: BUILD_DIR (default build-ppc-package), MATCHRAY_PPC_CACHE and
# JOBS as for scripts/ppc/build-deps.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
REPO="$(pwd)"
BUILD_DIR="${BUILD_DIR:-build-ppc-package}"
OUTPUT="${1:-$BUILD_DIR/matchray-ppc.tar.gz}"
JOBS="${JOBS:-2}"
CACHE="${MATCHRAY_PPC_CACHE:-$HOME/.cache/matchray-ppc}"
export MATCHRAY_PPC_PREFIX="$CACHE/prefix"
export JOBS MATCHRAY_PPC_CACHE="$CACHE"
FLAGS_DIR=/usr/share/flags/countries/16x11

fail() { echo "package: $*" >&2; exit 1; }
log() { echo "package: $*"; }

# Debian's famfamfam-flag-png supplies the country flags.
if ! dpkg-query -W -f='${Status}' famfamfam-flag-png 2>/dev/null | grep -q "install ok installed"; then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends famfamfam-flag-png
fi
for icon in hd fta; do
  [ -f "data/images/$icon.png" ] || fail "data/images/$icon.png is missing"
done

bash scripts/ppc/build-deps.sh

# A build of its own, without tests and without a run path into the build
# machine's library prefix.
cmake -S . -B "$BUILD_DIR" \
  -DCMAKE_TOOLCHAIN_FILE="$REPO/cmake/ppc-toolchain.cmake" \
  -DMATCHRAY_PPC_PREFIX="$MATCHRAY_PPC_PREFIX" -DCMAKE_BUILD_TYPE=Release -DCMAKE_SKIP_RPATH=ON \
  -DMATCHRAY_WITH_TESTS=OFF -DMATCHRAY_WITH_SDL=OFF -DMATCHRAY_WITH_SERVER=OFF \
  -DMATCHRAY_WITH_BENCH=OFF >/dev/null
cmake --build "$BUILD_DIR" -j"$JOBS" --target matchray
SO="$BUILD_DIR/lib/matchray.so"

STAGE="$(mktemp -d)"
trap 'rm -rf "$STAGE"' EXIT
PLUGINS="$STAGE/var/tuxbox/plugins"
PITCHSIDE="$STAGE/var/tuxbox/config/pitchside"
mkdir -p "$PLUGINS" "$PITCHSIDE/countries" "$PITCHSIDE/images/matchray"

powerpc-linux-gnu-strip --strip-unneeded -o "$PLUGINS/matchray.so" "$SO"
chmod 755 "$PLUGINS/matchray.so"
install -m 644 packaging/matchray.cfg "$PLUGINS/matchray.cfg"
install -m 644 data/images/hd.png data/images/fta.png "$PITCHSIDE/images/matchray/"
# Flags by ISO code in lower case, plus the home nations that have no code.
count=0
for flag in "$FLAGS_DIR"/*.png; do
  name="$(basename "$flag" .png)"
  case "$name" in
    [a-z][a-z] | england | scotland | wales)
      install -m 644 "$flag" "$PITCHSIDE/countries/$name.png"
      count=$((count + 1)) ;;
  esac
done
[ "$count" -gt 200 ] || fail "only $count flags found in $FLAGS_DIR"
install -m 644 /usr/share/doc/famfamfam-flag-png/copyright "$PITCHSIDE/countries/COPYRIGHT.flags"

# The plug-in must be what the receiver loads: ELF32, big-endian PowerPC,
# exporting plugin_exec, without a run path of the build machine.
header="$(powerpc-linux-gnu-readelf -h "$PLUGINS/matchray.so")"
grep -q "Class:.*ELF32" <<<"$header" || fail "matchray.so is not ELF32"
grep -q "Data:.*big endian" <<<"$header" || fail "matchray.so is not big-endian"
grep -q "Machine:.*PowerPC" <<<"$header" || fail "matchray.so is not for PowerPC"
grep -q "Type:.*DYN" <<<"$header" || fail "matchray.so is not a shared object"
powerpc-linux-gnu-nm -D --defined-only "$PLUGINS/matchray.so" | grep -qE " T plugin_exec$" \
  || fail "matchray.so does not export plugin_exec"
if powerpc-linux-gnu-readelf -d "$PLUGINS/matchray.so" | grep -qE "RPATH|RUNPATH"; then
  fail "matchray.so carries a run path"
fi

mkdir -p "$(dirname "$OUTPUT")"
tar -C "$STAGE" --owner=0 --group=0 --numeric-owner --sort=name \
    --mtime="@$(git log -1 --format=%ct 2>/dev/null || echo 0)" -czf "$OUTPUT" var
log "matchray.so: ELF32 big-endian PowerPC, exports plugin_exec; needs" \
    "$(powerpc-linux-gnu-readelf -d "$PLUGINS/matchray.so" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' | tr '\n' ' ')"
log "$count flags, HD and FTA icons"
log "written $OUTPUT ($(du -k "$OUTPUT" | cut -f1) KiB)"
