#!/bin/sh
# Builds the Debian package of a build folder, installs it system-wide, checks
# that hosts find every format where they look and that the installed
# morvane3-render renders the demo exactly as the build does, then purges the
# package and checks that nothing is left behind.
# Usage: deb-package.sh <build-folder> <built-render-tool> <lv2-uri> <hosts-test-folder>
# Exits 77 (skipped) when not run as root or when the package is already
# installed (it would be purged at the end).
build=$1
built_render=$2
lv2_uri=$3
hosts=$4
package=morvane3

if [ "$(id -u)" -ne 0 ]; then
  echo "SKIP: installing a package needs root"
  exit 77
fi
for tool in cpack dpkg dpkg-deb dpkg-shlibdeps file; do
  if ! command -v $tool > /dev/null 2>&1; then
    echo "missing tool: $tool (packages cmake, dpkg-dev, file)"
    exit 1
  fi
done
if dpkg-query -W -f='${Status}' $package 2> /dev/null | grep -q "installed"; then
  echo "SKIP: $package is installed on this machine; not replacing it"
  exit 77
fi

work=$(mktemp -d)
installed=0
cleanup() {
  [ $installed -eq 1 ] && dpkg --purge $package > /dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*"
  exit 1
}

# Another dpkg run (an apt-get elsewhere) holds the lock for a while at most.
dpkg_retrying() {
  tries=0
  while ! dpkg "$@" > "$work/dpkg.log" 2>&1; do
    cat "$work/dpkg.log"
    grep -q "lock" "$work/dpkg.log" || return 1
    tries=$((tries + 1))
    [ $tries -lt 60 ] || return 1
    sleep 2
  done
  cat "$work/dpkg.log"
}

vst2="/usr/lib/vst/Morvane 3.so"
vst3="/usr/lib/vst3/Morvane 3.vst3"
lv2="/usr/lib/lv2/Morvane 3.lv2"
binaries="$vst2
$vst3/Contents/$(uname -m)-linux/Morvane 3.so
$lv2/libMorvane 3.so
/usr/bin/morvane3
/usr/bin/morvane3-render"

echo "== building the package"
cpack -G DEB -B "$work/package" --config "$build/CPackConfig.cmake" > "$work/cpack.log" 2>&1 \
  || { cat "$work/cpack.log"; fail "cpack failed"; }
deb=$(ls "$work"/package/${package}_*.deb 2> /dev/null | head -n 1)
[ -n "$deb" ] || { cat "$work/cpack.log"; fail "no package made"; }
ls -l "$deb"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
# The libraries the binaries link, declared by their Debian package names.
for needed in libc6 libstdc++6 libfftw3-single3 libfreetype6; do
  echo "$depends" | grep -q "$needed" || fail "the package does not declare $needed"
done
outside=$(dpkg-deb -c "$deb" | awk '{ $1 = $2 = $3 = $4 = $5 = ""; print }' | sed 's/^ *//' \
  | grep -v -e '^\./$' -e '^\./usr/$' -e '^\./usr/lib/' -e '^\./usr/bin/' -e '^\./usr/share/doc/morvane3/' -e '^\./usr/share/$' -e '^\./usr/share/doc/$')
[ -z "$outside" ] || fail "files outside the plug-in folders: $outside"

echo "== installing"
dpkg_retrying -i "$deb" || fail "dpkg -i failed"
installed=1

echo "$binaries" | while IFS= read -r binary; do
  [ -f "$binary" ] || { echo "FAIL: missing $binary"; exit 1; }
  description=$(file -L "$binary")
  echo "$description"
  echo "$description" | grep -q "ELF" || { echo "FAIL: $binary is no ELF binary"; exit 1; }
  echo "$description" | grep -q "debug_info\|not stripped" && { echo "FAIL: $binary is not stripped"; exit 1; }
  true
done || exit 1
du -sh "$vst2" "$vst3" "$lv2" /usr/bin/morvane3 /usr/bin/morvane3-render

echo "== hosts find every format where they look"
"$hosts/ardour-scan.sh" vst2 "$vst2" --in-place; status=$?
[ $status -eq 0 ] || [ $status -eq 77 ] || fail "Ardour's VST2 scanner did not find the installed plug-in"
"$hosts/ardour-scan.sh" vst3 "$vst3" --in-place; status=$?
[ $status -eq 0 ] || [ $status -eq 77 ] || fail "Ardour's VST3 scanner did not find the installed plug-in"
"$hosts/jalv-run.sh" installed "$lv2_uri"; status=$?
[ $status -eq 0 ] || [ $status -eq 77 ] || fail "jalv did not find the installed LV2 plug-in by its URI"

echo "== the installed tool renders the demo through the installed plug-in"
info=$(/usr/bin/morvane3-render --info 2>&1) || { echo "$info"; fail "morvane3-render --info failed"; }
echo "$info" | grep -q "$vst2" || { echo "$info"; fail "the installed tool does not use the installed plug-in"; }
/usr/bin/morvane3-render --demo "$work/installed.wav" || fail "the installed tool did not render the demo"
"$built_render" --demo "$work/built.wav" || fail "the built tool did not render the demo"
[ "$(stat -c %s "$work/installed.wav")" -gt 44100 ] || fail "the demo is too short"
cmp "$work/installed.wav" "$work/built.wav" || fail "the installed plug-in renders otherwise than the built one"

echo "== purging"
dpkg_retrying --purge $package || fail "dpkg --purge failed"
installed=0
dpkg-query -W -f='${Status}' $package 2> /dev/null | grep -q "installed" && fail "the package is still installed"
left=$(find /usr /etc /var/lib/dpkg/info -iname "*morvane*" 2> /dev/null)
[ -z "$left" ] || fail "left behind: $left"
echo "installed, found, rendered and purged without a trace"
