#!/usr/bin/env bash
# Runs Match Ray against the reference server on this machine (after scripts/setup.sh):
# builds the project, imports the sample listings into a fresh database, starts
# listings-server on 127.0.0.1 with a free port, and runs the plug-in in the
# receiver emulator pointed at it. With a display the emulator opens a window;
# without one it runs scripts/demo.script headless and writes its screenshots and
# screen dumps into ./demo-shots/. The server stops when the emulator ends.
#
# Environment: BUILD_DIR (default build), MATCHRAY_TIMEZONE (the receiver's time
# zone text, default the plug-in's own), DEMO_SCRIPT (default scripts/demo.script).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR="${BUILD_DIR:-build}"
DEMO_SCRIPT="${DEMO_SCRIPT:-scripts/demo.script}"

# Only what the run needs; scripts/test.sh builds and runs the tests.
cmake -B "$BUILD_DIR" -S . >/dev/null
cmake --build "$BUILD_DIR" -j2 --target listings-server receiver-emu matchray

. scripts/sample-server.sh
work="$(mktemp -d "${TMPDIR:-/tmp}/matchray-run.XXXXXX")"
cleanup() {
  stop_sample_server
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# A fresh database with the sample listings; their kick-offs count from today.
server_log="$BUILD_DIR/listings-server.log"
start_sample_server "$BUILD_DIR" "$work" "$server_log"
echo "run: listings server on 127.0.0.1:$port (log: $server_log)"

# The receiver root: country flags from Debian's flag set, the HD and FTA icons.
root="$work/root"
mkdir -p "$root/var/tuxbox/config/pitchside/countries" "$root/var/tuxbox/config/pitchside/images/matchray"
cp /usr/share/flags/countries/16x11/*.png "$root/var/tuxbox/config/pitchside/countries/"
cp data/images/hd.png data/images/fta.png "$root/var/tuxbox/config/pitchside/images/matchray/"

settings=(--set "/matchray/listings_host=127.0.0.1:$port" --set "/matchray/pictures_host=127.0.0.1:$port")
if [ -n "${MATCHRAY_TIMEZONE:-}" ]; then
  settings+=(--set "/elitedvb/timezone=$MATCHRAY_TIMEZONE")
fi

emulator=("$BUILD_DIR/bin/receiver-emu" --root "$root" "${settings[@]}")
if [ -n "${DISPLAY:-}" ]; then
  "${emulator[@]}" "$BUILD_DIR/lib/matchray.so"
else
  mkdir -p demo-shots
  "${emulator[@]}" --headless --script "$DEMO_SCRIPT" "$BUILD_DIR/lib/matchray.so" |
    tee demo-shots/session.txt
  echo "run: screenshots and dumps are in demo-shots/"
fi
