#!/usr/bin/env bash
# Benchmarks listings-server against nginx serving the same answer bytes as
# static files, both on this machine's loopback, in one run:
#   - wrk (-t2 -c8) for the listings POST, the channels POST, a picture GET and
#     pictures not yet in memory (each request another of 50,000 files in the
#     picture folder, which nginx serves too), each with keep-alive and with
#     "Connection: close": req/s, p99, ratio;
#   - the plug-in's start in the headless emulator with 20 pictures it doesn't
#     have yet, pictures from listings-server and then from nginx;
#   - a normal listings request's p50/p99 while 1,000 slow connections (idle,
#     silent, one byte a second) are held open against each server.
# It installs what it needs (scripts/setup.sh), builds, imports the sample data
# with 20 distinct pictures into a temporary database, and stops both servers
# on exit. Environment: BUILD_DIR (default build), SECONDS_PER_RUN (wrk, 5),
# START_RUNS (emulator starts of each kind, 5), SLOW_SECONDS (15).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR="${BUILD_DIR:-build}"
SECONDS_PER_RUN="${SECONDS_PER_RUN:-5}"
START_RUNS="${START_RUNS:-5}"
SLOW_SECONDS="${SLOW_SECONDS:-15}"

scripts/setup.sh >/dev/null
cmake -B "$BUILD_DIR" -S . >/dev/null
cmake --build "$BUILD_DIR" -j2 --target listings-server receiver-emu matchray slow-clients >/dev/null
NGINX="$(command -v nginx || echo /usr/sbin/nginx)"

# 1,000 slow connections on each side, and some to spare.
hard="$(ulimit -Hn)"
[ "$hard" = unlimited ] && hard=65536
ulimit -n "$hard"

