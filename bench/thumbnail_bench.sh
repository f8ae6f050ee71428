#!/usr/bin/env bash
# The thumbnailer's whole-process time, as a file manager pays it: a 256-pixel thumbnail of the
# tour's first page, and of the other samples, each run a fresh process with no display.
#   usage: thumbnail_bench.sh VELMORA_READER [SAMPLES_FOLDER]
# The target is under 100 ms for the tour. Needs hyperfine.
set -euo pipefail
reader=$(realpath "$1")
samples=$(realpath "${2:-$(dirname "$0")/../samples}")
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
command -v hyperfine >/dev/null || { echo "hyperfine is missing (scripts/install-deps.sh installs it)" >&2; exit 1; }
env -u DISPLAY -u WAYLAND_DISPLAY hyperfine --warmup 3 --runs 30 -N \
  "$reader thumbnail -s 256 $samples/tour.VPG $out/tour.png" \
  "$reader thumbnail -s 256 $samples/letter.VTX $out/letter.png" \
  "$reader thumbnail -s 256 $samples/book.BOK $out/book.png" \
  "$reader thumbnail -s 256 $samples/persian.VPG $out/persian.png"
