# Shared by test.sh and run.sh: installs what is missing and configures a build folder.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_packages() {
    local wanted missing=()
    mapfile -t wanted < <(grep -v -E '^\s*(#|$)' "$ROOT/scripts/packages.txt")
    for pkg in "${wanted[@]}"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        as_root apt-get update
        as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
    fi
    ensure_locale ru_RU.UTF-8
}

# The tests run in the Russian locale too, so its data must exist.
ensure_locale() {
    local name="$1"
    if ! locale -a 2>/dev/null | grep -qi "^${name%%.*}\.utf-\?8$"; then
        as_root sed -i "s/^# *\(${name} UTF-8\)/\1/" /etc/locale.gen
        grep -q "^${name} UTF-8" /etc/locale.gen || echo "${name} UTF-8" | as_root tee -a /etc/locale.gen >/dev/null
        as_root locale-gen
    fi
}

# configure BUILD_DIR BUILD_TYPE [extra cmake arguments...]
configure() {
    local dir="$1" type="$2"; shift 2
    local generator=()
    command -v ninja >/dev/null && generator=(-G Ninja)
    cmake -S "$ROOT" -B "$dir" "${generator[@]}" -DCMAKE_BUILD_TYPE="$type" "$@"
}

# build BUILD_DIR [targets...]: every target when none is named.
build() {
    local dir="$1"; shift
    cmake --build "$dir" --parallel "$(nproc)" ${1:+--target "$@"}
}
