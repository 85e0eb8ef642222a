#!/usr/bin/env bash
# Fails when a C++ source differs from what .clang-format makes of it.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t sources < <(find foundation services apparatus widgets video propertyeditors experiments app tests bench \
    fuzz \( -name '*.cpp' -o -name '*.h' \) 2>/dev/null | sort)
clang-format --dry-run --Werror "${sources[@]}"
