#!/usr/bin/env bash
# Installs what building, running and testing the reader needs, from Debian 12's packages.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  clang libclang-rt-14-dev            # sanitizer builds and libFuzzer targets
  qt6-base-dev libgl-dev              # Qt 6 Core, Gui, Widgets, PrintSupport, Test
  qt6-multimedia-dev                  # players: Qt Multimedia, on GStreamer
  gstreamer1.0-plugins-base           # WAV (PCM), Ogg; the back end's decoding and playback bins
  gstreamer1.0-plugins-good           # AVI, WAV, Motion JPEG, mu-law/A-law, the PulseAudio sink
  gstreamer1.0-plugins-bad            # MPEG program streams, MIDI (FluidSynth and its sound font)
  gstreamer1.0-libav                  # AVI codecs of the time (MS Video 1, RLE, Cinepak, Indeo),
                                      # MPEG-1/2 video, MP3, ADPCM
  gstreamer1.0-tools                  # gst-launch-1.0: the tests' short video clip, made at build time
  libjpeg62-turbo-dev libgif-dev      # picture decoders
  libpng-dev                          # PNG pages and sheets, written fast and exact
  zlib1g-dev                          # sheets deflated into the PDF files printing writes
  libgsf-1-dev                        # compound files of embedded objects
  libjpeg-turbo-progs                 # djpeg, the reference the JPEG tests compare with
  poppler-utils                       # pdfinfo and pdftoppm, to check the PDFs printing writes
  libgtest-dev libbenchmark-dev       # tests and benchmarks
  mupdf-tools time                    # benchmarks: mutool, the PDF renderer bench/peer.sh compares
                                      # with; GNU time for peak memory (bench/convert_bench.sh)
  fontconfig libfontconfig-dev fonts-dejavu-core  # fonts matched by name; a known font for the window and tests
  fonts-liberation2                   # metric twins of Arial, Times New Roman, Courier New
  fonts-crosextra-carlito fonts-crosextra-caladea  # metric twins of Calibri and Cambria
  fonts-farsiweb                      # rich text: Persian faces (Nazli, Titr, Homa)
  fonts-symbola                       # symbol-font characters (arrows, dingbats, pictographs)
  fonts-droid-fallback                # CJK characters of Japanese and Chinese metafile text
  xvfb xauth                          # a virtual display for window runs without one
  python3-fonttools                   # the samples' Persian faces, built from fonts-farsiweb
  help2man                            # the man page, written from --help
  dpkg-dev                            # cpack's Debian package: dpkg-shlibdeps finds the dependencies
  desktop-file-utils appstream        # desktop-file-validate, appstreamcli: the desktop files' checks
  shared-mime-info xdg-utils          # update-mime-database, xdg-mime: the MIME types' check
  libfile-mimeinfo-perl               # mimetype, which xdg-mime asks outside a desktop session
  hyperfine                           # the thumbnail benchmark (bench/thumbnail_bench.sh)
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
