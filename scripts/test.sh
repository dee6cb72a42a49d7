#!/usr/bin/env bash
# Builds and runs every test: the normal build, the same suite built with
# AddressSanitizer and UndefinedBehaviorSanitizer (any report fails), and a
# short run of the fuzz targets.
set -euo pipefail
cd "$(dirname "$0")/.."

export QT_QPA_PLATFORM=offscreen

# Tests start PostgreSQL servers of their own and reach them through Qt's QPSQL driver.
scripts/ensure-packages.sh postgresql libqt6sql6-psql
scripts/setup.sh build -DKESTRA_WERROR=ON
(cd build && ctest --output-on-failure -j2)
scripts/check-package.sh build # the Debian package of the normal build

scripts/setup.sh build-asan -DKESTRA_SANITIZE=ON -DKESTRA_WERROR=ON
(cd build-asan && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --output-on-failure -j2)

# A short run of every fuzz target over its seed corpus.
fuzz/run.sh 15
