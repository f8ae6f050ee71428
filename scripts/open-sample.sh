#!/usr/bin/env bash
# Installs what is missing, builds the reader and opens the tour document in its window. Without
# a display it renders the tour's pages to PNG files and says where they are.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVR_TESTS=OFF >/dev/null
cmake --build build --target velmora-reader
sample="$PWD/samples/tour.VPG"
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec ./build/velmora-reader "$sample"
fi
out="${TMPDIR:-/tmp}/velmora-tour"
mkdir -p "$out"
./build/velmora-reader render "$sample" "$out/tour-%d.png"
echo "No display: the tour's pages were rendered to $out/tour-*.png"
