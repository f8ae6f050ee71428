#!/usr/bin/env bash
# Whole-process time of one page rendered to PNG at 96 dpi: velmora-reader on a page of 40 lines of
# text and 40 segments (.VPG), against `mutool draw -r 96` on a PDF page of the same content (both
# written by make-peer-page, see bench/make_peer_page.cpp). Prints the median of RUNS runs of each
# (after one warm-up run each), and the ratio ours / mutool's.
#
#   bash bench/peer.sh [BUILD]     BUILD: a build folder configured with -DVR_BENCH=ON (default
#                                  build-bench; made Release when missing). RUNS=10 by default.
#
# Needs mutool (Debian package mupdf-tools). The machine's load is printed with the figures: on a
# shared machine, compare medians taken at the same load.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build-bench}
runs=${RUNS:-10}

command -v mutool >/dev/null || { echo "mutool is missing: apt-get install mupdf-tools" >&2; exit 1; }
if [ ! -x "$build/velmora-reader" ] || [ ! -x "$build/bench/make-peer-page" ]; then
  [ -f "$build/CMakeCache.txt" ] ||
    cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVR_TESTS=OFF -DVR_BENCH=ON >/dev/null
  cmake --build "$build" --target velmora-reader make-peer-page >/dev/null
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/make-peer-page" "$work"

# Wall-clock milliseconds of one run of the command, to three decimals.
time_ms() {
  local t0 t1
  t0=$(date +%s%N)
  "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; exit 1; }
  t1=$(date +%s%N)
  awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f\n", (b - a) / 1e6 }'
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

ours=(env QT_QPA_PLATFORM=offscreen "$build/velmora-reader" render "$work/peer.VPG" "$work/ours.png")
peer=(mutool draw -q -r 96 -o "$work/peer.png" "$work/peer.pdf")
time_ms "${ours[@]}" >/dev/null
time_ms "${peer[@]}" >/dev/null
ours_ms=() peer_ms=()
# Interleaved, so that a change of load touches both alike.
for ((i = 0; i < runs; i++)); do
  ours_ms+=("$(time_ms "${ours[@]}")")
  peer_ms+=("$(time_ms "${peer[@]}")")
done
m_ours=$(printf '%s\n' "${ours_ms[@]}" | median)
m_peer=$(printf '%s\n' "${peer_ms[@]}" | median)
echo "velmora-reader render (100 %):  median ${m_ours} ms of ${runs}  [${ours_ms[*]}]"
echo "mutool draw -r 96:              median ${m_peer} ms of ${runs}  [${peer_ms[*]}]"
echo "ratio ours / mutool:            $(awk -v a="$m_ours" -v b="$m_peer" 'BEGIN { printf "%.2f", a / b }')"
echo "load average:                   $(cut -d' ' -f1-3 /proc/loadavg)  ($(nproc) cores)"
