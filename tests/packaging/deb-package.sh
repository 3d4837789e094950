#!/bin/sh
# Builds the Debian package of a build folder and checks it as a distribution
# would: lintian finds no error and no warning, the menu entry validates, the
# manual pages and icons are there, Depends names every library the binaries
# load (linked, as ldd sees them, or loaded with dlopen by the framework), and
# the three plug-in libraries have one mode. It then installs the package
# system-wide, checks that hosts find every format where they look and that
# the installed morvane3-render renders the demo exactly as the build does,
# purges the package and checks that nothing is left behind.
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
for tool in cpack dpkg dpkg-deb dpkg-shlibdeps file lintian desktop-file-validate ldd readelf; do
  if ! command -v $tool > /dev/null 2>&1; then
    echo "missing tool: $tool (packages cmake, dpkg-dev, file, lintian, desktop-file-utils, binutils)"
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
  | grep -v -e '^\./$' -e '^\./usr/$' -e '^\./usr/lib/' -e '^\./usr/bin/' -e '^\./usr/share/doc/morvane3/' -e '^\./usr/share/$' \
    -e '^\./usr/share/doc/$' -e '^\./usr/share/applications/' -e '^\./usr/share/icons/' -e '^\./usr/share/man/')
[ -z "$outside" ] || fail "files outside the plug-in folders: $outside"

echo "== lintian"
# Errors and warnings fail; informational tags (I:) are reported only.
lintian --tag-display-limit 0 -I "$deb" > "$work/lintian.log" 2> "$work/lintian.err"
cat "$work/lintian.log"
grep -v "running with root privileges" "$work/lintian.err"
grep -q "^[EW]: " "$work/lintian.log" && fail "lintian reports errors or warnings"
grep -q "^[EW]: " "$work/lintian.err" && fail "lintian reports errors or warnings"

echo "== the three plug-in libraries have one mode, that of a loaded library"
modes=$(dpkg-deb -c "$deb" | grep -e '/usr/lib/vst/Morvane 3\.so$' -e '/Contents/[^/]*-linux/Morvane 3\.so$' \
  -e '/usr/lib/lv2/Morvane 3\.lv2/libMorvane 3\.so$' | awk '{ print $1 }')
echo "$modes"
[ "$(echo "$modes" | wc -l)" -eq 3 ] || fail "not three plug-in libraries in the package"
[ "$(echo "$modes" | sort -u)" = "-rw-r--r--" ] || fail "the plug-in libraries' modes differ or are executable"

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

echo "== menu entry, icons and manual pages"
desktop=/usr/share/applications/morvane3.desktop
[ -f $desktop ] || fail "no menu entry $desktop"
desktop-file-validate $desktop || fail "desktop-file-validate rejects $desktop"
grep -q "^Exec=morvane3$" $desktop || fail "the menu entry does not start /usr/bin/morvane3"
icon=$(sed -n 's/^Icon=//p' $desktop)
for size in 48 128 256; do
  png=/usr/share/icons/hicolor/${size}x${size}/apps/$icon.png
  file "$png" | grep -q "PNG image data, $size x $size" || fail "no $size-pixel icon $png"
done
for program in morvane3 morvane3-render; do
  page=/usr/share/man/man1/$program.1.gz
  [ -f $page ] || fail "no manual page for $program"
  zcat $page | grep -q "^\.SH OPTIONS\|^\.SH DESCRIPTION" || fail "the manual page of $program is empty"
done

echo "== Depends names every library the binaries load"
# The Debian package of a library file, following links and /usr-merged paths.
package_of() {
  for candidate in "$1" "$(readlink -f "$1")"; do
    for path in "$candidate" "${candidate#/usr}" "/usr$candidate"; do
      owner=$(dpkg -S "$path" 2> /dev/null | head -n 1 | sed 's/:.*//; s/, .*//')
      [ -n "$owner" ] && { echo "$owner"; return; }
    done
  done
}
# Libraries the framework loads with dlopen at run time (no linker record).
dlopened="libX11.so.6 libXext.so.6 libXrandr.so.2 libXinerama.so.1 libXcursor.so.1 libXrender.so.1
libfreetype.so.6 libfontconfig.so.1 libasound.so.2 libjack.so.0"
# Each binary's own NEEDED entries, resolved as ldd resolves them (what those
# libraries need in turn is their packages' business).
needed=$(
  echo "$binaries" | while IFS= read -r binary; do
    resolved=$(ldd "$binary")
    for soname in $(readelf -d "$binary" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
      echo "$resolved" | sed -n "s/^[[:space:]]*$soname => \(\/[^ ]*\) .*/\1/p"
    done
  done
  for soname in $dlopened; do
    ldconfig -p | grep "^[[:space:]]*$soname " | sed 's/.* => //' | grep "/$(uname -m)-linux-gnu/" | head -n 1
  done)
missing=
for library in $(echo "$needed" | sort -u); do
  owner=$(package_of "$library")
  [ -n "$owner" ] || { echo "no package owns $library"; missing="$missing $library"; continue; }
  echo "$depends" | grep -q "\(^\|[ ,|]\)$owner\( \|,\||\|$\)" || { echo "$library: $owner is not in Depends"; missing="$missing $owner"; }
done
[ -z "$missing" ] || fail "Depends lacks:$missing"
for soname in $dlopened; do
  ldconfig -p | grep -q "^[[:space:]]*$soname " || fail "$soname is not installed here, so Depends cannot be checked for it"
done

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
