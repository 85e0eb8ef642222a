#!/usr/bin/env bash
# Installs what is missing, builds with sanitizers and runs every test.
#   ./test.sh          AddressSanitizer + UndefinedBehaviorSanitizer, folder build-asan
#   ./test.sh --tsan   ThreadSanitizer, folder build-tsan
source "$(dirname "$0")/scripts/common.sh"

sanitizer=address
dir="$ROOT/build-asan"
if [ "${1:-}" = "--tsan" ]; then
    sanitizer=thread
    dir="$ROOT/build-tsan"
fi

install_packages
configure "$dir" Debug -DKESTRUM_SANITIZE="$sanitizer"
build "$dir"

export QT_QPA_PLATFORM=offscreen
if [ "$sanitizer" = thread ]; then
    export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$ROOT/tests/tsan.supp"
fi
cd "$dir"
ctest --output-on-failure --parallel "$(nproc)" --timeout 300
