#!/usr/bin/env bash
# Starts the program offscreen on the virtual apparatus and writes a picture of every page, the
# device panel during a run, the replay with each overlay and the manual control dialog, in the
# light and the dark theme, in English and in Russian.
#
#   scripts/screenshots.sh [FOLDER]     (default: build-release/pictures)
#
# The whole-program test walks the program through those states as a user would; with
# KESTRUM_SCREENSHOTS set it saves each one it reaches, in both themes.
source "$(dirname "$0")/common.sh"

out="$(realpath -m "${1:-$ROOT/build-release/pictures}")"
dir="$ROOT/build-release"
configure "$dir" Release -DKESTRUM_BENCH=OFF >/dev/null
cmake --build "$dir" --parallel "$(nproc)" --target tst_wholeprogram

mkdir -p "$out"
for language in en_US ru_RU; do
    echo "Pictures in $language"
    QT_QPA_PLATFORM=offscreen KESTRUM_SCREENSHOTS="$out" KESTRUM_SCREENSHOT_LANGUAGE="$language" \
        "$dir/tests/app/tst_wholeprogram"
done
echo "Written to $out:"
ls "$out"
