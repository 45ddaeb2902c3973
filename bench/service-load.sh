#!/usr/bin/env bash
# Requests per second of the reference service under wrk on loopback.
# Goal: at least 10,000 per second on two cores.
#   bench/service-load.sh [BUILD_DIR] [SECONDS]
set -euo pipefail
build=${1:-build}
seconds=${2:-10}
service="$build/server/lumbrix-service"
work=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT

"$service" admin --db "$work/load.db" init
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
"$service" serve --db "$work/load.db" --listen "127.0.0.1:$port" 2>/dev/null &
pid=$!
for _ in $(seq 50); do (echo >/dev/tcp/127.0.0.1/"$port") 2>/dev/null && break; sleep 0.1; done

body=$("$service" admin --db "$work/load.db" request-body --id 3)
cat > "$work/post.lua" <<LUA
wrk.method = "POST"
wrk.body = "$body"
wrk.headers["Content-Type"] = "application/x-www-form-urlencoded"
LUA
wrk -t2 -c32 -d"${seconds}s" -s "$work/post.lua" "http://127.0.0.1:$port/index.php/api/Software/getInfo"
