#!/usr/bin/env bash
# Builds the Debian package build/kazumaki_<version>_<arch>.deb and checks it with lintian.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
cd build
rm -f kazumaki_*.deb
cpack -G DEB
lintian --fail-on error kazumaki_*.deb
ls kazumaki_*.deb
