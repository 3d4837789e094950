#!/bin/sh
# Ardour makes a session with the LV2 build on a track, saves it and loads it
# again (headless, Dummy backend). Usage: ardour-lv2-session.sh <bundle> <uri>
# Exits 77 (skipped) when Ardour's Lua session tool is not installed.
here=$(cd "$(dirname "$0")" && pwd)
bundle=$1
uri=$2
command -v ardour7-lua > /dev/null 2>&1 || { echo "SKIP: ardour7-lua not installed (package ardour)"; exit 77; }
[ -d "$bundle" ] || { echo "missing bundle: $bundle"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/lv2"
cp -r "$bundle" "$work/lv2/"
cd "$work" || exit 1
HOME="$work" LV2_PATH="$work/lv2" MORVANE3_SESSION="$work/session" MORVANE3_LV2_URI="$uri" \
  timeout 240 ardour7-lua "$here/ardour-lv2-session.lua" > "$work/ardour.log" 2>&1
status=$?
grep -v "^\\[INFO\\]" "$work/ardour.log" | tail -n 20
[ $status -eq 0 ] || { echo "FAIL: ardour7-lua exited with $status"; exit 1; }
grep -q "^MORVANE3: the LV2 session loaded with the plug-in" "$work/ardour.log" || { echo "FAIL: the session did not load"; exit 1; }
