#!/usr/bin/env bash
# Builds one source file against the document library's headers alone: the one that includes
# only what the library links must compile, the ones that reach for the desktop layer must not.
set -u
build="$1"
cmake --build "$build" --target layer_sees_its_own > /dev/null 2>&1 ||
    { echo "the document library cannot even include its own headers"; exit 1; }
for probe in layer_sees_print_device layer_sees_system_clock; do
    if output="$(cmake --build "$build" --target "$probe" 2>&1)"; then
        echo "$probe compiled: the document library sees a header of a layer above it"
        exit 1
    fi
    grep -q "No such file or directory" <<< "$output" ||
        { echo "$probe failed for another reason:"; tail -n 5 <<< "$output"; exit 1; }
done
echo "the document library sees only the headers of what it links"
