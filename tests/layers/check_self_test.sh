#!/usr/bin/env bash
# The layer check must fail on a copy of src/ where the core includes the viewer, and name the file.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
copy="$(mktemp -d)"
trap 'rm -rf "$copy"' EXIT
cp -r "$1/." "$copy/"
echo '#include "viewer/viewer.h"' >>"$copy/core/rounding.h"
if out="$(bash "$here/check.sh" "$copy")"; then
  echo "the check passed a tree with an upward include"
  exit 1
fi
grep -q 'src/core/rounding.h (core) includes "viewer/viewer.h" (viewer)' <<<"$out"
echo "caught: $out"
