#!/usr/bin/env bash
# Installs what is missing, builds a Release and starts the application.
source "$(dirname "$0")/scripts/common.sh"

install_packages
dir="$ROOT/build-release"
configure "$dir" Release -DKESTRUM_BENCH=OFF
build "$dir"

if [ -x "$dir/kestrum" ]; then
    exec "$dir/kestrum" "$@"
fi
echo "Built. The application has no start-up yet, so there is nothing to start."
