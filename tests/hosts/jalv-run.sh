#!/bin/sh
# Runs the LV2 build in jalv against a dummy JACK server for a few seconds and
# checks that it started and kept running. Usage: jalv-run.sh <bundle> <uri>
# With "installed" for <bundle>, jalv finds the plug-in by its URI alone, in
# the standard LV2 folders, as a host does.
# Exits 77 (skipped) when jalv or jackd is not installed.
bundle=$1
uri=$2
for tool in jalv jackd; do
  if ! command -v $tool > /dev/null 2>&1; then
    echo "SKIP: $tool not installed (packages jalv, jackd2)"
    exit 77
  fi
done
if [ "$bundle" != installed ] && [ ! -d "$bundle" ]; then
  echo "missing bundle: $bundle"
  exit 1
fi

work=$(mktemp -d)
# One fixed name: JACK's registry holds only a few servers, and reclaims the
# entry of a server that died without unregistering only when a server of the
# same name starts. The tests that start a server take turns (ctest lock).
server=morvane3-test
jack_pid=
jalv_pid=
cleanup() {
  [ -n "$jalv_pid" ] && kill "$jalv_pid" 2> /dev/null
  [ -n "$jack_pid" ] && kill "$jack_pid" 2> /dev/null
  wait 2> /dev/null
  rm -rf "$work"
}
trap cleanup EXIT
export HOME="$work" JACK_DEFAULT_SERVER=$server JACK_NO_AUDIO_RESERVATION=1
unset DISPLAY

. "$(dirname "$0")/dummy-jack.sh"
start_dummy_jack
if ! kill -0 $jack_pid 2> /dev/null; then
  cat "$work/jack.log"
  echo "jackd did not start"
  exit 1
fi

if [ "$bundle" = installed ]; then
  unset LV2_PATH
else
  mkdir -p "$work/lv2"
  cp -r "$bundle" "$work/lv2/"
  export LV2_PATH="$work/lv2"
fi
# jalv reads commands from standard input; keep it open while it runs.
sleep 6 | jalv -t "$uri" > "$work/jalv.log" 2>&1 &
jalv_pid=$!
sleep 5
running=0
pgrep -f "jalv -t $uri" > /dev/null && running=1
cat "$work/jalv.log"
grep -qi "error\|failed\|not found" "$work/jalv.log" && { echo "jalv reported an error"; exit 1; }
[ $running -eq 1 ] || { echo "jalv is not running"; exit 1; }
grep -q "Sample rate: *48000" "$work/jalv.log" || grep -qi "block length\|Sample rate" "$work/jalv.log" \
  || { echo "jalv did not start processing"; exit 1; }
echo "jalv ran the plug-in"
