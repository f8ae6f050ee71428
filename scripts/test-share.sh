#!/usr/bin/env bash
# The project's one count of how much of its C++ is tests: lines that are neither blank nor only a
# comment, in tests/ (test programs and their support) against src/ (the reader). Fuzz targets,
# benchmarks and the sample builder count on neither side.
set -euo pipefail
cd "$(dirname "$0")/.."
count() {
  find "$1" \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 cat |
    awk '{ sub(/^[ \t]+/, "") } $0 != "" && $0 !~ /^\/\// { n++ } END { print n + 0 }'
}
src=$(count src)
tests=$(count tests)
awk -v s="$src" -v t="$tests" 'BEGIN {
  printf "src %d lines, tests %d lines: tests are %.0f %% of the code and %.0f %% of all C++ lines\n",
    s, t, 100 * t / s, 100 * t / (s + t) }'
