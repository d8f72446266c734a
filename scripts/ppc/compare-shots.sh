#!/usr/bin/env bash
# Runs one headless script on the native and on the PowerPC build of the
# emulator and plug-in, both against the same native listings-server with the
# sample listings, and compares their screenshots pixel for pixel.
#
# Usage: scripts/ppc/compare-shots.sh [SCRIPT]   (default scripts/demo.script)
# Environment: BUILD_DIR (PowerPC build, default build-ppc; scripts/ppc/test.sh
# makes it), NATIVE_BUILD_DIR (default build-ppc-server), OUT (where the shots
# stay, default build-ppc/shots).
set -euo pipefail
cd "$(dirname "$0")/../.."
BUILD_DIR="${BUILD_DIR:-build-ppc}"
NATIVE_BUILD_DIR="${NATIVE_BUILD_DIR:-build-ppc-server}"
SCRIPT="${1:-scripts/demo.script}"
OUT="${OUT:-$BUILD_DIR/shots}"
JOBS="${JOBS:-2}"

[ -x "$BUILD_DIR/bin/receiver-emu" ] || { echo "compare: build $BUILD_DIR first (scripts/ppc/test.sh)" >&2; exit 1; }
if [ ! -f "$NATIVE_BUILD_DIR/CMakeCache.txt" ]; then
  cmake -S . -B "$NATIVE_BUILD_DIR" -DMATCHRAY_WITH_TESTS=OFF -DMATCHRAY_WITH_BENCH=OFF \
    -DMATCHRAY_WITH_SDL=OFF >/dev/null
fi
cmake --build "$NATIVE_BUILD_DIR" -j"$JOBS" --target listings-server receiver-emu matchray >/dev/null

work="$(mktemp -d "${TMPDIR:-/tmp}/matchray-shots.XXXXXX")"
. scripts/sample-server.sh
cleanup() {
  stop_sample_server
  rm -rf "$work"
}
trap cleanup EXIT
start_sample_server "$NATIVE_BUILD_DIR" "$work" "$work/server.log" >/dev/null

rm -rf "$OUT"
run() {  # NAME EMULATOR... PLUGIN
  local name="$1"
  shift
  local root="$work/$name-root"
  mkdir -p "$root/var/tuxbox/config/pitchside/countries" "$root/var/tuxbox/config/pitchside/images/matchray" \
           "$OUT/$name"
  cp /usr/share/flags/countries/16x11/*.png "$root/var/tuxbox/config/pitchside/countries/"
  cp data/images/hd.png data/images/fta.png "$root/var/tuxbox/config/pitchside/images/matchray/"
  sed "s#^shot demo-shots/#shot $OUT/$name/#" "$SCRIPT" >"$work/$name.script"
  local plugin="${*: -1}"
  local emulator=("${@:1:$#-1}")
  "${emulator[@]}" --root "$root" --headless --script "$work/$name.script" \
    --set "/matchray/listings_host=127.0.0.1:$port" --set "/matchray/pictures_host=127.0.0.1:$port" \
    "$plugin" >"$OUT/$name.out" 2>"$OUT/$name.err"
}
run native "$NATIVE_BUILD_DIR/bin/receiver-emu" "$NATIVE_BUILD_DIR/lib/matchray.so"
run ppc scripts/ppc/qemu-run "$BUILD_DIR/bin/receiver-emu" "$BUILD_DIR/lib/matchray.so"

python3 - "$OUT/native" "$OUT/ppc" <<'EOF'
import os, struct, sys, zlib

def pixels(path):
    """The rows of an 8-bit, non-interlaced PNG, unfiltered."""
    data = open(path, "rb").read()
    pos, idat, width, height, ctype = 8, b"", 0, 0, 0
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, ctype, _, _, interlace = struct.unpack(">IIBBBBB", body)
            assert depth == 8 and interlace == 0, path
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    bpp = {0: 1, 2: 3, 4: 2, 6: 4}[ctype]
    raw, stride, rows, prev = zlib.decompress(idat), width * bpp, [], bytearray(width * bpp)
    for y in range(height):
        f, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b, c = prev[i], prev[i - bpp] if i >= bpp else 0
            if f == 1: line[i] = (line[i] + a) & 255
            elif f == 2: line[i] = (line[i] + b) & 255
            elif f == 3: line[i] = (line[i] + (a + b) // 2) & 255
            elif f == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(bytes(line))
        prev = line
    return width, height, bpp, rows

native, ppc = sys.argv[1], sys.argv[2]
names = sorted(os.listdir(native))
if not names or names != sorted(os.listdir(ppc)):
    sys.exit(f"compare: different shots: native {names}, ppc {sorted(os.listdir(ppc))}")
same = 0
for name in names:
    w1, h1, b1, r1 = pixels(os.path.join(native, name))
    w2, h2, b2, r2 = pixels(os.path.join(ppc, name))
    if (w1, h1, b1) != (w2, h2, b2):
        print(f"{name}: size differs: {w1}x{h1}x{b1} and {w2}x{h2}x{b2}")
        continue
    rows = [y for y in range(h1) if r1[y] != r2[y]]
    if rows:
        print(f"{name}: {len(rows)} rows differ, from y={rows[0]} to y={rows[-1]}")
    else:
        print(f"{name}: identical ({w1}x{h1})")
        same += 1
print(f"compare: {same} of {len(names)} screenshots identical")
sys.exit(0 if same == len(names) else 1)
EOF
