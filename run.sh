#!/usr/bin/env bash
# Installs what is missing, builds a Release and starts the application.
#
#   ./run.sh              the virtual apparatus when no chamber and no camera are attached,
#                         the real hardware otherwise
#   ./run.sh --virtual    always the virtual apparatus
#   ./run.sh --hardware   always the real hardware and the user's own data folder
#
# The virtual apparatus runs on a data folder of its own (never the user's): the program finds
# it, as always, through the documents folder, which is pointed there for this process only.
source "$(dirname "$0")/scripts/common.sh"

mode=auto
case "${1:-}" in
    --virtual) mode=virtual; shift ;;
    --hardware) mode=hardware; shift ;;
esac

install_packages
dir="$ROOT/build-release"
configure "$dir" Release -DKESTRUM_BENCH=OFF
# The program alone (its translations and resources are built into it); the tests wait for ./test.sh.
build "$dir" kestrum

hardware_attached() {
    compgen -G '/dev/ttyUSB*' >/dev/null || compgen -G '/dev/ttyACM*' >/dev/null || compgen -G '/dev/video*' >/dev/null
}

# Written once; what the user changes there later is kept.
write_once() {
    [ -e "$1" ] || { mkdir -p "$(dirname "$1")"; cat > "$1"; }
}

# Earlier versions of this script set "if darker" with no brightness limit for the clip's mouse,
# then dark on a light floor; the clip is now inverted, so that pair is taken out again.
forget_dark_mouse_detection() {
    if grep -q '<DiffMode>DiffMode_IfDarker</DiffMode>' "$1" && grep -q '<MaxBrightness>255</MaxBrightness>' "$1"; then
        sed -i --follow-symlinks -e '\#<DiffMode>DiffMode_IfDarker</DiffMode>#d' \
            -e '\#<MaxBrightness>255</MaxBrightness>#d' "$1"
    fi
}

prepare_virtual_home() {
    local home="${XDG_DATA_HOME:-$HOME/.local/share}/Kestrum-virtual"
    local data="$home/Documents/Kestrum"
    mkdir -p "$home/config" "$data"
    printf 'XDG_DOCUMENTS_DIR="%s"\n' "$home/Documents" > "$home/config/user-dirs.dirs"
    # The virtual chamber; the default detection finds the bundled clip's light mouse on a dark
    # floor.
    write_once "$data/ExperimentSettings.xml" <<XML
<?xml version="1.0"?>
<KestrumSettings>
    <DebugKestrumDevice>true</DebugKestrumDevice>
</KestrumSettings>
XML
    forget_dark_mouse_detection "$data/ExperimentSettings.xml"
    # The virtual chamber's camera plays the bundled open-field clip.
    write_once "$data/Devices/VirtualKestrum.xml" <<XML
<?xml version="1.0"?>
<MetaKestrumInfo>
    <CameraPath>VirtualCameraClip</CameraPath>
</MetaKestrumInfo>
XML
    echo "Virtual apparatus; data folder $data"
    export XDG_CONFIG_HOME="$home/config"
}

if [ ! -x "$dir/kestrum" ]; then
    echo "Built, but the program is missing from $dir." >&2
    exit 1
fi
if [ "$mode" = virtual ] || { [ "$mode" = auto ] && ! hardware_attached; }; then
    prepare_virtual_home
fi
exec "$dir/kestrum" "$@"
