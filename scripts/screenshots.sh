#!/usr/bin/env bash
# Makes the README's pictures with the program itself: the main window on a sample label
# (on a private X server), the label as `vorlap --png` draws it, and the printed sheet as
# `vorlap --pdf` writes it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/packages.sh imagemagick
bash scripts/build.sh
vorlap="$PWD/build/src/app/vorlap"
out=docs/images
mkdir -p "$out"
work="$(mktemp -d)"
xvfb=""
app=""
finish() {
    for pid in $app $xvfb; do
        kill "$pid" 2> /dev/null || true
        wait "$pid" 2> /dev/null || true
    done
    rm -rf "$work"
}
trap finish EXIT

"$vorlap" --png "$out/etiquette.png" examples/cd-vacances.etq
# The settings of the folder it runs in would move the sheet: run where there are none.
(cd "$work" && "$vorlap" --pdf sheet.pdf --dpi 300 "$OLDPWD/examples/adresse.etq")
pdftoppm -r 60 -png -singlefile "$work/sheet.pdf" "$out/planche"

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3> "$work/display" 2> /dev/null &
xvfb=$!
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
export DISPLAY=":$(head -n 1 "$work/display")"
label="$PWD/examples/cd-vacances.etq"
(cd "$work" && HOME="$work" QT_QPA_PLATFORM=xcb exec "$vorlap" "$label") &
app=$!
window=""
for _ in $(seq 100); do
    window="$(xdotool search --onlyvisible --name '^cd-vacances.etq - Vorlap$' || true)"
    [ -n "$window" ] && break
    sleep 0.1
done
sleep 1
import -window "$window" "$out/fenetre.png"
echo "Made $out/fenetre.png, $out/etiquette.png, $out/planche.png"
