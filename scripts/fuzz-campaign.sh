#!/usr/bin/env bash
# A fuzzing campaign: every fuzz target for SECONDS (default 3600) or 5 million executions each,
# whichever comes first, JOBS targets at a time (default: the number of cores), with -timeout=2 and
# -rss_limit_mb=512. The targets are built into build-fuzz/ with optimisation and the sanitizers
# (the test build is unoptimised and runs them several times slower). A target keeps
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
runs="${VR_FUZZ_RUNS:-5000000}"
all=(bmp_fuzzer ico_fuzzer jpeg_fuzzer gif_fuzzer metafile_fuzzer rtf_fuzzer ole_fuzzer book_fuzzer load_fuzzer)
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=("${all[@]}")
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DVR_SANITIZE=ON -DVR_FUZZ=ON -DVR_TESTS=OFF >/dev/null
cmake --build build-fuzz --target "${targets[@]}"
# A quarantine of 64 MB instead of 256: with the default, a child's memory passes the 512 MB limit
# after a few thousand documents, and the memory report libFuzzer then prints deadlocks on the
# loader's lock when a thread was stopped in the middle of an exception (seen: a child stuck for
# good in "tracing stop"). It also makes the text engine's many small allocations five times
# faster, so inputs that take a tenth of a second natively no longer pass the 2-second limit.
# Freed blocks still wait for 64 MB of later frees before they are reused.
export ASAN_OPTIONS="detect_leaks=1:allocator_may_return_null=1:quarantine_size_mb=64"
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
  "build-fuzz/fuzz/$t" -fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1 \
    -max_total_time="$seconds" -runs="$runs" -timeout=2 -rss_limit_mb=512 -malloc_limit_mb=512 "${dict[@]}" \
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
export seconds work runs
printf '%s\n' "${targets[@]}" | xargs -P "$jobs" -I{} bash -c 'run_one "$@"' _ {}
for t in "${targets[@]}"; do report "$t"; done
