#!/usr/bin/env bash
# Builds Quillmark with AddressSanitizer and UndefinedBehaviorSanitizer in a second
# build folder and runs the tests labelled "sanitized" under them: every test of
# the program's own parsing, copying and window logic, and one end-to-end case a
# subsystem (tests/CMakeLists.txt says why). Any sanitizer report fails the run.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${QUILLMARK_SANITIZED_BUILD_DIR:-$here/build-sanitized}"
bash "$here/scripts/install-deps.sh"
flags="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined"
# -O1 with line tables only, as the sanitizers' authors advise: the reports keep
# their file and line, and the build takes half the time of -O2 with full
# debug information.
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" \
  -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target quill_sanitized_tests
# No strict_string_checks: it takes the X keyboard library's legal strndup of an
# unterminated name for an overflow, and the window could not start on a display.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$here/scripts/lsan.supp:print_suppressions=0"
cd "$build"
ctest --output-on-failure --parallel "$(nproc)" --timeout 900 -L sanitized "$@"
