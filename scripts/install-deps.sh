#!/usr/bin/env bash
# Installs the Debian packages that one use of the tree needs, and only those
# that are missing. Each set includes the one before it.
#   run      building and running the program
#   package  also building the Debian package (make package)
#   test     also every test, the fuzzers, the benchmarks and the screenshots
# Usage: install-deps.sh [run|package|test]   (default: test)
set -eu

run_packages=(
  build-essential cmake pkg-config ccache
  qtbase5-dev qtbase5-dev-tools
  librtmidi-dev
  libjack-jackd2-dev libasound2-dev
)
# dpkg-shlibdeps (dpkg-dev) and file find the package's dependencies.
package_packages=(dpkg-dev file)
test_packages=(
  # a real JACK server for the integration tests and the screenshots, and
  # PipeWire's JACK, which the jack-labelled tests also run against
  jackd2 pipewire pipewire-jack wireplumber
  # fuzzing and benchmarks
  clang libclang-rt-14-dev libbenchmark-dev
  # the image generator's SVG output
  libqt5svg5-dev
  # screenshots under a window manager, with two font sets
  xvfb xauth imagemagick xdotool openbox fonts-dejavu-core fonts-noto-core fonts-noto-mono
  # validators of the installed desktop files
  desktop-file-utils appstream lintian
)

set_name=${1:-test}
case "$set_name" in
  run) packages=("${run_packages[@]}") ;;
  package) packages=("${run_packages[@]}" "${package_packages[@]}") ;;
  test) packages=("${run_packages[@]}" "${package_packages[@]}" "${test_packages[@]}") ;;
  *) echo "usage: $0 [run|package|test]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
# jackd2 asks about real-time priority; answer no without a terminal.
echo "jackd2 jackd/tweak_rt_limits boolean false" | $sudo debconf-set-selections
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
