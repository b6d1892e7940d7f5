#pragma once

#include "PageSetup.h"

#include <QMap>
#include <QPoint>
#include <QString>

// "Vorlap.ini": a first line of five integers, the page setup, which older versions read and
// stop after; then one line per printer with a calibration offset, "name TAB x TAB y".
namespace SettingsFile {

// Each printer's calibration offset by printer name, across and down in tenths of a millimetre.
using PrinterOffsets = QMap<QString, QPoint>;
// A feed error is a few millimetres: offsets are kept within ±10 mm.
constexpr int kMaxOffsetTenths = 100;

QString pathIn(const QString& directory);
// Each integer read replaces its value in order; reading stops at the end of the file or
// at the first token that is not an integer. A missing file changes nothing.
PageSetupValues read(const QString& path, PageSetupValues values);
// The printers' lines after the first; a line that is not "name TAB integer TAB integer" is
// skipped, and values beyond ±10 mm are brought back to it.
PrinterOffsets readOffsets(const QString& path);
// Writes "left top right bottom zoom" and CR LF, then a line per printer whose offset is not
// zero; false when the file could not be written.
bool write(const QString& path, const PageSetupValues& values, const PrinterOffsets& offsets = {});

// The file lives in the start-up directory; a program installed under /usr is often started
// where it cannot write, and then the user's configuration folder holds it instead.
QString configDirectory();
// The start-up directory's file when it exists and that directory takes writes, else the
// configuration folder's when it exists, else whatever the start-up directory has.
QString pathToLoad(const QString& startDir, const QString& configDir = configDirectory());
PageSetupValues load(const QString& startDir, PageSetupValues values,
                     const QString& configDir = configDirectory());
// Into the start-up directory, or into the configuration folder when that fails; silent.
bool save(const QString& startDir, const PageSetupValues& values,
          const PrinterOffsets& offsets = {}, const QString& configDir = configDirectory());

} // namespace SettingsFile
