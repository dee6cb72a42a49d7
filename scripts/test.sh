#!/usr/bin/env bash
# Builds and runs every test: the normal build, then the same suite built
# with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh build
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2)
