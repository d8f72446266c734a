# Sourced by scripts that run the plug-in against the reference server.
# start_sample_server BUILD_DIR WORK_DIR LOG_FILE [DATA_JSON [SERVE_ARGS...]]
#   imports DATA_JSON (default data/sample/listings.json) into a fresh database
#   in WORK_DIR, starts listings-server on 127.0.0.1 with a free port (and any
#   further arguments for "serve", such as --pictures DIR), and sets
#   server_pid and port. Returns 1, with the server's log on standard error,
#   when it doesn't start.
# stop_sample_server
#   stops the server started above, if any.

start_sample_server() {
  local build_dir="$1" work="$2" log="$3" data="${4:-data/sample/listings.json}"
  shift $(($# < 4 ? $# : 4))
  "$build_dir/bin/listings-server" import --db "$work/listings.db" "$data"
  "$build_dir/bin/listings-server" serve --db "$work/listings.db" --bind 127.0.0.1 --port 0 "$@" \
    >"$work/server.out" 2>"$log" &
  server_pid=$!
  port=""
  for _ in $(seq 100); do
    port="$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9][0-9]*\)$/\1/p' "$work/server.out")"
    [ -n "$port" ] && return 0
    kill -0 "$server_pid" 2>/dev/null || break
    sleep 0.1
  done
  echo "the listings server did not start; its log:" >&2
  cat "$log" >&2
  return 1
}

stop_sample_server() {
  if [ -n "${server_pid:-}" ]; then
    kill "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
    server_pid=""
  fi
}
