#!/usr/bin/env bash
# Times veltrano-convert against curl on one generated 100 MB film page served from 127.0.0.1,
# and reports medians of wall time and peak memory (from /usr/bin/time -v).
#
#   bench/convert_vs_curl.sh [path/to/veltrano-convert] [runs]
#
# Targets: at most 2x curl's time; a peak of at most 1.5x the page plus 30 MB.
set -euo pipefail

converter=${1:-build/bench/cli/veltrano-convert}
runs=${2:-5}
page_mb=100
[ -x "$converter" ] || { echo "no converter at $converter (cmake --build --preset bench)" >&2; exit 2; }
converter=$(realpath "$converter")

work=$(mktemp -d)
server_pid=
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Mostly ASCII markup with GBK text mixed in, the download list near the end.
python3 - "$work/film.html" "$page_mb" <<'PY'
import sys
path, megabytes = sys.argv[1], int(sys.argv[2])
line = b'<tr><td class="name">\xd6\xd0\xce\xc4\xb5\xe7\xd3\xb0</td><td><a href="/film/1">film</a></td></tr>\n'
tail = b'<script>var g_downUrlList=["ftp%3A%2F%2Fdl.example%2F%D6%D0%CE%C4.mkv"];</script>\n'
with open(path, "wb") as out:
    target = megabytes * 1000 * 1000 - len(tail)
    block = line * 10000
    written = 0
    while written + len(block) <= target:
        out.write(block); written += len(block)
    out.write(line * ((target - written) // len(line)))
    out.write(tail)
PY
page_bytes=$(stat -c %s "$work/film.html")

python3 -u -m http.server 0 --bind 127.0.0.1 --directory "$work" >"$work/server.log" 2>&1 &
server_pid=$!
for _ in $(seq 50); do
  port=$(grep -o 'port [0-9]*' "$work/server.log" | head -n1 | cut -d' ' -f2 || true)
  [ -n "$port" ] && break
  sleep 0.1
done
[ -n "${port:-}" ] || { echo "the page server did not start" >&2; exit 2; }
url="http://127.0.0.1:$port/film.html"

# measure NAME COMMAND...: appends "seconds kilobytes" to $work/NAME
measure() {
  local name=$1; shift
  /usr/bin/time -v -o "$work/time.txt" "$@" >/dev/null
  local wall kb
  wall=$(awk -F': ' '/Elapsed \(wall clock\)/ {n=split($2,p,":"); s=0; for(i=1;i<=n;i++) s=s*60+p[i]; print s}' "$work/time.txt")
  kb=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time.txt")
  echo "$wall $kb" >>"$work/$name"
}

for _ in $(seq "$runs"); do
  measure convert "$converter" --bytes "$url"
  measure curl curl -s -o /dev/null "$url"
done

median() { sort -n | awk '{v[NR]=$1} END {print (NR%2) ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2}'; }
convert_s=$(cut -d' ' -f1 "$work/convert" | median)
curl_s=$(cut -d' ' -f1 "$work/curl" | median)
convert_kb=$(cut -d' ' -f2 "$work/convert" | median)
curl_kb=$(cut -d' ' -f2 "$work/curl" | median)

awk -v cs="$convert_s" -v us="$curl_s" -v ck="$convert_kb" -v uk="$curl_kb" -v pb="$page_bytes" \
    -v runs="$runs" 'BEGIN {
  page_mb = pb / 1048576; limit_mb = 1.5 * page_mb + 30; peak_mb = ck / 1024
  printf "page: %.1f MiB, %d runs each, medians\n", page_mb, runs
  printf "veltrano-convert --bytes: %.3f s, peak %.1f MiB\n", cs, peak_mb
  printf "curl -s -o /dev/null:     %.3f s, peak %.1f MiB\n", us, uk / 1024
  printf "time ratio: %.2f (target <= 2.00)  %s\n", cs / us, (cs <= 2 * us) ? "ok" : "MISSED"
  printf "peak: %.1f MiB (target <= %.1f MiB)  %s\n", peak_mb, limit_mb, (peak_mb <= limit_mb) ? "ok" : "MISSED"
}'
