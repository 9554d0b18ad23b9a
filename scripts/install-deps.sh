#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need. Does nothing when all of them are
# present already, so the test command stays fast on a machine that has been set up.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang-format clang libclang-rt-14-dev
  libzip-dev libpugixml-dev
  libreoffice-calc-nogui python3-openpyxl
  # The printer: HarfBuzz shapes the text (vertical Japanese too), cairo writes the PDF. The IPA
  # and IPAex fonts share the metrics of the Japanese fonts workbooks name, Liberation, Carlito
  # and Caladea those of the Latin ones, Noto CJK covers the rest; the tests read the PDFs back
  # with poppler-utils.
  libharfbuzz-dev libcairo2-dev libfreetype-dev libfontconfig-dev
  fonts-ipafont-mincho fonts-ipafont-gothic fonts-ipaexfont-mincho fonts-ipaexfont-gothic
  fonts-noto-cjk fonts-liberation2 fonts-crosextra-carlito fonts-crosextra-caladea poppler-utils
  # Printers and the desktop window; Xvfb runs the window's tests without a display.
  qt6-base-dev xvfb xauth
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
