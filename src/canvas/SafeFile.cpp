#include "SafeFile.h"

#include "FileNames.h"

#include "UserError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace SafeFile {

namespace {

class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() { close(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    int release() { return std::exchange(fd_, -1); }
    // Some file systems report a failed write-back only here.
    bool close() {
        const int fd = std::exchange(fd_, -1);
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int fd_;
};

UserError tooLarge(const QString& path, qint64 maxBytes) {
    return UserError(
        QStringLiteral("Ne peut ouvrir le fichier %1 : fichier trop grand (plus de %2 Mo)")
            .arg(QDir::toNativeSeparators(path))
            .arg(maxBytes >> 20));
}

bool writeAll(int fd, QByteArrayView content) {
    const char* data = content.data();
    qsizetype left = content.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        left -= written;
    }
    return true;
}

// The file the path finally names: a link is followed rather than replaced by a file.
QString resolvedTarget(const QString& path) {
    const QByteArray name = FileNames::encode(path);
    struct stat status {};
    if (::lstat(name.constData(), &status) != 0 || !S_ISLNK(status.st_mode))
        return path;
    if (char* real = ::realpath(name.constData(), nullptr)) {
        const QString target = FileNames::decode(real);
        ::free(real);
        return target;
    }
    // A link to a file not made yet: the file it names, beside the link when relative.
    QByteArray link(PATH_MAX, '\0');
    const ssize_t length = ::readlink(name.constData(), link.data(), link.size());
    if (length <= 0)
        return path;
    link.truncate(length);
    const QString target = FileNames::decode(link);
    return QFileInfo(target).isAbsolute() ? target : QFileInfo(path).absolutePath() + '/' + target;
}

// Created next to the target, so that the rename stays within one file system.
Descriptor createTemporary(const QString& target, QByteArray& name) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = FileNames::encode(target) + '.' +
               QByteArray::number(QRandomGenerator::global()->bounded(0x1000000), 16)
                   .rightJustified(6, '0');
        // 0666 lets the umask decide a new file's permissions, as for any file created.
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return Descriptor(fd);
    }
    return Descriptor();
}

void syncDirectoryOf(const QByteArray& file) {
    const QByteArray dir = FileNames::encode(QFileInfo(FileNames::decode(file)).absolutePath());
    Descriptor fd(::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.valid())
        ::fsync(fd.get());
}

} // namespace

