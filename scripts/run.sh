#!/usr/bin/env bash
# Installs what is missing, builds the timer and starts it; arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh build >/dev/null
exec build/app/quorvane "$@"
