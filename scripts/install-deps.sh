#!/usr/bin/env bash
# Installs what building, running and testing the reader needs, from Debian 12's packages.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  clang libclang-rt-14-dev            # sanitizer builds and libFuzzer targets
  qt6-base-dev libgl-dev              # Qt 6 Core, Gui, Widgets, PrintSupport, Test
  libjpeg62-turbo-dev libgif-dev      # picture decoders
  libjpeg-turbo-progs                 # djpeg, the reference the JPEG tests compare with
  poppler-utils                       # pdfinfo and pdftoppm, to check the PDFs printing writes
  libgtest-dev libbenchmark-dev       # tests and benchmarks
  fontconfig libfontconfig-dev fonts-dejavu-core        # a known font for the window and test rendering
  fonts-liberation2                   # metric twins of Arial, Times New Roman, Courier New
  fonts-crosextra-carlito fonts-crosextra-caladea  # metric twins of Calibri and Cambria
  fonts-symbola                       # symbol-font characters (arrows, dingbats, pictographs)
  fonts-droid-fallback                # CJK characters of Japanese and Chinese metafile text
  xvfb xauth                          # a virtual display for window runs without one
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "Installing: ${missing[*]}"
$SUDO apt-get update -q
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
