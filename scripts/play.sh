#!/usr/bin/env bash
# Installs what is needed, builds Zorble and starts a solo game.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh build
exec build/app/zorble "$@"
