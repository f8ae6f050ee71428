#!/usr/bin/env bash
# Conversion throughput: the samples (samples/) copied into folders until
# there are DOCS documents (default 1000), converted to PDF with `velmora-reader convert` at -j 1
# and at -j (all cores). Prints, for each, the wall time, documents and pages per second (pages
# from the report), the failed count (the sample book names a chapter that is not there, on
# purpose: one failure per book), and the peak resident memory of the largest process (the main
# process or a worker; GNU time) and of the whole run (every 0.2 s, the sum over its processes).
#
#   bash bench/convert_bench.sh [BUILD]     BUILD: a build folder with velmora-reader (default
#                                           build); DOCS=1000 JOBS1_DOCS=DOCS DPI=300 by default.
#
# On a shared machine the figures move with the load: run it more than once and compare medians.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
docs=${DOCS:-1000}
docs1=${JOBS1_DOCS:-$docs}
dpi=${DPI:-300}
exe=$build/velmora-reader
[ -x "$exe" ] || { echo "no $exe: build the velmora-reader target first" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "GNU time is missing: apt-get install time" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$here/samples" "$work/samples"

# Folders of one copy of every sample each (pictures and sounds beside the documents that name
# them), until there are enough documents.
make_archive() {
  local dest=$1 want=$2 n=0 i=0
  mkdir -p "$dest"
  while [ "$n" -lt "$want" ]; do
    i=$((i + 1))
    mkdir -p "$dest/f$i"
    cp "$work"/samples/* "$dest/f$i/"
    for f in "$dest/f$i"/*; do
      case "${f^^}" in
        *.VPG | *.VTX | *.BOK)
          if [ "$n" -ge "$want" ]; then rm "$f"; else n=$((n + 1)); fi ;;
      esac
    done
  done
}

# The sum of the resident memory of the run's processes (the process group), its largest value.
watch_rss() {
  local pgid=$1 peak=0 kb
  while kill -0 -- "-$pgid" 2>/dev/null; do
    kb=$(ps -o rss= -g "$pgid" 2>/dev/null | awk '{ s += $1 } END { print s + 0 }')
    [ "$kb" -gt "$peak" ] && peak=$kb
    sleep 0.2
  done
  echo "$peak"
}

run() {
  local jobs=$1 count=$2 label=$3
  rm -rf "$work/in" "$work/out"
  make_archive "$work/in" "$count"
  local t0 t1
  t0=$(date +%s%N)
  setsid /usr/bin/time -f "%M" -o "$work/time.txt" "$exe" convert -j "$jobs" --dpi "$dpi" "$work/in" "$work/out" \
    >"$work/report.jsonl" 2>/dev/null &
  local pid=$!
  sleep 0.05
  local peak_total
  peak_total=$(watch_rss "$pid")
  wait "$pid" || true
  t1=$(date +%s%N)
  awk -v t0="$t0" -v t1="$t1" -v jobs="$label" -v peak="$(tail -n 1 "$work/time.txt")" -v total="$peak_total" '
    { n++; if ($0 ~ /"status":"failed"/) failed++; if (match($0, /"pages":[0-9]+/)) pages += substr($0, RSTART + 8, RLENGTH - 8) }
    END {
      s = (t1 - t0) / 1e9
      printf "-j %-4s %5d documents  %6d pages  %7.1f s  %6.2f documents/s  %7.2f pages/s  %d failed  peak %d MB (largest process), %d MB (whole run)\n",
        jobs, n, pages, s, n / s, pages / s, failed, peak / 1024, total / 1024
    }' "$work/report.jsonl"
}

echo "convert --dpi $dpi on $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
run 1 "$docs1" 1
run "$(nproc)" "$docs" "$(nproc)"
