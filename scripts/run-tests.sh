#!/usr/bin/env bash
# Builds everything and runs every test, headless: the suite as shipped, the suite again
# under AddressSanitizer and UndefinedBehaviorSanitizer, the fuzz targets (built with clang
# and run briefly over their seed corpora) and the install rules.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
export QT_QPA_PLATFORM=offscreen
jobs="$(nproc)"
ctest --test-dir build --output-on-failure --parallel "$jobs" --timeout 300

echo "== The suite under AddressSanitizer and UndefinedBehaviorSanitizer"
[ -f build-asan/build.ninja ] ||
    cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-O1 \
        -DVORLAP_SANITIZE=ON -DVORLAP_BUILD_BENCH=OFF
cmake --build build-asan --parallel "$jobs"
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure --parallel "$jobs" --timeout 600

echo "== Fuzz targets"
[ -f build-fuzz/build.ninja ] ||
    CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DVORLAP_FUZZ=ON -DVORLAP_SANITIZE=ON -DVORLAP_BUILD_TESTS=OFF -DVORLAP_BUILD_BENCH=OFF
fuzz_targets="fuzz_label_reader fuzz_label_renderer fuzz_label_edits fuzz_jpeg fuzz_gif
    fuzz_qt_pictures fuzz_metafile_player"
cmake --build build-fuzz --parallel "$jobs" --target $fuzz_targets
for target in $fuzz_targets; do
    ASAN_OPTIONS=detect_leaks=0 "build-fuzz/fuzz/$target" -runs=0 "fuzz/corpus/${target#fuzz_}" \
        2>&1 | tail -1
done

echo "== Install"
staging="$(mktemp -d)"
cmake --install build --prefix "$staging" > /dev/null
test -x "$staging/bin/vorlap"
rm -rf "$staging"
echo "All tests passed."
