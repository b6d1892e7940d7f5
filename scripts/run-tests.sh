#!/usr/bin/env bash
# Builds everything and runs every test, headless: the suite as shipped, the suite again
# under AddressSanitizer and UndefinedBehaviorSanitizer, the fuzz targets (built with clang
# and run briefly over their seed corpora) and the Debian package.
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
fuzz_targets="fuzz_label_reader fuzz_label_renderer fuzz_label_edits fuzz_merge_list fuzz_jpeg fuzz_gif
    fuzz_qt_pictures fuzz_metafile_player"
cmake --build build-fuzz --parallel "$jobs" --target $fuzz_targets
for target in $fuzz_targets; do
    ASAN_OPTIONS=detect_leaks=0 "build-fuzz/fuzz/$target" -runs=0 "fuzz/corpus/${target#fuzz_}" \
        2>&1 | tail -1
done

echo "== Debian package"
rm -f build/vorlap_*.deb
(cd build && cpack -G DEB > /dev/null)
deb="$(ls build/vorlap_*.deb)"
version="$(sed -n 's/^project(vorlap VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || { echo "$deb is not version $version"; exit 1; }
contents="$(dpkg-deb -c "$deb" | awk '{print $6}')"
for file in ./usr/bin/vorlap ./usr/share/applications/vorlap.desktop \
    ./usr/share/mime/packages/vorlap.xml ./usr/share/icons/hicolor/scalable/apps/vorlap.svg \
    ./usr/share/icons/hicolor/48x48/apps/vorlap.png ./usr/share/icons/hicolor/256x256/apps/vorlap.png \
    ./usr/share/doc/vorlap/aide/sommaire.html ./usr/share/vorlap/examples/adresse.etq \
    ./usr/share/vorlap/examples/cd-vacances.etq ./usr/share/vorlap/planches.txt \
    ./usr/share/doc/vorlap/copyright \
    ./usr/share/doc/vorlap/changelog.gz; do
    grep -qx -- "$file" <<< "$contents" || { echo "$deb lacks $file"; exit 1; }
done
depends="$(dpkg-deb -f "$deb" Depends)"
for package in libqt6widgets6 libqt6gui6 libqt6core6 libqt6printsupport6 libqt6svg6 libgif7 libjpeg62-turbo libzint2.11 libqpdf29 \
    qt6-qpa-plugins fonts-liberation2 qt6-translations-l10n; do
    grep -qE "(^|, )$package( |,|$)" <<< "$depends" || { echo "$deb does not depend on $package"; exit 1; }
done
changelog_version="$(dpkg-deb --fsys-tarfile "$deb" | tar -xOf - ./usr/share/doc/vorlap/changelog.gz |
    gzip -dc | dpkg-parsechangelog -l- -SVersion)"
[ "$changelog_version" = "$version" ] || { echo "The changelog says $changelog_version, not $version"; exit 1; }
# Debian's own checks: an error fails the run, warnings are shown. Status 2 is lintian failing.
lintian_status=0
lintian_report="$(lintian --allow-root "$deb")" || lintian_status=$?
[ -z "$lintian_report" ] || echo "$lintian_report"
if [ "$lintian_status" -gt 1 ] || grep -q '^E:' <<< "$lintian_report"; then
    echo "lintian finds errors in $deb"
    exit 1
fi
echo "$deb: $(wc -l <<< "$contents") entries, Depends: $depends"
echo "All tests passed."
