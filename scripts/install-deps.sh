#!/usr/bin/env bash
# Installs every Debian package the project needs to build, run and test.
# Packages already present are skipped; sudo is used only when not root.
set -euo pipefail

# (qt6-charts-dev needs libqt6opengl6-dev for its CMake files but does not depend on it.)
packages=(
  build-essential cmake pkg-config ccache clang-format
  libgtest-dev googletest
  qt6-base-dev qt6-charts-dev libqt6opengl6-dev libqt6sql6-sqlite qt6-tools-dev qt6-tools-dev-tools qt6-documentation-tools libqt6help6
  libgl-dev libfontconfig-dev
  libsqlcipher-dev libssl-dev
  libqt6network6 ca-certificates
  fonts-ipafont-gothic fonts-ipafont-mincho qt6-translations-l10n
  xvfb xauth imagemagick x11-xserver-utils
  librsvg2-bin desktop-file-utils appstream dpkg-dev fakeroot file lintian
  poppler-utils
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
