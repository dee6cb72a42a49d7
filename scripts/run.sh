#!/usr/bin/env bash
# Builds the updater when needed and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build
exec build/kestra-updater "$@"
