#!/usr/bin/env bash
# The command line as a new user meets it: no window by surprise, no abort without a display, no
# file replaced or left half-written, the format the output's name asks for, and nothing on the
# terminal that is not the reader's own message.
#   usage: command_line_test.sh VELMORA_READER SOURCE_DIR
set -uo pipefail
reader=$(realpath "$1")
src=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
cp "$src"/samples/* .
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
# run NAME EXPECTED_STATUS COMMAND...: runs with stdout and stderr kept in NAME.out and NAME.err.
run() {
  local name=$1 expected=$2
  shift 2
  "$@" >"$name.out" 2>"$name.err"
  local status=$?
  [ "$status" -eq "$expected" ] || fail "$name: status $status, expected $expected: $(head -c 300 "$name.err")"
}
first_err_line() { head -n 1 "$1.err"; }

# No display: a clear message and status 1, never an abort (134) or a window.
run nodisplay 1 env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$reader" tour.VPG
grep -q '^velmora-reader: cannot open the window: no display' nodisplay.err || fail "nodisplay: $(cat nodisplay.err)"
run baddisplay 1 env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=:93 "$reader" tour.VPG
grep -q '^velmora-reader: cannot open the window' baddisplay.err || fail "baddisplay: $(cat baddisplay.err)"
run help 0 env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$reader" help
grep -q '^Usage:' help.out || fail "help prints no usage"

# Unknown words and several files without a command: usage errors listing the commands.
run typo 2 env -u DISPLAY "$reader" rendr tour.VPG x.png
[ "$(first_err_line typo)" = "velmora-reader: Unknown command rendr (the commands are render, print, thumbnail, dump, trace, convert, help)" ] ||
  fail "typo: $(first_err_line typo)"
grep -q '^  velmora-reader render' typo.err || fail "typo: no usage after the message"
run twofiles 2 env -u DISPLAY "$reader" tour.VPG letter.VTX
grep -q '^velmora-reader: The window opens one FILE' twofiles.err || fail "twofiles: $(first_err_line twofiles)"
run word 2 env -u DISPLAY "$reader" thumbnial
[ ! -e x.png ] || fail "a mistyped command wrote x.png"

# Every message says whose it is.
run missing 1 "$reader" render missing.VPG out.png
[ "$(cat missing.err)" = "velmora-reader: Impossible d'ouvrir le fichier missing.VPG" ] || fail "missing: $(cat missing.err)"

# The format the output's extension names, or a refusal; "-" is standard output.
run pdfout 2 "$reader" render -f 1 -l 1 tour.VPG page.pdf
[ ! -e page.pdf ] || fail "render wrote page.pdf"
grep -q '^velmora-reader: Cannot write page.pdf: render writes the image format its extension names' pdfout.err ||
  fail "pdfout: $(cat pdfout.err)"
run jpeg 0 "$reader" render -f 1 -l 1 tour.VPG page.JPG
[ "$(head -c 3 page.JPG | od -An -tx1 | tr -d ' ')" = "ffd8ff" ] || fail "page.JPG is not a JPEG"
run stdout 0 "$reader" render -f 2 -l 2 tour.VPG -
[ "$(head -c 8 stdout.out | od -An -tx1 | tr -d ' ')" = "89504e470d0a1a0a" ] || fail "render - wrote no PNG"
run stdout2 2 "$reader" render tour.VPG -
[ ! -s stdout2.out ] || fail "render - of several pages wrote to standard output"

# Qt's own messages stay quiet unless --verbose asks for them.
run quiet 0 env QT_DEBUG_PLUGINS=1 "$reader" render -f 1 -l 1 tour.VPG quiet.png
[ ! -s quiet.err ] || fail "Qt's messages reached the terminal: $(head -n 2 quiet.err)"
run loud 0 env QT_DEBUG_PLUGINS=1 "$reader" render --verbose -f 1 -l 1 tour.VPG loud.png
grep -q 'velmora-reader: .*plugin' loud.err || fail "--verbose did not show Qt's messages"

# With no printer and no OUT, print never replaces a file: tour.pdf is taken, tour-1.pdf is next.
export CUPS_SERVER=127.0.0.1:9
echo "keep me" >tour.pdf
run noprinter 0 "$reader" print -f 1 -l 1 -r 50 tour.VPG
[ "$(cat tour.pdf)" = "keep me" ] || fail "print replaced tour.pdf"
[ "$(head -c 5 tour-1.pdf)" = "%PDF-" ] || fail "print did not write tour-1.pdf"
[ "$(cat noprinter.err)" = "velmora-reader: No printer is installed: printing to tour-1.pdf (tour.pdf exists and is kept)" ] ||
  fail "noprinter: $(cat noprinter.err)"

# An output is complete under its name or absent: a print killed on its way leaves no big.pdf.
"$reader" print -r 1200 tour.VPG big.pdf 2>/dev/null &
pid=$!
sleep 3
if kill -0 "$pid" 2>/dev/null; then
  kill -KILL "$pid"
  wait "$pid" 2>/dev/null
  [ ! -e big.pdf ] || fail "a killed print left big.pdf"
  ls -a | grep -q '^\.big\.pdf\..*\.part$' || fail "the killed print wrote no temporary file"
else
  echo "note: the 1200 dpi print ended within 3 s; the killed-print check did not run"
fi

# Thumbnails: SIZE on the longer side, nothing written on failure.
run thumb 0 "$reader" thumbnail -s 128 tour.VPG thumb.png
[ "$(od -An -tu1 -j 16 -N 8 thumb.png | tr -s ' ')" = " 0 0 0 91 0 0 0 128" ] || fail "thumb.png is not 91 x 128"
run thumbmissing 1 "$reader" thumbnail missing.VPG none.png
[ ! -e none.png ] || fail "a failed thumbnail wrote none.png"
[ -z "$(ls -a | grep '^\.none')" ] || fail "a failed thumbnail left a temporary file"

# Clips open through the media module; without it the clip is reported and the page still drawn.
run nomedia 0 env VR_MEDIA_MODULE="$work/none.so" "$reader" render --verbose media.VPG nomedia.png
grep -qx 'velmora-reader: warning: page 1, object 4: Cannot open the media clip media-chime.wav: the media back end is not installed (velmora-reader-media.so)' nomedia.err ||
  fail "nomedia: $(cat nomedia.err)"
[ -s nomedia.png ] || fail "nomedia: no page written"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "command line: all checks passed"
