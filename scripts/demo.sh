#!/usr/bin/env bash
# Builds client and sample back-end, starts the back-end on a free loopback port with the sample
# records, points the client's config.ini at it and runs the client; the back-end stops with it.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

scripts/setup.sh
scripts/build.sh build

server="$root/build/server/quorelapi-server"
client="$root/build/app/quorelapi"
for program in "$server" "$client"; do
  if [ ! -x "$program" ]; then
    echo "demo: $program was not built; see the build output above." >&2
    exit 1
  fi
done

# A free loopback port: ask the kernel for one.
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1]); s.close()' 2>/dev/null ||
       echo $((20000 + RANDOM % 20000)))

data_dir="$root/build/demo"
mkdir -p "$data_dir"
"$server" --host 127.0.0.1 --port "$port" --db "$data_dir/quorelapi.db" >"$data_dir/server.log" 2>&1 &
server_pid=$!
cleanup() {
  kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null || true
}
trap cleanup EXIT INT TERM

# Wait until the back-end answers (at most 10 s).
ready=""
for _ in $(seq 1 100); do
  if ! kill -0 "$server_pid" 2>/dev/null; then
    echo "demo: the back-end stopped at start:" >&2
    cat "$data_dir/server.log" >&2
    exit 1
  fi
  if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
    ready=1
    break
  fi
  sleep 0.1
done
if [ -z "$ready" ]; then
  echo "demo: the back-end did not start listening on 127.0.0.1:$port; log in $data_dir/server.log" >&2
  exit 1
fi
echo "demo: back-end at http://127.0.0.1:$port (database $data_dir/quorelapi.db, log $data_dir/server.log)"

cat >"$(dirname "$client")/config.ini" <<INI
[config]
servidor=http://127.0.0.1
porta=$port
formatador=http://127.0.0.1:$port
INI

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  if command -v xvfb-run >/dev/null 2>&1; then
    echo "demo: no display (DISPLAY and WAYLAND_DISPLAY are empty): running the client on a virtual"
    echo "      X display (xvfb-run). Nothing shows on screen; press Ctrl+C to stop both programs."
    xvfb-run -a -s "-screen 0 1280x800x24" "$client"
  else
    echo "demo: no display (DISPLAY and WAYLAND_DISPLAY are empty) and no xvfb-run to provide one." >&2
    echo "      Run this from a desktop session, or install xvfb (scripts/setup.sh does)." >&2
    exit 1
  fi
else
  "$client"
fi
