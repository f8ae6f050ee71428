#!/usr/bin/env bash
# Installs what is missing, builds everything under AddressSanitizer and UndefinedBehaviorSanitizer
# with clang (the same build gives the libFuzzer targets) and runs every test, then a short run of
# each fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DVR_SANITIZE=ON -DVR_FUZZ=ON >/dev/null
cmake --build build-test
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
# The committed samples are what the sample builder writes.
tmp=$(mktemp -d)
./build-test/make-samples "$tmp" >/dev/null
for f in "$tmp"/*; do cmp "$f" "samples/$(basename "$f")"; done
rm -rf "$tmp"
# A short run of each fuzz target from its seeds, the inputs that once broke its reader, and the
# third-party corpus when it is there (new inputs go to a scratch folder).
regressions_of() {
  case "$1" in
    load_fuzzer) echo document ;; *) echo "${1%_fuzzer}" ;;
  esac
}
corpus_of() {
  case "$1" in
    bmp_fuzzer) echo bmp ;; ico_fuzzer) echo ico ;; jpeg_fuzzer) echo jpeg ;; gif_fuzzer) echo gif ;;
    ole_fuzzer) echo cfb ;;
    rtf_fuzzer) echo rtf rtf-made ;;
  esac
}
for f in build-test/fuzz/*_fuzzer; do
  name=$(basename "$f")
  scratch=$(mktemp -d)
  seeds=("tests/fuzz-seeds/$name")
  r="tests/regressions/$(regressions_of "$name")"
  if [ -d "$r" ]; then seeds+=("$r"); fi
  for c in $(corpus_of "$name"); do
    if [ -d "../shared/corpus/$c" ]; then seeds+=("../shared/corpus/$c"); fi
  done
  dict=()
  if [ -f "fuzz/$name.dict" ]; then dict=("-dict=fuzz/$name.dict"); fi
  "$f" -max_total_time=15 -rss_limit_mb=4096 -timeout=10 "${dict[@]}" "$scratch" "${seeds[@]}" 2>&1 | tail -n 1
  rm -rf "$scratch"
done
cd build-test
ctest --output-on-failure -j2
