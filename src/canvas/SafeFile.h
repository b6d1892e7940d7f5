#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <memory>

class QIODevice;

// The program's only way to read and write whole files on disk.
namespace SafeFile {

// Reads a regular file of at most maxBytes. Pipes, devices and folders are refused without
// ever blocking. Throws UserError "Ne peut ouvrir le fichier %1" when the file cannot be
// read, and "... : fichier trop grand (plus de N Mo)" before reading one over the limit.
QByteArray readRegularFile(const QString& path, qint64 maxBytes);

// Replaces the file (or the file a symbolic link names) by content, keeping its permissions,
// and its owner and group where the process may set them (saving as root over another user's
// file leaves it theirs); a file with several hard links keeps them all.
// The content is first written to a temporary file beside it and flushed to the disk, so
// false means the old file is untouched and no temporary file is left.
bool writeAtomically(const QString& path, QByteArrayView content);

// The same replacement for a file written piece by piece, so that it never has to be held in
// memory whole: the pieces go to a temporary file beside the target, which takes the target's
// name in commit() once every byte is on the disk. Until then, and whenever a step fails, the
// old file stays untouched; the temporary file is removed unless it was committed.
class AtomicFile {
public:
    explicit AtomicFile(QString path);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Creates the temporary file; false when it cannot be made or the target is no regular file.
    bool open();
    // Where the content goes while the file is open; a write that fails fails every later one
    // and the commit.
    QIODevice* device();
    // Writes out, syncs and closes the temporary file, then renames it over the target.
    bool commit();
    void discard();

private:
    class Writer;

    // A target with other names (hard links) is written over in place from the synced copy,
    // so that every name sees the new content; renaming would split it from them.
    bool rewriteInPlace();

    QString path_;
    QByteArray temporaryName_;
    QByteArray targetName_;
    std::unique_ptr<Writer> writer_;
    bool hardLinked_ = false;
};

} // namespace SafeFile