. scripts/sample-server.sh
work="$(mktemp -d "${TMPDIR:-/tmp}/server-bench.XXXXXX")"
chmod 755 "$work" # nginx's workers may run as another user
nginx_pid=""
cleanup() {
  stop_sample_server
  if [ -n "$nginx_pid" ]; then
    kill "$nginx_pid" 2>/dev/null || true
    wait "$nginx_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# The sample listings, each match with a picture of its own (copies of the four).
mkdir -p "$work/data/pictures"
samples=(data/sample/pictures/*.png)
for i in $(seq 20); do
  cp "${samples[$((i % ${#samples[@]}))]}" "$work/data/pictures/bench$i.png"
done
jq '.pictures = [range(1; 21) | {name: "bench\(.).png", file: "pictures/bench\(.).png"}]
    | .matches |= [to_entries[] | .value + {picture: "bench\(.key % 20 + 1).png"}]' \
  data/sample/listings.json >"$work/data/listings.json"
# nginx's root, which is also the server's picture folder: 50,000 pictures for
# requests that find none in memory, links to one of the samples.
www="$work/www"
mkdir -p "$www/pitchsidenew" "$www/fix"
fresh_count=50000
cp data/sample/pictures/cup.png "$www/fix/f0.png"
perl -e 'link("$ARGV[0]/f0.png", "$ARGV[0]/f$_.png") or die "link: $!" for 1 .. $ARGV[1] - 1' \
  "$www/fix" "$fresh_count"
# Its request log goes nowhere, as nginx's access log is off.
start_sample_server "$BUILD_DIR" "$work" /dev/null "$work/data/listings.json" \
  --pictures "$www/fix" >/dev/null
server="127.0.0.1:$port"

listings_path=/pitchsidenew/matchray_data_dm.php
listings_body='z=(GMT+01:00) Sarajevo, Skopje, Warsaw, Zagreb&m=02:00:00:00:00:01'
channels_path=/pitchsidenew/matchray_channels_dm.php
channels_body='id=104&f=0&m=02:00:00:00:00:01'
picture_path=/fix/bench1.png

# nginx's root holds the answers as listings-server gave them, at their own paths.
fetch() { # PATH [BODY] -> the answer's body on standard output
  if [ $# -gt 1 ]; then
    curl -sf -A PS --data-binary "$2" "http://$server$1"
  else
    curl -sf "http://$server$1"
  fi
}
fetch "$listings_path" "$listings_body" >"$www$listings_path"
fetch "$channels_path" "$channels_body" >"$www$channels_path"
for i in $(seq 20); do fetch "/fix/bench$i.png" >"$www/fix/bench$i.png"; done

start_nginx() { # sets nginx_port and nginx_pid
  for _ in 1 2 3 4 5; do
    nginx_port=$((20000 + RANDOM % 12000)) # below the ephemeral range
    mkdir -p "$work/nginx"
    cat >"$work/nginx/nginx.conf" <<END
daemon off;
worker_processes auto;
worker_rlimit_nofile 8192;
pid $work/nginx/nginx.pid;
error_log $work/nginx/error.log warn;
events { worker_connections 4096; }
http {
    access_log off;
    client_body_temp_path $work/nginx/body;
    proxy_temp_path $work/nginx/proxy;
    fastcgi_temp_path $work/nginx/fastcgi;
    uwsgi_temp_path $work/nginx/uwsgi;
    scgi_temp_path $work/nginx/scgi;
    sendfile on;
    tcp_nopush on;
    types { image/png png; }
    server {
        listen 127.0.0.1:$nginx_port;
        root $www;
        location /pitchsidenew/ {
            # The static module refuses a POST with 405; this answers it with the file.
            default_type "text/plain; charset=utf-8";
            error_page 405 =200 \$uri;
        }
    }
}
END
    "$NGINX" -e "$work/nginx/error.log" -p "$work/nginx" -c "$work/nginx/nginx.conf" &
    nginx_pid=$!
    for _ in $(seq 50); do
      if curl -sf -o /dev/null "http://127.0.0.1:$nginx_port$picture_path"; then return 0; fi
      kill -0 "$nginx_pid" 2>/dev/null || break
      sleep 0.1
    done
    kill "$nginx_pid" 2>/dev/null || true
    wait "$nginx_pid" 2>/dev/null || true
    nginx_pid=""
  done
  echo "nginx did not start; its log:" >&2
  cat "$work/nginx/error.log" >&2
  return 1
}
start_nginx
static="127.0.0.1:$nginx_port"

# Both must give the same bytes.
for request in "$listings_path|$listings_body" "$channels_path|$channels_body" "$picture_path" \
  /fix/f0.png; do
  p="${request%%|*}"
  if [ "$p" = "$request" ]; then args=("$p"); else args=("$p" "${request#*|}"); fi
  a="$(fetch "${args[@]}" | md5sum)"
  b="$(server="$static" fetch "${args[@]}" | md5sum)"
  if [ "$a" != "$b" ]; then
    echo "nginx's answer to $p differs from listings-server's" >&2
    exit 1
  fi
done

# wrk: "req/s p99_ms errors" on the last line.
wrk_script() { # FILE BODY CONNECTION [fresh]
  {
    if [ -n "$2" ]; then
      printf 'wrk.method = "POST"\nwrk.body = [[%s]]\n' "$2"
      printf 'wrk.headers["Content-Type"] = "application/x-www-form-urlencoded"\n'
      printf 'wrk.headers["User-Agent"] = "PS"\n'
    fi
    [ "$3" = close ] && printf 'wrk.headers["Connection"] = "close"\n'
    # Each thread asks for every other picture in turn: none was asked for in the last
    # second, longer than the server keeps a picture from its folder.
    [ "${4:-}" = fresh ] && cat <<END
threads = 0
function setup(thread) thread:set("tid", threads); threads = threads + 1 end
asked = 0
function request()
  asked = asked + 1
  return wrk.format(nil, "/fix/f" .. ((asked * 2 + tid) % $fresh_count) .. ".png")
end
END
    cat <<'END'
done = function(summary, latency, requests)
  local e = summary.errors
  io.write(string.format("%.0f %.2f %d\n", summary.requests / (summary.duration / 1e6),
    latency:percentile(99) / 1000, e.connect + e.read + e.write + e.status + e.timeout))
end
END
  } >"$1"
}
measure() { # HOST PATH SCRIPT
  wrk -t2 -c8 -d"${SECONDS_PER_RUN}s" -s "$3" "http://$1$2" | tail -n 1
}

echo "load before ($(nproc) cores): $(uptime)"
echo
echo "| request | listings-server | nginx, same bytes | ratio | goal: ≥ 100% kept open, ≥ 90% closed; p99 ≤ 5 ms |"
echo "|---|---|---|---|---|"
for connection in keep-alive close; do
  for kind in listings channels picture fresh; do
    case $kind in
      listings) path=$listings_path body=$listings_body label="listings POST" ;;
      channels) path=$channels_path body=$channels_body label="channels POST" ;;
      picture) path=$picture_path body="" label="picture GET" ;;
      fresh) path=/fix/f0.png body="" label="picture GET, not yet in memory" ;;
    esac
    [ "$connection" = close ] && label="$label, \`Connection: close\`" || label="$label, keep-alive"
    wrk_script "$work/$kind-$connection.lua" "$body" "$connection" "$kind"
    read -r rs ps es < <(measure "$server" "$path" "$work/$kind-$connection.lua")
    read -r rn pn en < <(measure "$static" "$path" "$work/$kind-$connection.lua")
    errors=""
    if [ "$es" != 0 ] || [ "$en" != 0 ]; then errors=" (failed requests: $es, $en)"; fi
    ratio="$(awk -v a="$rs" -v b="$rn" 'BEGIN { printf "%.0f", (b > 0 ? 100 * a / b : 0) }')"
    goal=100
    [ "$connection" = close ] && goal=90
    met="$(awk -v r="$ratio" -v g="$goal" -v p="$ps" -v e="$es" -v q="$pn" 'BEGIN {
      print (r >= g && p <= 5 && e == 0) ? "met" : "missed", (p > 5 && q > 5) ? "(nginx'"'"'s p99 too)" : "" }')"
    printf '| %s | %s req/s, p99 %s ms | %s req/s, p99 %s ms | %s%%%s | %s |\n' "$label" "$rs" "$ps" \
      "$rn" "$pn" "$ratio" "$errors" "$met"
  done
done

# The plug-in's start: from launching the emulator to the main window's first
# key, which leaves it at once. Each run has a fresh receiver root; the three
# kinds of start take turns, so that a change in the machine's load hits all.
printf 'key exit\n' >"$work/start.script"
start_once() { # PICTURES_HOST [keep] -> the start's time in ms
  local root="$work/root" t0 t1
  rm -rf "$root"
  mkdir -p "$root/var/tuxbox/config/pitchside/countries" \
    "$root/var/tuxbox/config/pitchside/images/matchray" "$root/tmp"
  cp /usr/share/flags/countries/16x11/*.png "$root/var/tuxbox/config/pitchside/countries/"
  cp data/images/hd.png data/images/fta.png "$root/var/tuxbox/config/pitchside/images/matchray/"
  [ "${2:-}" = keep ] && cp "$www"/fix/bench*.png "$root/tmp/"
  t0=$(date +%s%N)
  "$BUILD_DIR/bin/receiver-emu" --headless --root "$root" \
    --set "/matchray/listings_host=$server" --set "/matchray/pictures_host=$1" \
    --script "$work/start.script" "$BUILD_DIR/lib/matchray.so" >"$work/emu.out" 2>&1
  t1=$(date +%s%N)
  if ! grep -q "plugin_exec returned" "$work/emu.out" ||
    [ "$(find "$root/tmp" -name 'bench*.png' | wc -l)" != 20 ]; then
    echo "the plug-in did not start with its 20 pictures:" >&2
    cat "$work/emu.out" >&2
    exit 1
  fi
  echo $(((t1 - t0) / 1000000))
}
median() { sort -n | sed -n "$(((START_RUNS + 1) / 2))p"; }
for _ in $(seq "$START_RUNS"); do
  start_once "$server" >>"$work/start-server"
  start_once "$static" >>"$work/start-static"
  start_once "$server" keep >>"$work/start-none"
done
start_server="$(median <"$work/start-server")"
start_static="$(median <"$work/start-static")"
start_none="$(median <"$work/start-none")"
echo
echo "| plug-in start, median of $START_RUNS | ms | of which the picture pass |"
echo "|---|---|---|"
pass() { if [ "$1" -gt "$start_none" ]; then echo $(($1 - start_none)); else echo "≈ 0"; fi; }
echo "| 20 new pictures from listings-server | $start_server | $(pass "$start_server") |"
echo "| 20 new pictures from nginx | $start_static | $(pass "$start_static") |"
echo "| the 20 pictures already there | $start_none | |"
awk -v a="$start_server" -v b="$start_static" -v c="$start_none" 'BEGIN {
  r = a / b
  printf "| listings-server ÷ nginx (goal: ≤ 1.3) | %.2f, %s | %s |\n", r, (r <= 1.3 ? "met" : "missed"),
    (b > c ? sprintf("%.1f", (a - c) / (b - c)) : "too small to tell") }'

# A normal request while 1,000 slow connections are held open; nginx first, as
# a server stalled by them may stay so for a while.
echo
echo "| 1,000 slow connections held open (334 idle, 333 silent, 333 one byte a second) | a normal listings POST (goal: p99 ≤ 50 ms) |"
echo "|---|---|"
for side in nginx listings-server; do
  [ "$side" = nginx ] && p=$nginx_port || p=$port
  "$BUILD_DIR/bin/slow-clients" --port "$p" --seconds "$SLOW_SECONDS" >"$work/slow-$side.txt"
  result="$(sed -n 's/^normal //p' "$work/slow-$side.txt")"
  echo "| $side | $result |"
done
for side in nginx listings-server; do
  echo
  echo "$side, the slow connections:"
  grep -v '^normal ' "$work/slow-$side.txt"
done
echo
echo "load after: $(uptime)"
