#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The program's only way to read and write whole files on disk.
namespace SafeFile {

// Reads a regular file of at most maxBytes. Pipes, devices and folders are refused without
// ever blocking. Throws UserError "Ne peut ouvrir le fichier %1" when the file cannot be
// read, and "... : fichier trop grand (plus de N Mo)" before reading one over the limit.
QByteArray readRegularFile(const QString& path, qint64 maxBytes);

// Replaces the file (or the file a symbolic link names) by content, keeping its permissions.
// The content is first written to a temporary file beside it and flushed to the disk, so
// false means the old file is untouched and no temporary file is left.
bool writeAtomically(const QString& path, QByteArrayView content);

} // namespace SafeFile
