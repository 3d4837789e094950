#!/bin/sh
# Runs one of Ardour's plug-in scanners on a built plug-in and checks that it
# finds it. Usage: ardour-scan.sh vst2|vst3 <binary-or-bundle> [--in-place]
# With --in-place the plug-in is scanned where it lies (an installed one, with
# Ardour's default search paths) instead of in a scratch copy.
# Exits 77 (skipped) when the scanner is not installed.
kind=$1
target=$2
in_place=${3:-}
dir=/usr/lib/ardour7
case "$kind" in
  vst2) scanner=$dir/ardour-vst-scanner ;;
  vst3) scanner=$dir/ardour-vst3-scanner ;;
  *) echo "unknown kind $kind"; exit 2 ;;
esac
if [ ! -x "$scanner" ]; then
  echo "SKIP: $scanner not installed (package ardour)"
  exit 77
fi
if [ ! -e "$target" ]; then
  echo "missing plug-in: $target"
  exit 1
fi

# The scanner writes its cache beside the plug-in or in the user's folders:
# keep both inside a scratch copy and a scratch home.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_CACHE_HOME="$work/home/.cache"
mkdir -p "$HOME"
export LD_LIBRARY_PATH="$dir${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"
if [ "$in_place" = "--in-place" ]; then
  copy="$target"
  unset LXVST_PATH VST3_PATH
else
  cp -r "$target" "$work/"
  copy="$work/$(basename "$target")"
  export LXVST_PATH="$work" VST3_PATH="$work"
fi
unset DISPLAY

output=$(timeout 60 "$scanner" -f -v "$copy" 2>&1)
status=$?
echo "$output"
if [ $status -ne 0 ]; then
  echo "scanner exited with $status"
  exit 1
fi
echo "$output" | grep -q "Found Plugin" || { echo "scanner did not find the plug-in"; exit 1; }
echo "$output" | grep -q "Morvane 3" || { echo "scanner did not report the name"; exit 1; }
