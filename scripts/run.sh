#!/usr/bin/env bash
# Installs what is needed, builds and starts the program on the shipped history.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
cd build/bin
exec ./kazumaki
