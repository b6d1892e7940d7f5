#!/usr/bin/env bash
# Builds the program and opens the designer on a sample label.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
exec build/src/app/vorlap "${1:-examples/adresse.etq}"
