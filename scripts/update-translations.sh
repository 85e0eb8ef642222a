#!/usr/bin/env bash
# Gathers the translatable texts of the program's sources into the translation files.
#   scripts/update-translations.sh                 both files under resources/translations/ take in
#                                                  the new texts (unfinished, to be translated in
#                                                  both files); translations already made are kept,
#                                                  texts gone from the sources stay as vanished.
#   scripts/update-translations.sh --extract FILE  only writes the texts of the sources into FILE.
# LUPDATE names the lupdate program when it is not Qt 6's in its usual place.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
LUPDATE="${LUPDATE:-$(/usr/lib/qt6/bin/qtpaths6 --query QT_HOST_BINS 2>/dev/null || echo /usr/lib/qt6/bin)/lupdate}"

folders=()
for folder in foundation services apparatus widgets video propertyeditors experiments app; do
    [ -d "$ROOT/$folder" ] && folders+=("$ROOT/$folder")
done

if [ "${1:-}" = "--extract" ]; then
    targets=("$2")
else
    targets=("$ROOT/resources/translations/Kestrum_en_US.ts" "$ROOT/resources/translations/Kestrum_ru_RU.ts")
fi

# Line numbers would change with every edit of a source; the files keep only the texts.
"$LUPDATE" -silent -locations none -extensions cpp,h "${folders[@]}" -ts "${targets[@]}"
