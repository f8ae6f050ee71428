#!/usr/bin/env bash
# Prints through a real CUPS queue: a private cupsd on the loopback with a cups-pdf queue, so the
# sheets travel the same road as on a user's printer (Qt's CUPS support, the filters, a backend)
# and come back as a PDF that can be measured. The same pages printed straight to a PDF by the
# same program are the reference.
#   usage: cups_print_test.sh VELMORA_READER SOURCE_DIR
# Exits 77 (skipped) when the print system cannot be installed or started here.
set -euo pipefail

if [ $# -ne 2 ]; then
  echo "usage: $0 VELMORA_READER SOURCE_DIR" >&2
  exit 2
fi
reader=$(realpath "$1")
srcdir=$(realpath "$2")
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"

skip() {
  echo "SKIPPED: $*"
  exit 77
}

# cupsd has to run as root: the cups-pdf backend only works when started as root.
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null 2>&1 || skip "not root and sudo is missing; root is needed to install and run cupsd"
  sudo -n true 2>/dev/null || skip "not root and sudo asks for a password; root is needed to install and run cupsd"
  sudo_cmd=(sudo -n)
fi
as_root() { "${sudo_cmd[@]}" "$@"; }

# /tmp rather than $TMPDIR: the distribution's AppArmor profile for cupsd allows its owner's
# files under /tmp.
work=$(mktemp -d /tmp/velmora-cups.XXXXXX)
cupsd_launcher=""
stop_cupsd() {
  [ -n "$cupsd_launcher" ] || return 0
  local pid
  pid=$(cat "$work/cupsd.pid" 2>/dev/null || true)
  [ -n "$pid" ] && as_root kill "$pid" 2>/dev/null
  wait "$cupsd_launcher" 2>/dev/null
  cupsd_launcher=""
}
pdf_conf=""
out_dir=""
made_out_dir=""
shared_log=""
cleanup() {
  set +e
  stop_cupsd
  [ -n "$pdf_conf" ] && as_root rm -f "$pdf_conf"
  # Output a failed run left in a user's folder goes too, and the folder when this run made it.
  if [ -n "$out_dir" ] && [ -f "$work/out-before" ]; then
    new_pdfs | while IFS= read -r f; do rm -f "$f"; done
  fi
  [ -n "$made_out_dir" ] && rmdir "$made_out_dir" 2>/dev/null
  [ -n "$shared_log" ] && as_root rm -f "$shared_log"
  as_root rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# ---- 1. Packages -------------------------------------------------------------------------------
packages=(cups printer-driver-cups-pdf poppler-utils)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  command -v apt-get >/dev/null 2>&1 || skip "apt-get is missing, cannot install ${missing[*]}"
  echo "Installing: ${missing[*]}"
  apt_install() {
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
      -o DPkg::Lock::Timeout=120 "${missing[@]}" >>"$work/apt.log" 2>&1
  }
  # The package lists are only refreshed when the ones at hand do not do.
  if ! apt_install; then
    as_root apt-get update -q -o DPkg::Lock::Timeout=120 >>"$work/apt.log" 2>&1 ||
      skip "apt-get update failed (no network?): $(grep -E '^(E|W):' "$work/apt.log" | tail -n 1)"
    apt_install || skip "apt-get install ${missing[*]} failed: $(grep -E '^E:' "$work/apt.log" | tail -n 1)"
  fi
fi
export PATH="$PATH:/usr/sbin:/sbin"
for tool in cupsd lpadmin lpinfo lpstat pdfinfo pdftoppm od awk; do
  command -v "$tool" >/dev/null 2>&1 || skip "$tool is missing after installing ${packages[*]}"
done
as_root test -x /usr/lib/cups/backend/cups-pdf || skip "the cups-pdf backend is missing"

# ---- Failure reports ---------------------------------------------------------------------------
# The scheduler's warnings and errors and the backend's errors, for a failure's report.
show_log() {
  local f=$1 pattern=$2 lines
  lines=$(as_root cat "$f" 2>/dev/null | grep -E "$pattern" | tail -n 15 || true)
  [ -z "$lines" ] || printf -- '--- %s\n%s\n' "$f" "$lines" >&2
}
logs_tail() {
  show_log "$work/cupsd.out" .
  show_log "$work/cups/log/error_log" '^[EW] '
  local f
  for f in $(as_root find "$work/pdflog" -type f 2>/dev/null || true); do
    show_log "$f" '\[ERROR\]'
  done
}
fail() {
  echo "FAIL: $*" >&2
  logs_tail
  exit 1
}

# ---- 2. A private cupsd ------------------------------------------------------------------------
# The scheduler's directories belong to root (it runs as root); the filters run as lp and have to
# reach the spool, so the top folder is open for reading.
chmod 0755 "$work"
mkdir -p "$work/out" "$work/run" "$work/pgm"
cups="$work/cups"
as_root mkdir -p "$cups/ppd" "$cups/ssl" "$cups/spool/tmp" "$cups/cache" "$cups/state" "$cups/log"
as_root chmod 0755 "$cups"

port_in_use() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

start_cupsd() {
  local port=$1
  as_root tee "$cups/cups-files.conf" >/dev/null <<EOF
ServerRoot $cups
RequestRoot $cups/spool
TempDir $cups/spool/tmp
CacheDir $cups/cache
StateDir $cups/state
AccessLog $cups/log/access_log
ErrorLog $cups/log/error_log
PageLog $cups/log/page_log
Printcap $cups/printcap
FileDevice No
EOF
  # No authentication anywhere: only this loopback port is open, and only for this run.
  as_root tee "$cups/cupsd.conf" >/dev/null <<EOF
LogLevel info
MaxLogSize 0
Listen 127.0.0.1:$port
Browsing No
WebInterface No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow from 127.0.0.1
</Location>
<Policy default>
  JobPrivateAccess all
  JobPrivateValues none
  SubscriptionPrivateAccess all
  SubscriptionPrivateValues none
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF
  as_root cupsd -t -c "$cups/cupsd.conf" -s "$cups/cups-files.conf" >"$work/cupsd-check.out" 2>&1 ||
    fail "cupsd rejects its configuration: $(tail -n 1 "$work/cupsd-check.out")"
  # The scheduler's own pid is kept: sudo does not pass on a signal from its own process group,
  # and a backgrounded function would leave the signal with a subshell.
  rm -f "$work/cupsd.pid"
  as_root sh -c 'echo $$ >"$1"; shift; exec "$@"' sh "$work/cupsd.pid" \
    cupsd -f -c "$cups/cupsd.conf" -s "$cups/cups-files.conf" >"$work/cupsd.out" 2>&1 &
  cupsd_launcher=$!
  local i
  for ((i = 0; i < 100; i++)); do
    if ! kill -0 "$cupsd_launcher" 2>/dev/null; then
      stop_cupsd
      return 1
    fi
    if lpstat -h "127.0.0.1:$port" -r 2>/dev/null | grep -q 'scheduler is running'; then
      return 0
    fi
    sleep 0.2
  done
  stop_cupsd
  return 1
}

port=""
for _ in 1 2 3 4 5; do
  candidate=$((20000 + (RANDOM * 32768 + RANDOM) % 40000))
  port_in_use "$candidate" && continue
  if start_cupsd "$candidate"; then
    port=$candidate
    break
  fi
done
[ -n "$port" ] || fail "cupsd did not start on the loopback"
export CUPS_SERVER="127.0.0.1:$port"
server=(-h "$CUPS_SERVER")

queue="VelmoraTestPDF_$$"
if as_root test -r /sys/kernel/security/apparmor/profiles &&
  as_root grep -q '^/usr/lib/cups/backend/cups-pdf (enforce)' /sys/kernel/security/apparmor/profiles; then
  # AppArmor lets cups-pdf read only its shared configuration and write only to the users' homes:
  # the output lands where that configuration says (${HOME}/PDF as shipped) and is taken from there.
  device="cups-pdf:/"
  out_dir=$(awk '$1 == "Out" { print $2 }' /etc/cups/cups-pdf.conf 2>/dev/null || true)
  out_dir=${out_dir:-'${HOME}/PDF'}
  user_name=$(id -un)
  user_home=$(getent passwd "$user_name" | cut -d: -f6)
  out_dir=${out_dir//'${HOME}'/$user_home}
  out_dir=${out_dir//'${USER}'/$user_name}
  [ -d "$out_dir" ] || made_out_dir=$out_dir
  shared_log="/var/log/cups/cups-pdf-${queue}_log"
else
  # For a device URI cups-pdf:/NAME the backend reads cups-pdf-NAME.conf instead of the shared
  # cups-pdf.conf, so a name of our own sends the output here without editing the system's file.
  device="cups-pdf:/$queue"
  out_dir="$work/out"
  pdf_conf="/etc/cups/cups-pdf-$queue.conf"
  as_root test ! -e "$pdf_conf" || { pdf_conf=""; fail "/etc/cups/cups-pdf-$queue.conf already exists"; }
  as_root tee "$pdf_conf" >/dev/null <<EOF
Out $out_dir
AnonDirName $out_dir
Spool $work/pdfspool
Log $work/pdflog
EOF
fi
old_pdfs() { { find "$out_dir" -maxdepth 1 -type f -name '*.pdf' 2>/dev/null || true; } | sort; }
new_pdfs() { old_pdfs | comm -13 "$work/out-before" -; }
old_pdfs >"$work/out-before"

# Driverless discovery is left out of the listing: there is nothing to discover on the loopback.
ppd=$(lpinfo "${server[@]}" --exclude-schemes driverless,driverless-fax -m 2>/dev/null |
  awk '/CUPS-PDF_opt\.ppd/ { print $1; exit }')
ppd_args=(-m "$ppd")
if [ -z "$ppd" ]; then
  [ -f /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd ] || fail "no PPD for cups-pdf"
  ppd_args=(-P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd)
fi
# A failing job is aborted rather than stopping the queue, so a failure shows at once.
lpadmin "${server[@]}" -p "$queue" -E -v "$device" "${ppd_args[@]}" -o PageSize=A4 \
  -o printer-error-policy=abort-job >"$work/lpadmin.out" 2>&1 || fail "lpadmin: $(cat "$work/lpadmin.out")"
lpstat "${server[@]}" -p "$queue" | grep -q 'enabled' || fail "queue $queue is not enabled"

# ---- Jobs --------------------------------------------------------------------------------------
# Waits until the queue is empty and returns the one PDF cups-pdf wrote, moved to $2.
collect_pdf() {
  local what=$1 dest=$2 deadline=$((SECONDS + 180)) pending pdfs
  while :; do
    pending=$(lpstat "${server[@]}" -o "$queue" 2>/dev/null || true)
    if [ -z "$pending" ]; then
      mapfile -t pdfs < <(new_pdfs)
      [ ${#pdfs[@]} -eq 1 ] && break
      [ ${#pdfs[@]} -eq 0 ] || fail "$what: cups-pdf wrote ${#pdfs[@]} files: ${pdfs[*]}"
      fail "$what: the queue is empty but cups-pdf wrote nothing"
    fi
    [ $SECONDS -lt $deadline ] || fail "$what: the job is still queued after 180 s: $pending"
    sleep 0.5
  done
  mv "${pdfs[0]}" "$dest"
}

# Runs the program from a scratch folder so nothing it might write lands in the source tree.
run_reader() {
  (cd "$work/run" && "$reader" "$@") >"$work/reader.out" 2>&1 ||
    fail "velmora-reader $* exited with $?: $(cat "$work/reader.out")"
}

# ---- Measuring ---------------------------------------------------------------------------------
pdf_pages() { pdfinfo "$1" | awk '/^Pages:/ { print $2 }'; }

# Every page must be A4 (595 x 842 pt, rounded the way PDF writers round it).
check_a4() {
  local pdf=$1 n=$2 sizes
  sizes=$(pdfinfo -f 1 -l "$n" "$pdf" | awk '/^Page +[0-9]+ size:/ {
      printf "%d x %d\n", $4 + 0.5, $6 + 0.5 }' | sort | uniq -c | awk '{ $1 = $1; print }')
  [ "$sizes" = "$n 595 x 842" ] || fail "$pdf: page sizes are not all A4: $(echo "$sizes" | tr '\n' ';')"
}

# pdftoppm writes a binary PGM; od turns it into numbers and awk sums it up: the size, the ink
# (darker than 200) bounding box and amount, and mean grey levels of 16 x 16 pixel blocks.
pgm_summary() {
  od -An -v -tu1 "$1" | awk -v B=16 '
    BEGIN { lines = 0; head = ""; i = 0; ink = 0; x0 = 1e9; y0 = 1e9; x1 = -1; y1 = -1 }
    {
      for (f = 1; f <= NF; f++) {
        v = $f
        if (lines < 3) {
          if (v == 10) {
            lines++
            head = head " "
            if (lines == 3) {
              split(head, h, " ")
              if (h[1] != "P5" || h[4] != 255) { print "bad PGM header: " head; bad = 1; exit }
              W = h[2]; H = h[3]; BX = int((W + B - 1) / B); BY = int((H + B - 1) / B)
            }
          } else head = head sprintf("%c", v)
          continue
        }
        x = i % W; y = int(i / W); i++
        s[int(y / B) * BX + int(x / B)] += v
        if (v < 200) {
          ink++
          if (x < x0) x0 = x; if (x > x1) x1 = x
          if (y < y0) y0 = y; if (y > y1) y1 = y
        }
      }
    }
    END {
      if (bad) exit 1
      if (i != W * H) { print "short PGM: " i " of " W * H " pixels"; exit 1 }
      print "size", W, H
      print "ink", ink, x0, y0, x1, y1
      for (by = 0; by < BY; by++)
        for (bx = 0; bx < BX; bx++) {
          n = (bx * B + B > W ? W - bx * B : B) * (by * B + B > H ? H - by * B : B)
          printf "block %d %d %.1f\n", bx, by, s[by * BX + bx] / n
        }
    }'
}

# Renders page $2 of $1 at 96 dpi in grey and writes its summary to $3.
summarize_page() {
  local pdf=$1 page=$2 out=$3 base
  base="$work/pgm/$(basename "$out")"
  pdftoppm -r 96 -gray -f "$page" -l "$page" -singlefile "$pdf" "$base" || fail "pdftoppm $pdf page $page"
  pgm_summary "$base.pgm" >"$out" || fail "$pdf page $page: $(cat "$out")"
  rm -f "$base.pgm"
}

# Compares two page summaries: same size, ink boxes within 3 pixels, ink amounts within 10 %,
# every block's mean grey within 24 levels and all of them on average within 1 level. gs
# re-encodes the sheet's image on the way, which moves edges by a pixel (about 10 levels in a
# block and 4 % of the ink); a sheet moved or scaled by a few points is far outside.
compare_summaries() {
  awk -v what="$3" '
    FNR == 1 { file++ }
    file == 1 && $1 == "size" { w1 = $2; h1 = $3 }
    file == 2 && $1 == "size" { w2 = $2; h2 = $3 }
    file == 1 && $1 == "ink" { n1 = $2; a1 = $3; b1 = $4; c1 = $5; d1 = $6 }
    file == 2 && $1 == "ink" { n2 = $2; a2 = $3; b2 = $4; c2 = $5; d2 = $6 }
    file == 1 && $1 == "block" { ref[$2 " " $3] = $4 }
    file == 2 && $1 == "block" {
      d = $4 - ref[$2 " " $3]; if (d < 0) d = -d
      sum += d; blocks++
      if (d > worst) { worst = d; where = $2 * 16 "," $3 * 16 }
    }
    function far(a, b) { return a - b > 3 || b - a > 3 }
    END {
      bad = ""
      if (w1 != w2 || h1 != h2) bad = bad " size " w2 "x" h2 " against " w1 "x" h1 ";"
      if (n1 == 0) bad = bad " the reference page is blank;"
      if (n2 == 0) bad = bad " the page is blank;"
      if (far(a1, a2) || far(b1, b2) || far(c1, c2) || far(d1, d2))
        bad = bad sprintf(" ink box %d,%d-%d,%d against %d,%d-%d,%d (moved by %+d,%+d px, %.1f%% of the size);",
          a2, b2, c2, d2, a1, b1, c1, d1, a2 - a1, b2 - b1, 100 * (d2 - b2 + 1) / (d1 - b1 + 1))
      if (n2 < n1 * 0.9 || n2 > n1 * 1.1) bad = bad " ink " n2 " px against " n1 ";"
      if (worst > 24) bad = bad " grey differs by " worst " near " where ";"
      if (blocks == 0 || sum / blocks > 1) bad = bad " mean grey difference " (blocks ? sum / blocks : "n/a") ";"
      if (bad != "") { print what ":" bad; exit 1 }
      printf "%s: ink box %d,%d-%d,%d, worst block %.1f, mean %.2f\n", what, a2, b2, c2, d2, worst, sum / blocks
    }' "$1" "$2"
}

# Checks the 16-pixel blocks inside x0,y0-x1,y1 (96 dpi pixels): "ink" wants one of them darker
# than 245, "line" all of them, "white" none darker than 253.
probe() {
  local sum=$1 kind=$2 x0=$3 y0=$4 x1=$5 y1=$6 what=$7
  awk -v kind="$kind" -v x0="$x0" -v y0="$y0" -v x1="$x1" -v y1="$y1" '
    $1 == "block" && $2 * 16 >= x0 && $2 * 16 + 16 <= x1 && $3 * 16 >= y0 && $3 * 16 + 16 <= y1 {
      if (n++ == 0 || $4 < darkest) darkest = $4
      if (n == 1 || $4 > lightest) lightest = $4
    }
    END {
      if (n == 0) exit 2
      if (kind == "ink") exit !(darkest < 245)
      if (kind == "line") exit !(lightest < 245)
      exit !(darkest >= 253)
    }' "$sum" || fail "$what: expected $kind within $x0,$y0-$x1,$y1"
}

# Prints FILE pages FIRST..LAST to a plain PDF and to the queue and compares them page by page.
checked=()
print_and_compare() {
  local name=$1 file=$2 first=$3 last=$4 pages ref cupspdf p
  pages=$((last - first + 1))
  ref="$work/$name-ref.pdf"
  cupspdf="$work/$name-cups.pdf"
  run_reader print -f "$first" -l "$last" "$file" "$ref"
  [ -s "$ref" ] || fail "$name: no reference PDF written"
  [ "$(pdf_pages "$ref")" = "$pages" ] || fail "$name: the reference PDF has $(pdf_pages "$ref") pages, not $pages"
  check_a4 "$ref" "$pages"

  run_reader print -f "$first" -l "$last" -P "$queue" "$file"
  [ -z "$(ls -A "$work/run")" ] || fail "$name: printing to $queue wrote files instead: $(ls "$work/run")"
  collect_pdf "$name" "$cupspdf"
  [ "$(pdf_pages "$cupspdf")" = "$pages" ] || fail "$name: cups-pdf wrote $(pdf_pages "$cupspdf") pages, not $pages"
  check_a4 "$cupspdf" "$pages"

  for ((p = 1; p <= pages; p++)); do
    summarize_page "$ref" "$p" "$work/$name-ref-$p.sum"
    summarize_page "$cupspdf" "$p" "$work/$name-cups-$p.sum"
    compare_summaries "$work/$name-ref-$p.sum" "$work/$name-cups-$p.sum" "$name page $p" ||
      fail "$name page $p differs from the PDF printed without CUPS"
  done
  checked+=("$name: $pages A4 pages")
}

samples="$srcdir/samples"
print_and_compare tour "$samples/tour.VPG" 1 2
# Page 1 of the tour: a frame of sample lines (its top edge at y 89) over two crossed arrows.
probe "$work/tour-cups-1.sum" line 96 80 704 96 "tour page 1, the top edge of the frame"
probe "$work/tour-cups-1.sum" line 432 112 704 128 "tour page 1, the thick black line"
probe "$work/tour-cups-1.sum" ink 384 800 416 832 "tour page 1, the crossing of the arrows"
probe "$work/tour-cups-1.sum" white 96 384 352 448 "tour page 1, the gap inside the frame"
probe "$work/tour-cups-1.sum" white 0 0 784 64 "tour page 1, the top margin"

print_and_compare letter "$samples/letter.VTX" 1 3
# The letter's four lines stand flush right near the top of page 1, with nothing left of them.
probe "$work/letter-cups-1.sum" ink 448 32 736 144 "letter page 1, the right-aligned lines"
probe "$work/letter-cups-1.sum" white 32 176 384 960 "letter page 1, the empty left side"

summary=$(printf '%s, ' "${checked[@]}")
echo "cups_print_e2e: printed through cupsd on $CUPS_SERVER to cups-pdf: ${summary%, };" \
  "page counts and A4 sizes exact, every page's ink box and grey match the PDF printed directly," \
  "ink and blank probes on page 1 of each hold"
