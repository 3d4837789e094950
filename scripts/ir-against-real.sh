#!/bin/sh
# Prints the catalogue's figures beside those of the real guitar cabinet
# responses of Debian's rakarrack package, when it is installed: 1.wav to
# 7.wav, of which 1, 5 and 7 are closed backs (8.wav is a bass cabinet and
# 9.wav a room, both left out). Skips quietly when the files are absent.
#
#   scripts/ir-against-real.sh [<build folder>]
set -eu
build=${1:-build}
real=${RAKARRACK_DIR:-/usr/share/rakarrack}
if [ ! -f "$real/1.wav" ]; then
    echo "no real cabinet responses in $real (install rakarrack or set RAKARRACK_DIR): skipped"
    exit 0
fi
cmake --build "$build" --target morvane3-ir-report generate-impulses
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
for i in 1 2 3 4 5 6 7; do
    [ -f "$real/$i.wav" ] && ln -s "$real/$i.wav" "$folder/$i.wav"
done
"$build/resources/impulses/morvane3-ir-report" "$build/resources/assets/impulses" "$folder" --closed 1.wav,5.wav,7.wav --cabinets
