#!/usr/bin/env bash
# Installs what the build needs when it is missing, then configures and
# builds into build/ (or the folder given as $1, with further CMake options).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/ensure-packages.sh cmake g++ make qt6-base-dev libgl-dev qt6-translations-l10n libqt6sql6-sqlite libqt6sql6-psql

build_dir=${1:-build}
shift || true
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$build_dir" -j"$(nproc)"
