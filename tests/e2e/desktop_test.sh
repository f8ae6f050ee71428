#!/usr/bin/env bash
# The reader installed as a desktop sees it: installs the build into a temporary prefix, checks
# the desktop entry, the metainfo and the MIME types with the desktop's own validators, asks
# xdg-mime what the samples are, runs the thumbnailer entry the way a file manager does (no
# display, the command line taken from the entry) and runs the installed program.
#   usage: desktop_test.sh BUILD_DIR SOURCE_DIR
# Exits 77 (skipped) when a validator is missing.
set -uo pipefail
build=$(realpath "$1")
src=$(realpath "$2")
missing=()
for tool in desktop-file-validate appstreamcli update-mime-database xdg-mime mimetype; do
  command -v "$tool" >/dev/null 2>&1 || missing+=("$tool")
done
if [ ${#missing[@]} -ne 0 ]; then
  echo "SKIPPED: missing ${missing[*]} (scripts/install-deps.sh installs them)"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 || { cat "$work/install.log"; exit 1; }
share=$prefix/share
id=org.velmora.Reader
for f in bin/velmora-reader libexec/velmora-reader/velmora-reader-window libexec/velmora-reader/velmora-reader-media.so \
  share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
  share/mime/packages/$id.xml share/thumbnailers/$id.thumbnailer share/icons/hicolor/scalable/apps/$id.svg \
  share/icons/hicolor/48x48/apps/$id.png share/icons/hicolor/256x256/apps/$id.png \
  share/man/man1/velmora-reader.1.gz share/velmora-reader/samples/tour.VPG; do
  [ -e "$prefix/$f" ] || fail "not installed: $f"
done
png_size() { od -An -tu1 -j 16 -N 8 "$1" | awk '{ print $3 * 256 + $4 "x" $7 * 256 + $8 }'; }
[ "$(png_size "$share/icons/hicolor/48x48/apps/$id.png")" = "48x48" ] || fail "the 48 px icon is not 48 x 48"
[ "$(png_size "$share/icons/hicolor/256x256/apps/$id.png")" = "256x256" ] || fail "the 256 px icon is not 256 x 256"

# The desktop's validators.
desktop-file-validate "$share/applications/$id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml" || fail "appstreamcli validate"
update-mime-database "$share/mime" || fail "update-mime-database"

# What the desktop takes the samples for: by extension in either case, and a text document by its
# signature alone.
samples=$share/velmora-reader/samples
cp "$samples/letter.VTX" "$work/no-extension"
cp "$samples/tour.VPG" "$work/lower.vpg"
check_type() {
  local got
  got=$(env -u XDG_CURRENT_DESKTOP -u DESKTOP_SESSION XDG_DATA_DIRS="$share:/usr/share" xdg-mime query filetype "$1")
  [ "$got" = "$2" ] || fail "xdg-mime: $1 is $got, expected $2"
}
check_type "$samples/tour.VPG" application/x-velmora-layout
check_type "$work/lower.vpg" application/x-velmora-layout
check_type "$samples/letter.VTX" application/x-velmora-text
check_type "$work/no-extension" application/x-velmora-text
check_type "$samples/book.BOK" application/x-velmora-book
check_type "$samples/persian.VPG" application/x-velmora-layout
check_type "$samples/persian.VTX" application/x-velmora-text
cp "$samples/book.BOK" "$work/lower.bok"
check_type "$work/lower.bok" application/x-velmora-book

# The thumbnailer entry, run as a file manager runs it: the Exec line with %s, %i and %o put in,
# no display, a bare environment, the installed program on the PATH.
exec_line=$(sed -n 's/^Exec=//p' "$share/thumbnailers/$id.thumbnailer")
grep -q "^MimeType=application/x-velmora-layout;application/x-velmora-text;application/x-velmora-book;$" \
  "$share/thumbnailers/$id.thumbnailer" || fail "the thumbnailer entry names other types"
for doc in tour.VPG letter.VTX book.BOK media.VPG persian.VPG persian.VTX; do
  out=$work/thumb-${doc%.*}.png
  cmd=${exec_line//%s/128}
  cmd=${cmd//%i/\'$samples/$doc\'}
  cmd=${cmd//%o/\'$out\'}
  env -i PATH="$prefix/bin:/usr/bin:/bin" HOME="$work" sh -c "$cmd" >"$work/thumb.log" 2>&1 ||
    fail "thumbnailer on $doc: $(cat "$work/thumb.log")"
  size=$(png_size "$out" 2>/dev/null)
  case "$size" in
    128x* | *x128) ;;
    *) fail "thumbnail of $doc is $size, not 128 on its longer side" ;;
  esac
done

# The installed program runs, and its man page is the --help it prints.
[ "$("$prefix/bin/velmora-reader" --version)" = "velmora-reader $(sed -n 's/^project(velmora-reader VERSION \([0-9.]*\).*/\1/p' "$src/CMakeLists.txt")" ] ||
  fail "the installed program's --version"
for command in render print thumbnail dump trace; do
  zcat "$share/man/man1/velmora-reader.1.gz" | grep -q "^velmora\\\\-reader $command " ||
    fail "the man page does not tell of $command"
done
# The installed program hands printing to a queue to the window program, found in its private
# folder: the window program answers for the queue it does not know.
PRINTER= LPDEST= "$prefix/bin/velmora-reader" print -P no-such-queue "$samples/letter.VTX" >"$work/queue.out" 2>&1 &&
  fail "printing to a missing queue succeeded"
grep -qx "velmora-reader: No printer named no-such-queue" "$work/queue.out" ||
  fail "printing to a missing queue from the installation: $(cat "$work/queue.out")"
# The sample faces lie beside the samples, where the reader looks for a document's fonts.
for face in QV_Hazel QV_Elmar ZR_Keyb; do
  [ -s "$samples/$face.ttf" ] || fail "not installed: the sample face $face.ttf"
done

# The Debian package holds the same files, and its dependencies name the libraries it links.
if command -v cpack >/dev/null && command -v dpkg-deb >/dev/null && command -v dpkg-shlibdeps >/dev/null; then
  (cd "$build" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/deb") >"$work/cpack.log" 2>&1 ||
    fail "cpack -G DEB: $(tail -n 5 "$work/cpack.log")"
  deb=$(ls "$work"/deb/velmora-reader_*.deb 2>/dev/null | head -n 1)
  if [ -n "$deb" ]; then
    dpkg-deb -x "$deb" "$work/root"
    for f in usr/bin/velmora-reader usr/libexec/velmora-reader/velmora-reader-window \
      usr/libexec/velmora-reader/velmora-reader-media.so usr/share/applications/$id.desktop usr/share/mime/packages/$id.xml \
      usr/share/thumbnailers/$id.thumbnailer usr/share/metainfo/$id.metainfo.xml usr/share/man/man1/velmora-reader.1.gz; do
      [ -e "$work/root/$f" ] || fail "not in the package: $f"
    done
    depends=$(dpkg-deb -f "$deb" Depends)
    for lib in libqt6gui6 libqt6widgets6 libqt6multimedia6 libgsf-1-114 gstreamer1.0-plugins-good; do
      case "$depends" in *"$lib"*) ;; *) fail "the package does not depend on $lib: $depends" ;; esac
    done
    [ "$("$work/root/usr/bin/velmora-reader" --version)" = "$("$prefix/bin/velmora-reader" --version)" ] ||
      fail "the packaged program's --version"
    # Installed for real, as a user installs it (only where asked: CI's throw-away machine sets
    # VR_SYSTEM_INSTALL_TEST=1), then removed again.
    if [ "${VR_SYSTEM_INSTALL_TEST:-0}" = 1 ] && [ "$(id -u)" -eq 0 ] && ! dpkg -s velmora-reader >/dev/null 2>&1; then
      if DEBIAN_FRONTEND=noninteractive apt-get install -y "$deb" >"$work/apt.log" 2>&1; then
        [ "$(/usr/bin/velmora-reader --version)" = "$("$prefix/bin/velmora-reader" --version)" ] ||
          fail "the installed program's --version"
        [ "$(XDG_DATA_DIRS=/usr/share xdg-mime query filetype "$src/samples/tour.VPG")" = application/x-velmora-layout ] ||
          fail "the installed MIME type of tour.VPG"
        exec_line=$(sed -n 's/^Exec=//p' /usr/share/thumbnailers/$id.thumbnailer)
        cmdline=${exec_line//%s/128}
        cmdline=${cmdline//%i/$src/samples/letter.VTX}
        cmdline=${cmdline//%o/$work/installed-thumb.png}
        env -i PATH=/usr/bin:/bin $cmdline && [ -s "$work/installed-thumb.png" ] ||
          fail "the installed thumbnailer: $cmdline"
        DEBIAN_FRONTEND=noninteractive apt-get remove -y velmora-reader >>"$work/apt.log" 2>&1 ||
          fail "apt-get remove velmora-reader"
        [ ! -e /usr/bin/velmora-reader ] || fail "the removed package left /usr/bin/velmora-reader"
        echo "the package installed with apt-get, ran, and was removed"
      else
        fail "apt-get install of the package: $(tail -n 5 "$work/apt.log")"
      fi
    fi
  else
    fail "cpack wrote no package"
  fi
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "desktop: all checks passed"
