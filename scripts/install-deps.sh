#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need,
# and only those that are missing.
set -eu

packages=(
  build-essential cmake pkg-config ccache
  qtbase5-dev qtbase5-dev-tools
  librtmidi-dev
  jackd2
  libjack-jackd2-dev libasound2-dev
  clang libclang-rt-14-dev libbenchmark-dev
  xvfb xauth imagemagick xdotool
)

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