QByteArray readRegularFile(const QString& path, qint64 maxBytes) {
    // Without O_NONBLOCK, opening a pipe waits for a writer that may never come.
    Descriptor fd(
        ::open(FileNames::encode(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat status {};
    if (path.isEmpty() || !fd.valid() || ::fstat(fd.get(), &status) != 0 ||
        !S_ISREG(status.st_mode))
        throw UserError::cannotOpen(QDir::toNativeSeparators(path));
    if (status.st_size > maxBytes)
        throw tooLarge(path, maxBytes);

    // The size is only a first guess: the file may grow while it is read, and some
    // (those under /proc) report none at all.
    QByteArray content(qsizetype(status.st_size), Qt::Uninitialized);
    qsizetype used = 0;
    for (;;) {
        if (used == content.size()) {
            if (used > maxBytes)
                throw tooLarge(path, maxBytes);
            content.resize(qsizetype(qMin(qMax<qint64>(2 * used, 4096), maxBytes + 1)));
        }
        const ssize_t got = ::read(fd.get(), content.data() + used, size_t(content.size() - used));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw UserError::cannotOpen(QDir::toNativeSeparators(path));
        if (got == 0)
            break;
        used += got;
    }
    content.truncate(used);
    return content;
}

bool writeAtomically(const QString& path, QByteArrayView content) {
    AtomicFile file(path);
    return file.open() && file.device()->write(content.data(), content.size()) == content.size() &&
           file.commit();
}

// Writes to the temporary file's descriptor in large pieces, every byte of each or none.
// QFile is not used: a write that stops short without an error would go unnoticed.
class AtomicFile::Writer final : public QIODevice {
public:
    explicit Writer(int fd) : fd_(fd) {
        QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }
    ~Writer() override { fd_.close(); }
    bool isSequential() const override { return true; }
    int descriptor() const { return fd_.get(); }
    bool writeOut() {
        failed_ = failed_ || !writeAll(fd_.get(), pending_);
        pending_.clear();
        return !failed_;
    }
    bool closeFile() { return fd_.close(); }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        if (pending_.isEmpty() && size >= kPiece)
            failed_ = failed_ || !writeAll(fd_.get(), QByteArrayView(data, size));
        else if (pending_.append(data, size).size() >= kPiece)
            writeOut();
        return failed_ ? -1 : size;
    }

private:
    static constexpr qsizetype kPiece = 1 << 16;
    Descriptor fd_;
    QByteArray pending_;
    bool failed_ = false;
};

AtomicFile::AtomicFile(QString path) : path_(std::move(path)) {}

AtomicFile::~AtomicFile() {
    discard();
}

QIODevice* AtomicFile::device() {
    return writer_.get();
}

bool AtomicFile::open() {
    discard();
    if (path_.isEmpty())
        return false;
    const QString target = resolvedTarget(path_);
    targetName_ = FileNames::encode(target);
    struct stat old {};
    const bool replacing = ::stat(targetName_.constData(), &old) == 0;
    // A pipe or a device is not a file to replace with a regular one.
    if (replacing && !S_ISREG(old.st_mode))
        return false;
    Descriptor fd = createTemporary(target, temporaryName_);
    if (!fd.valid())
        return false;
    writer_ = std::make_unique<Writer>(fd.release());
    hardLinked_ = replacing && old.st_nlink > 1;
    if (replacing) {
        // Owner and group first: changing them may clear the set-id bits that the mode
        // then puts back. Only root or the owner may, which is as far as the file allows.
        [[maybe_unused]] const int owned = ::fchown(writer_->descriptor(), old.st_uid, old.st_gid);
        if (::fchmod(writer_->descriptor(), old.st_mode & 07777) != 0) {
            discard();
            return false;
        }
    }
    return true;
}

bool AtomicFile::rewriteInPlace() {
    Descriptor source(::open(temporaryName_.constData(), O_RDONLY | O_CLOEXEC));
    Descriptor target(::open(targetName_.constData(), O_WRONLY | O_CLOEXEC));
    if (!source.valid() || !target.valid())
        return false;
    QByteArray piece(1 << 16, Qt::Uninitialized);
    off_t size = 0;
    for (;;) {
        const ssize_t got = ::read(source.get(), piece.data(), size_t(piece.size()));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            break;
        if (!writeAll(target.get(), QByteArrayView(piece.constData(), got)))
            return false;
        size += got;
    }
    return ::ftruncate(target.get(), size) == 0 && ::fsync(target.get()) == 0 && target.close();
}

bool AtomicFile::commit() {
    if (!writer_)
        return false;
    // Every byte must be on the disk before the rename, or a crash or a full disk could
    // leave an empty or truncated file under the old name.
    const bool copied =
        writer_->writeOut() && ::fsync(writer_->descriptor()) == 0 && writer_->closeFile();
    if (copied && hardLinked_ && rewriteInPlace()) {
        discard();
        return true;
    }
    // Where writing in place fails half-way, the whole copy still takes the name.
    const bool written =
        copied && ::rename(temporaryName_.constData(), targetName_.constData()) == 0;
    if (!written) {
        discard();
        return false;
    }
    writer_.reset();
    temporaryName_.clear();
    syncDirectoryOf(targetName_);
    return true;
}

void AtomicFile::discard() {
    writer_.reset();
    if (!temporaryName_.isEmpty())
        ::unlink(temporaryName_.constData());
    temporaryName_.clear();
}

} // namespace SafeFile
