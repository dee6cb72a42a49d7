#!/usr/bin/env bash
# Builds the fuzz targets with clang into build-fuzz/ and runs each for a
# bounded time: fuzz/run.sh [seconds per target, default 60] [target...].
# Each runs on a scratch copy of its seed corpus in build-fuzz/corpus/ and
# leaves any crash input in build-fuzz/crashes/<target>/. Exits non-zero when
# any target fails.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
targets=("$@")
((${#targets[@]})) || targets=(fuzz_firmware_header fuzz_settings fuzz_identity fuzz_command_framing)

scripts/ensure-packages.sh cmake make clang libclang-rt-14-dev qt6-base-dev libgl-dev

build_dir=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRA_FUZZ=ON >/dev/null
cmake --build "$build_dir" --target "${targets[@]}" -j"$(nproc)"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
failed=()
for target in "${targets[@]}"; do
    corpus=$build_dir/corpus/$target
    crashes=$build_dir/crashes/$target
    rm -rf "$corpus"
    mkdir -p "$corpus" "$crashes"
    cp fuzz/corpus/"$target"/* "$corpus"/
    dictionary=()
    [ -f fuzz/"$target".dict ] && dictionary=(-dict=fuzz/"$target".dict)
    echo "== $target: ${seconds}s"
    if ! "$build_dir/$target" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$crashes/" "${dictionary[@]}" "$corpus"; then
        failed+=("$target")
    fi
done

if ((${#failed[@]})); then
    echo "Crashes in: ${failed[*]} (inputs in $build_dir/crashes/)" >&2
    exit 1
fi
echo "No crashes."
