#!/usr/bin/env bash
# Installs LibreOffice Calc and its Python bridge for the Calc extension's test, when missing.
# The build and the demo do not need them. Quiet when all are present.
set -euo pipefail

packages=(libreoffice-calc python3-uno libreoffice-script-provider-python)

bash "$(dirname "$0")/install-missing.sh" "${packages[@]}"
