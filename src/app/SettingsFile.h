#pragma once

#include "PageSetup.h"

#include <QString>

// "Vorlap.ini": one line of five integers, the only thing remembered between runs.
namespace SettingsFile {

QString pathIn(const QString& directory);
// Each integer read replaces its value in order; reading stops at the end of the file or
// at the first token that is not an integer. A missing file changes nothing.
PageSetupValues read(const QString& path, PageSetupValues values);
// Writes "left top right bottom zoom" and CR LF; false when the file could not be written.
bool write(const QString& path, const PageSetupValues& values);

} // namespace SettingsFile
