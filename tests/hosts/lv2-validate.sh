#!/bin/sh
# Checks the LV2 bundle's description with the LV2 project's own validator and
# as a host reads it: lv2_validate finds no error, and lv2info shows the name,
# the author (with a mail address, not a file path), the class "Simulator
# Plugin", and the licence GPL-3.0-or-later is declared.
# Usage: lv2-validate.sh <bundle> <uri>
# Exits 77 (skipped) when the tools are not installed.
bundle=$1
uri=$2
for tool in lv2_validate sord_validate lv2info sordi; do
  if ! command -v $tool > /dev/null 2>&1; then
    echo "SKIP: $tool not installed (packages lv2-dev, sordi, lilv-utils)"
    exit 77
  fi
done
[ -d "$bundle" ] || { echo "missing bundle: $bundle"; exit 1; }
fail() {
  echo "FAIL: $*"
  exit 1
}

echo "== lv2_validate"
# lv2_validate splits its arguments at blanks (the bundle's name has one):
# give it names relative to the bundle.
report=$(cd "$bundle" && lv2_validate dsp.ttl manifest.ttl $(ls ui.ttl 2> /dev/null) 2>&1)
status=$?
echo "$report" | grep -v "^Skipping file /usr"
echo "$report" | grep -q "^Skipping file [^/]\|^error" && fail "lv2_validate reports errors"
[ $status -eq 0 ] || fail "lv2_validate failed"

echo "== lv2info"
# The bundle beside the LV2 vocabularies installed in /usr/lib/lv2, which name the classes.
info=$(LV2_PATH="$(dirname "$bundle"):/usr/lib/lv2" lv2info "$uri" 2>&1)
echo "$info" | head -8
echo "$info" | grep -q "^[[:space:]]*Name:[[:space:]]*Morvane 3$" || fail "no name"
echo "$info" | grep -q "^[[:space:]]*Class:[[:space:]]*Simulator Plugin$" || fail "not a simulator plug-in"
echo "$info" | grep -q "^[[:space:]]*Author:[[:space:]]*Morvane Audio$" || fail "no author"
echo "$info" | grep -q "^[[:space:]]*Author Email:[[:space:]]*mailto:[^@ ]*@" || fail "the author's mail address is no mail address"

echo "== licence"
sordi "$bundle/dsp.ttl" 2> /dev/null \
  | grep -q "^<$uri> <http://usefulinc.com/ns/doap#license> <http://spdx.org/licenses/GPL-3.0-or-later> \.$" \
  || fail "no doap:license GPL-3.0-or-later on the plug-in"
echo "the LV2 description is valid and complete"
