#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when any is missing. Quiet when all are present.
set -euo pipefail

packages=(
  cmake g++ ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgtest-dev
  libsqlite3-dev libxlsxwriter-dev libzip-dev libminizip-dev zlib1g-dev libpugixml-dev libx11-dev
  xvfb xauth xdotool xclip x11-utils xdg-utils fonts-noto-cjk qt6-translations-l10n
  python3 python3-openpyxl python3-pandas
  clang libclang-rt-14-dev
)

bash "$(dirname "$0")/install-missing.sh" "${packages[@]}"
