#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop reads there: the
# desktop entry validates, ".etq" files (by name and by content) map to the program's MIME
# type, and that type opens with the program. Skipped (exit 77) without the freedesktop tools.
# Arguments: the cmake program, the build folder, a sample label.
set -euo pipefail
cmake_program="$1"
build="$2"
sample="$3"

missing=()
for tool in desktop-file-validate update-desktop-database update-mime-database xdg-mime mimetype; do
    command -v "$tool" > /dev/null || missing+=("$tool")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "SKIPPED: ${missing[*]} not installed (Debian packages desktop-file-utils," \
        "shared-mime-info, xdg-utils, libfile-mimeinfo-perl)."
    exit 77
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"
"$cmake_program" --install "$build" --prefix "$prefix" > /dev/null

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

for file in bin/vorlap share/applications/vorlap.desktop share/mime/packages/vorlap.xml \
    share/icons/hicolor/scalable/apps/vorlap.svg share/icons/hicolor/48x48/apps/vorlap.png \
    share/icons/hicolor/256x256/apps/vorlap.png share/doc/vorlap/aide/sommaire.html \
    share/doc/vorlap/aide/style.css share/vorlap/examples/adresse.etq \
    share/vorlap/examples/cd-vacances.etq share/vorlap/planches.txt; do
    [ -f "$prefix/$file" ] || fail "$file is not installed"
done
[ -x "$prefix/bin/vorlap" ] || fail "bin/vorlap is not executable"

desktop="$prefix/share/applications/vorlap.desktop"
if ! report="$(desktop-file-validate "$desktop" 2>&1)" || [ -n "$report" ]; then
    fail "desktop-file-validate: $report"
fi
grep -qx 'Exec=vorlap %f' "$desktop" || fail "the desktop entry does not run vorlap on the file"
grep -qx 'MimeType=application/x-vorlap-label;' "$desktop" || fail "the desktop entry names no type"

# Only the prefix and the system's own types, never the user's.
export XDG_DATA_HOME="$work/home-data" XDG_CONFIG_HOME="$work/home-config"
export XDG_DATA_DIRS="$prefix/share:/usr/share"
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID
update-mime-database "$prefix/share/mime" > /dev/null 2>&1
update-desktop-database "$prefix/share/applications"

# The installed catalogue of label sheets wins over the copy built into the program.
printf 'INSTALLE;Ligne ajoutée;50;30;1;1;50;30;0;0;rectangle;essai\n' >> "$prefix/share/vorlap/planches.txt"
"$prefix/bin/vorlap" --list-sheets 2> /dev/null | grep -q '^INSTALLE'"$(printf '\t')" ||
    fail "the program does not read share/vorlap/planches.txt"

cp "$sample" "$work/etiquette.etq"
cp "$sample" "$work/sans-extension"
printf 'Une lettre\r\nsur deux lignes\r\n' > "$work/lettre"
check_type() {
    local file="$1" expected="$2" found
    found="$(xdg-mime query filetype "$file" 2>&1)" || true
    [ "$found" = "$expected" ] || fail "$(basename "$file") is '$found', not '$expected'"
}
check_type "$work/etiquette.etq" application/x-vorlap-label
check_type "$work/sans-extension" application/x-vorlap-label
check_type "$work/lettre" text/plain
found="$(xdg-mime query default application/x-vorlap-label 2>&1)" || true
[ "$found" = vorlap.desktop ] || fail "labels open with '$found', not vorlap.desktop"

if [ "$failures" -gt 0 ]; then
    exit 1
fi
echo "The installed desktop entry, icons, MIME type, help pages, examples and sheets are in place."
