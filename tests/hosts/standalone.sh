#!/bin/sh
# The Standalone application as a Linux user meets it.
# 1. Without a display it says so and exits 1; --help and --version need none.
# 2. On a dummy JACK server, chosen in its settings file as a user would choose
#    it: the input starts muted (silence comes out); unmuted in its settings
#    dialog, a sine played into its inputs comes back through the default
#    cabinets; the choice is in the settings file at once.
# 3. Ended by SIGTERM it exits cleanly; started again, the input is still
#    unmuted and audio passes without touching anything.
# Usage: standalone.sh <standalone binary> <jack-signal-probe>
# Exits 77 (skipped) when jackd, xdotool or a display server is not installed.
app=$1
probe=$2
[ -x "$app" ] || { echo "missing program: $app"; exit 1; }
fail() {
  echo "FAIL: $*"
  exit 1
}

echo "== without a display"
for display in unset ":97"; do
  if [ "$display" = unset ]; then
    out=$(env -u DISPLAY "$app" 2>&1); status=$?
  else
    out=$(env DISPLAY="$display" "$app" 2>&1); status=$?
  fi
  echo "$out"
  [ $status -eq 1 ] || fail "DISPLAY $display: exit status $status, not 1"
  echo "$out" | grep -q "cannot start: no display" || fail "DISPLAY $display: no clear message"
done
version=$(env -u DISPLAY "$app" --version) || fail "--version failed without a display"
echo "$version" | grep -q "^morvane3 [0-9]" || fail "--version printed '$version'"
env -u DISPLAY "$app" --help | grep -q "^Usage: morvane3" || fail "--help failed without a display"

for tool in jackd jack_lsp xdotool; do
  if ! command -v $tool > /dev/null 2>&1; then
    echo "SKIP: $tool not installed (packages jackd2, xdotool)"
    exit 77
  fi
done
# A display of its own, so that the clicks below meet no other test's window.
if [ -z "$MORVANE3_OWN_DISPLAY" ]; then
  command -v xvfb-run > /dev/null 2>&1 || { echo "SKIP: xvfb-run not installed (package xvfb)"; exit 77; }
  echo "== (again on a display of its own)"
  MORVANE3_OWN_DISPLAY=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

work=$(mktemp -d)
# The server name and its recovery are those of jalv-run.sh (the tests that
# start a server take turns: ctest lock "jack_server").
server=morvane3-test
jack_pid=
app_pid=
cleanup() {
  [ -n "$app_pid" ] && kill -9 "$app_pid" 2> /dev/null
  [ -n "$jack_pid" ] && kill "$jack_pid" 2> /dev/null
  wait 2> /dev/null
  rm -rf "$work"
}
trap cleanup EXIT
export HOME="$work" JACK_DEFAULT_SERVER=$server JACK_NO_AUDIO_RESERVATION=1
. "$(dirname "$0")/dummy-jack.sh"
start_dummy_jack
kill -0 $jack_pid 2> /dev/null || { cat "$work/jack.log"; fail "jackd did not start"; }

settings="$work/.config/Morvane 3.settings"
mkdir -p "$work/.config"
# JACK chosen, devices "system" (the dummy driver's ports); mute left to the
# program's default.
cat > "$settings" << 'END'
<?xml version="1.0" encoding="UTF-8"?>
<PROPERTIES>
  <VALUE name="audioSetup">
    <DEVICESETUP deviceType="JACK" audioOutputDeviceName="system" audioInputDeviceName="system"/>
  </VALUE>
</PROPERTIES>
END

start_app() {
  "$app" > "$work/app.log" 2>&1 &
  app_pid=$!
  tries=0
  until jack_lsp 2> /dev/null | grep -q "^Morvane 3:out_2$"; do
    tries=$((tries + 1))
    [ $tries -lt 100 ] || { cat "$work/app.log"; fail "the Standalone did not open its JACK ports"; }
    kill -0 $app_pid 2> /dev/null || { cat "$work/app.log"; fail "the Standalone ended"; }
    sleep 0.2
  done
}
stop_app() {
  kill -TERM $app_pid
  tries=0
  while kill -0 $app_pid 2> /dev/null; do
    tries=$((tries + 1))
    [ $tries -lt 50 ] || fail "SIGTERM did not end the Standalone"
    sleep 0.2
  done
  wait $app_pid
  status=$?
  app_pid=
  [ $status -eq 0 ] || fail "the Standalone exited with status $status after SIGTERM"
}
# A window of this program by its title (other tests may have windows open on
# the same display).
window_of() {
  xdotool search --all --pid $app_pid --name "^$1\$" 2> /dev/null | head -n 1
}

echo "== first start: the input is muted"
start_app
"$probe" "Morvane 3" silence || fail "sound came out while the input is muted"

echo "== unmuting in the audio settings dialog"
main=$(window_of "Morvane 3")
[ -n "$main" ] || fail "no window"
# The notice bar's "Settings..." button, at the right of the bar under the title.
width=$(xdotool getwindowgeometry "$main" | sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p')
xdotool mousemove --window "$main" $((width - 43)) 41 click 1
sleep 1
dialog=$(window_of "Audio/MIDI Settings")
[ -n "$dialog" ] || fail "the settings dialog did not open"
# The "Mute audio input" box heads the dialog. A click that comes while the
# new window is still being laid out is lost: click again until the box has
# changed, which the settings file shows at once.
unmuted=0
for attempt in 1 2 3 4 5; do
  sleep 0.5
  xdotool mousemove --window "$dialog" 187 23 click 1
  sleep 0.5
  grep -q '<VALUE name="shouldMuteInput" val="0"/>' "$settings" && { unmuted=1; break; }
done
xdotool key --window "$dialog" Escape 2> /dev/null # closes the dialog if it is still open
[ $unmuted -eq 1 ] || { cat "$settings"; fail "unmuting was not written to the settings file"; }
"$probe" "Morvane 3" sound || fail "a sine played into the inputs did not come out"

echo "== ended by SIGTERM, started again"
stop_app
grep -q 'deviceType="JACK"' "$settings" || { cat "$settings"; fail "the JACK choice was lost"; }
start_app
"$probe" "Morvane 3" sound || fail "after a restart the input is muted again"
stop_app
grep -q '<VALUE name="shouldMuteInput" val="0"/>' "$settings" || fail "the unmuted input was forgotten"
echo "the Standalone runs on JACK, passes audio and remembers its input"
