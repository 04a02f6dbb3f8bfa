#!/usr/bin/env bash
# Sets up, builds and starts Quillmark.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${QUILLMARK_BUILD_DIR:-$here/build}"
bash "$here/scripts/build.sh"
exec "$build/bin/quillmark" "$@"
