#!/usr/bin/env bash
# Load test of the phone web server next to nginx serving the same file, every request on
# a connection of its own (Connection: close), both on loopback.
#   bench/web_load.sh [BUILD_DIR] [SECONDS] [CONNECTIONS]
# Needs wrk and nginx (scripts/install-deps.sh bench) and an optimised build, e.g.
#   cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DMOKOA_BENCH=ON -DMOKOA_GUI=OFF
#   cmake --build build/bench --target bench_web_serve bench_web_load && bench/web_load.sh build/bench
# Prints requests per second and errors for both (bench_web_load checks every answer), and
# the server's memory (VmRSS) and thread count before the load and after each round.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build/test}
seconds=${2:-10}
connections=${3:-50}
serve=$build/bin/bench_web_serve
load=$build/bin/bench_web_load
for tool in "$serve" "$load"; do
  [ -x "$tool" ] || { echo "web_load: $tool missing (build with -DMOKOA_BENCH=ON)" >&2; exit 2; }
done
for tool in wrk nginx curl python3; do
  command -v "$tool" >/dev/null || [ -x "/usr/sbin/$tool" ] ||
    { echo "web_load: $tool missing (scripts/install-deps.sh bench test)" >&2; exit 2; }
done
nginx_bin=$(command -v nginx || echo /usr/sbin/nginx)

work=$(mktemp -d)
chmod 755 "$work" # nginx workers may run as another user
server_pid=
nginx_pid=
cleanup() {
  if [ -n "$server_pid" ]; then kill "$server_pid" 2>/dev/null || true; wait "$server_pid" 2>/dev/null || true; fi
  if [ -n "$nginx_pid" ]; then kill "$nginx_pid" 2>/dev/null || true; wait "$nginx_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

# A phone-sized image: just under the 6000-byte carrier limit.
head -c 5900 /dev/urandom >"$work/phone.png"
chmod 644 "$work/phone.png"

free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'
}

status_of() { # pid -> "rss_kB threads"
  awk '/^VmRSS:/ {rss=$2} /^Threads:/ {threads=$2} END {print rss, threads}' "/proc/$1/status"
}

# Threads of connections that were just closed end a moment later; wait (bounded) for
# the count to settle before calling it a growth.
settled_status() { # pid base_threads
  local rss threads i
  for i in $(seq 1 50); do
    read -r rss threads < <(status_of "$1")
    [ "$threads" -le "$2" ] && break
    sleep 0.1
  done
  echo "$rss $threads"
}

run_load() { # port label
  printf '%-22s %s\n' "$2" "$("$load" "$1" "$work/phone.png" "$seconds" "$connections" || true)"
}

# wrk's rate for reference; it counts every answer ended by the connection as a read error.
run_wrk() { # port label
  local rate
  rate=$(wrk -t2 -c"$connections" -d"${seconds}s" -H 'Connection: close' "http://127.0.0.1:$1/" |
    awk '/^Requests\/sec:/ {print $2}')
  printf '%-22s %s req/s\n' "$2" "$rate"
}

# Our server.
"$serve" 0 "$work/phone.png" >"$work/serve.out" &
server_pid=$!
for i in $(seq 1 50); do
  grep -q '^ready' "$work/serve.out" 2>/dev/null && break
  sleep 0.1
done
server_port=$(awk '/^ready/ {print $2}' "$work/serve.out")
[ -n "$server_port" ] || { echo "web_load: the server did not start" >&2; exit 1; }

# nginx with a configuration of its own, closing every connection after its answer.
nginx_port=$(free_port)
mkdir -p "$work/nginx"
cat >"$work/nginx.conf" <<CONF
worker_processes auto;
pid $work/nginx/nginx.pid;
error_log $work/nginx/error.log;
events { worker_connections 1024; }
http {
  access_log off;
  keepalive_timeout 0;
  client_body_temp_path $work/nginx/body;
  proxy_temp_path $work/nginx/proxy;
  fastcgi_temp_path $work/nginx/fastcgi;
  uwsgi_temp_path $work/nginx/uwsgi;
  scgi_temp_path $work/nginx/scgi;
  server {
    listen 127.0.0.1:$nginx_port;
    root $work;
    location / { default_type image/png; try_files /phone.png =404; }
  }
}
CONF
"$nginx_bin" -p "$work/nginx" -c "$work/nginx.conf" -g 'daemon off;' 2>"$work/nginx/start.log" &
nginx_pid=$!
for i in $(seq 1 50); do
  curl -s -o /dev/null "http://127.0.0.1:$nginx_port/" && break
  sleep 0.1
done

# Both must hand out the same bytes before their rates mean anything.
cmp -s <(curl -s "http://127.0.0.1:$server_port/") "$work/phone.png" ||
  { echo "web_load: the server's answer differs from the file" >&2; exit 1; }
cmp -s <(curl -s "http://127.0.0.1:$nginx_port/") "$work/phone.png" ||
  { echo "web_load: nginx's answer differs from the file" >&2; exit 1; }

echo "$connections connections, ${seconds}s per round, $(nproc) cores, file $(stat -c %s "$work/phone.png") bytes"
read -r rss0 threads0 < <(status_of "$server_pid")
echo "server before load:     rss ${rss0} kB, threads ${threads0}"
# Rounds alternate between the two so that other work on the machine hits both alike.
for round in 1 2 3; do
  run_load "$server_port" "server round $round"
  read -r rss threads < <(settled_status "$server_pid" "$threads0")
  echo "server after round $round:   rss ${rss} kB, threads ${threads}"
  run_load "$nginx_port" "nginx round $round"
done
run_wrk "$server_port" "server (wrk)"
run_wrk "$nginx_port" "nginx (wrk)"
read -r rss threads < <(settled_status "$server_pid" "$threads0")
echo "server after wrk:       rss ${rss} kB, threads ${threads}"
nginx_rss=$(for p in $(pgrep -P "$nginx_pid") "$nginx_pid"; do
  awk '/^VmRSS:/ {print $2}' "/proc/$p/status"; done | awk '{s += $1} END {print s}')
echo "nginx after load:       rss ${nginx_rss} kB (master and workers)"

kill "$server_pid"
wait "$server_pid" || true
server_pid=
echo "server $(grep '^served' "$work/serve.out") (every answer is logged once)"
