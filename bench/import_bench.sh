#!/usr/bin/env bash
# The import run against the shell pipelines a user might write instead, on the same documents
# from the same loopback nginx, in the same run:
#   a 1,000,000-line plain list (SRR):      import_bench SRR        vs  curl | awk | iconv
#   a 20,000-row member page (RadioWave):   import_bench RadioWave  vs  curl | grep -o
# Each is run RUNS times (default 7), alternating; prints the medians and the ratios. Targets: the
# import run of the plain list takes at most 0.2 of its pipeline's wall time, that of the member
# page at most 0.25.
#
#   bench/import_bench.sh [build dir]      (builds the import_bench target there first)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
runs=${RUNS:-7}
"$root/scripts/deps" bench

cmake --build "$build" -j 2 --target import_bench >/dev/null
bench=$build/bench/import_bench

dir=$(mktemp -d "${TMPDIR:-/tmp}/brevak-import-bench.XXXXXX")
chmod 755 "$dir"  # nginx workers may run as another user
nginx_pid=""
cleanup() {
  [ -n "$nginx_pid" ] && kill "$nginx_pid" 2>/dev/null
  [ -n "${KEEP:-}" ] || rm -rf "$dir"
}
trap cleanup EXIT

# The documents, at the request targets of the two sources.
mkdir -p "$dir/www/wp-content/uploads/2017/08" "$dir/www/membership" "$dir/run"
awk 'BEGIN { for (i = 0; i < 1000000; i++) printf "R%d%c%c%c;Member %d;City %d\r\n", i % 10, 65 + int(i / 676) % 26, 65 + int(i / 26) % 26, 65 + i % 26, i, i % 997 }' \
  > "$dir/www/wp-content/uploads/2017/08/srr_qslbureau.csv"
awk 'BEGIN {
  print "<html><body><table>"
  print "<tr><td class=\"col1\">Call</td><td class=\"col2\"><a href=\"/membership/?sort=name\">Name</a></td></tr>"
  for (i = 0; i < 20000; i++) {
    c = sprintf("R%d%c%c%c", i % 10, 65 + int(i / 676) % 26, 65 + int(i / 26) % 26, 65 + i % 26)
    printf "<tr><td class=\"col1\"><a href=\"/membership/?call=%s\">%s</a></td><td class=\"col2\">Member number %d of the club, on the air since %d</td><td class=\"col3\">City %d</td></tr>\n", c, c, i, 1950 + i % 70, i % 997
  }
  print "</table></body></html>"
}' > "$dir/www/membership/index.html"

port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
cat > "$dir/nginx.conf" <<CONF
daemon off;
worker_processes 1;
pid $dir/run/nginx.pid;
error_log $dir/run/error.log;
events { worker_connections 64; }
http {
  access_log off;
  client_body_temp_path $dir/run;
  proxy_temp_path $dir/run;
  fastcgi_temp_path $dir/run;
  uwsgi_temp_path $dir/run;
  scgi_temp_path $dir/run;
  default_type text/plain;
  server {
    listen 127.0.0.1:$port;
    root $dir/www;
    index index.html;
  }
}
CONF
/usr/sbin/nginx -c "$dir/nginx.conf" -p "$dir/run" &
nginx_pid=$!
for _ in $(seq 100); do
  curl -s -o /dev/null "http://127.0.0.1:$port/membership/" && break
  sleep 0.05
done

printf '[Hosts]\r\nSRR=127.0.0.1:%s\r\nRadioWave=127.0.0.1:%s\r\n' "$port" "$port" > "$dir/sources.ini"
list_url="http://127.0.0.1:$port/wp-content/uploads/2017/08/srr_qslbureau.csv"
page_url="http://127.0.0.1:$port/membership/"

# Microseconds, from the shell itself: a date process per reading would be timed as well.
now() { echo "${EPOCHREALTIME//[!0-9]/}"; }
# Wall time of a command in microseconds.
wall() {
  local t0 t1
  t0=$(now)
  "$@" >/dev/null
  t1=$(now)
  echo $((t1 - t0))
}
# The list file of the run before is removed outside the timed part, as the pipelines' output
# file is replaced without a process of its own.
import_run() { "$bench" "$1" "$dir"; }
list_pipeline() {
  curl -s "$list_url" | awk '{ sub(/^[ \t\r]+/, ""); sub(/[ \t\r]+$/, ""); printf "%s=SRR Member\r\n", $0 }' |
    iconv -f UTF-8 -t CP1251 > "$dir/pipeline.ini"
}
page_pipeline() {
  curl -s "$page_url" | grep -o '<td class="col1"><a href="[^"]*">[^<]*</a>' > "$dir/pipeline.ini"
}

median() { sort -n | awk '{ a[NR] = $1 } END { print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2 }'; }

declare -A times
for _ in $(seq "$runs"); do
  rm -f "$dir/brevak.ini"
  times[list_import]+="$(wall import_run SRR) "
  times[list_pipe]+="$(wall list_pipeline) "
  rm -f "$dir/brevak.ini"
  times[page_import]+="$(wall import_run RadioWave) "
  times[page_pipe]+="$(wall page_pipeline) "
done

# Both sides must have produced their lists.
entries=$(grep -c '=Radio Wave' "$dir/brevak.ini" || true)
[ "$entries" -eq 20000 ] || { echo "import_bench: RadioWave gave $entries entries, expected 20000" >&2; exit 1; }

report() {
  local name=$1 imp pipe
  imp=$(tr ' ' '\n' <<<"${times[${2}]}" | grep . | median)
  pipe=$(tr ' ' '\n' <<<"${times[${3}]}" | grep . | median)
  awk -v n="$name" -v i="$imp" -v p="$pipe" -v t="$4" 'BEGIN { printf "%-38s import run %7.1f ms   pipeline %7.1f ms   ratio %.2f %s\n", n, i / 1000, p / 1000, i / p, (i <= p * t ? "(target met)" : "(target: <= " t ")") }'
}
echo "median of $runs runs, wall time"
report "1,000,000-line plain list (SRR)" list_import list_pipe 0.20
report "20,000-row member page (RadioWave)" page_import page_pipe 0.25
