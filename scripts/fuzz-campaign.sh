#!/usr/bin/env bash
# A fuzzing campaign: every fuzz target of build-test/ for SECONDS each (default 3600), JOBS targets
# at a time (default: the number of cores), with -timeout=2 and -rss_limit_mb=512. A target keeps
# going after a crash, a hang or an out-of-memory (libFuzzer's fork mode) so that one run collects
# every finding. The corpora and the findings live outside the repository, under
# $VR_FUZZ_WORK (default ~/.cache/velmora-reader/fuzz/TARGET/{corpus,findings,log.txt}), and grow
# from one campaign to the next. Seeds: tests/fuzz-seeds/TARGET, the inputs that once broke the
# target's reader (tests/regressions/), and ../shared/corpus when it is there. An input that breaks
# a reader is fixed and then copied to tests/regressions/READER/ under a name that says what it broke.
#
#   bash scripts/fuzz-campaign.sh [SECONDS] [TARGET...]
#
# Ends with one line per target: executions, coverage (libFuzzer's cov), corpus size and findings.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-3600}"
shift || true
work="${VR_FUZZ_WORK:-$HOME/.cache/velmora-reader/fuzz}"
jobs="${JOBS:-$(nproc)}"
if [ ! -d build-test/fuzz ]; then
  echo "fuzz-campaign: build the fuzz targets first (bash scripts/test.sh, or cmake with -DVR_FUZZ=ON into build-test)" >&2
  exit 2
fi
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in build-test/fuzz/*_fuzzer; do targets+=("$(basename "$f")"); done
fi
export ASAN_OPTIONS="detect_leaks=1:allocator_may_return_null=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"

regressions_of() {
  case "$1" in
    load_fuzzer) echo document ;; *) echo "${1%_fuzzer}" ;;
  esac
}

# The third-party files a target reads as they are, and those the metafile target reads behind its
# kind byte (0 for WMF, 1 for EMF), written once into the work folder.
corpus_seeds() {
  local t="$1" c=../shared/corpus
  case "$t" in
    bmp_fuzzer) echo "$c/bmp" ;; ico_fuzzer) echo "$c/ico" ;; jpeg_fuzzer) echo "$c/jpeg" ;;
    gif_fuzzer) echo "$c/gif" ;; ole_fuzzer) echo "$c/cfb" ;; rtf_fuzzer) echo "$c/rtf $c/rtf-made" ;;
    metafile_fuzzer)
      local d="$work/$t/kind-prefixed"
      if [ -d "$c/wmf" ] && [ ! -d "$d" ]; then
        mkdir -p "$d"
        for f in "$c"/wmf/*.wmf; do { printf '\x00'; cat "$f"; } >"$d/wmf-$(basename "$f")"; done
        for f in "$c"/emf/*.emf; do { printf '\x01'; cat "$f"; } >"$d/emf-$(basename "$f")"; done
      fi
      echo "$d" ;;
  esac
}

run_one() {
  local t="$1" dir="$work/$1"
  mkdir -p "$dir/corpus" "$dir/findings"
  local seeds=("tests/fuzz-seeds/$t")
  local r="tests/regressions/$(regressions_of "$t")"
  [ -d "$r" ] && seeds+=("$r")
  for s in $(corpus_seeds "$t"); do [ -d "$s" ] && seeds+=("$s"); done
  local dict=()
  [ -f "fuzz/$t.dict" ] && dict=("-dict=fuzz/$t.dict")
  "build-test/fuzz/$t" -fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1 \
    -max_total_time="$seconds" -timeout=2 -rss_limit_mb=512 -malloc_limit_mb=512 "${dict[@]}" \
    -artifact_prefix="$dir/findings/" "$dir/corpus" "${seeds[@]}" >"$dir/log.txt" 2>&1 || true
}

report() {
  local t="$1" dir="$work/$1"
  # Fork mode's status lines: "#EXECS: cov: EDGES ft: F corp: N exec/s: E oom/timeout/crash: a/b/c time: T".
  local last
  last=$(grep -E '^#[0-9]+: cov:' "$dir/log.txt" | tail -n 1 || true)
  local execs cov corp
  execs=$(sed -nE 's/^#([0-9]+):.*/\1/p' <<<"$last")
  cov=$(sed -nE 's/.* cov: ([0-9]+).*/\1/p' <<<"$last")
  corp=$(find "$dir/corpus" -type f | wc -l)
  local findings
  findings=$(find "$dir/findings" -type f | wc -l)
  printf '%-16s executions %-10s cov %-7s corpus %-6s findings %s\n' "$t" "${execs:-0}" "${cov:-?}" "$corp" "$findings"
  find "$dir/findings" -type f -printf '    %p\n'
}

export -f run_one corpus_seeds regressions_of
export seconds work
printf '%s\n' "${targets[@]}" | xargs -P "$jobs" -I{} bash -c 'run_one "$@"' _ {}
for t in "${targets[@]}"; do report "$t"; done
