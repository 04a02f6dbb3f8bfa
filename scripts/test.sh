#!/usr/bin/env bash
# Sets up, builds and runs every test. Exits non-zero when any test fails.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${QUILLMARK_BUILD_DIR:-$here/build}"
bash "$here/scripts/build.sh"
cd "$build"
ctest --output-on-failure --parallel "$(nproc)" --timeout 300 "$@"
