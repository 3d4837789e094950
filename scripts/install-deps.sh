#!/usr/bin/env bash
# Installs every Debian package the project needs to build, test and benchmark.
# Idempotent: apt-get skips what is already there. Run as root (or through sudo).
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config git
  juce-modules-source fst-dev lv2-dev libfftw3-dev libsamplerate0-dev
  libasound2-dev libjack-jackd2-dev libfreetype-dev libfontconfig1-dev
  libx11-dev libxcomposite-dev libxcursor-dev libxext-dev libxinerama-dev
  libxrandr-dev libxrender-dev libgl-dev libcurl4-openssl-dev libwebkit2gtk-4.0-dev libgtk-3-dev
  zlib1g-dev libflac-dev libvorbis-dev libogg-dev libpng-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev libzita-convolver-dev
  xvfb xauth imagemagick jalv jackd2
  clang libclang-rt-14-dev
  libcairo2-dev fonts-dejavu-core
  dpkg-dev file
  lintian help2man desktop-file-utils lilv-utils sordi xdotool
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
have_ardour=1
dpkg-query -W -f='${Status}' ardour 2>/dev/null | grep -q "install ok installed" || have_ardour=0
if [ ${#missing[@]} -eq 0 ] && [ $have_ardour -eq 1 ]; then
  echo "install-deps: all packages present"
  exit 0
fi

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
[ ${#missing[@]} -eq 0 ] || $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
# Ardour's plug-in scanners are a host check; its recommends pull in a desktop.
if [ $have_ardour -eq 0 ]; then
  $SUDO apt-get install -y -q --no-install-recommends ardour || echo "install-deps: ardour not available; host-scanner tests will be skipped"
fi
