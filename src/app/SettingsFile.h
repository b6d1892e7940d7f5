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

// The file lives in the start-up directory; a program installed under /usr is often started
// where it cannot write, and then the user's configuration folder holds it instead.
QString configDirectory();
// The start-up directory's file when it exists and that directory takes writes, else the
// configuration folder's when it exists, else whatever the start-up directory has.
PageSetupValues load(const QString& startDir, PageSetupValues values,
                     const QString& configDir = configDirectory());
// Into the start-up directory, or into the configuration folder when that fails; silent.
bool save(const QString& startDir, const PageSetupValues& values,
          const QString& configDir = configDirectory());

} // namespace SettingsFile
