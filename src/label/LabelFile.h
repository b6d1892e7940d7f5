#pragma once

#include "LineCodec.h"

#include <QString>

// The one reader and writer of label files on disk.
namespace LabelFile {

// Cuts file content into lines at CR LF, LF or CR; a final line ending adds no empty line.
LineList splitLines(const QByteArray& content);
// The lines of a label file as the window opens it: from line 2 on, a line whose first TAB
// is not beyond column 15 is left out as the content is cut, so that a file of millions of
// such lines costs no more memory than the lines kept.
LineList splitLabel(const QByteArray& content);
// Every line ended by CR LF.
QByteArray joinLines(const LineList& lines);

// Reads the whole file; throws UserError "Ne peut ouvrir le fichier %s" when it cannot,
// including for anything but a regular file and for a file over 256 MiB.
LineList read(const QString& path);
// The same through splitLabel.
LineList readLabel(const QString& path);
// Replaces the file only once the new content is completely written; throws UserError
// "Ne peut créer le fichier %s" and leaves the old file whole when it cannot.
void write(const QString& path, const LineList& lines);

// Appends ".etq" when the path holds no '.' at all.
QString withExtension(const QString& path);

} // namespace LabelFile
