#include "PngExport.h"

#include "Dialogs.h"
#include "SafeFile.h"
#include "TEtiq.h"
#include "UserError.h"

#include <QBuffer>
#include <QDir>
#include <cstdio>
#include <cstring>
#include <new>

namespace {

void printError(const QString& text) {
    std::fprintf(stderr, "vorlap: %s\n", text.toLocal8Bit().constData());
}

// Without a person to answer, every message is printed and every question cancelled.
class StderrDialogs : public DialogProvider {
public:
    QMessageBox::StandardButton message(QWidget*, QMessageBox::Icon, const QString&,
                                        const QString& text,
                                        QMessageBox::StandardButtons buttons) override {
        printError(text);
        return buttons.testFlag(QMessageBox::Cancel) ? QMessageBox::Cancel : QMessageBox::Ok;
    }
    int runModal(QDialog*) override { return 0; }
    QString openFileName(QWidget*, const QString&, const QString&, const QString&) override {
        return {};
    }
    QString saveFileName(QWidget*, const QString&, const QString&, const QString&) override {
        return {};
    }
};

void exportOrThrow(const QString& labelPath, const QString& pngPath) {
    TEtiq etiq;
    etiq.Charge(labelPath);
    // Encoded in memory first, so that a disk that fills up leaves no half-written PNG.
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !etiq.surface().save(&buffer, "PNG") ||
        !SafeFile::writeAtomically(pngPath, png))
        throw UserError::cannotCreate(QDir::toNativeSeparators(pngPath));
}

} // namespace

bool isPngExport(int argc, char** argv) {
    return argc > 1 && std::strcmp(argv[1], "--png") == 0;
}

int exportPng(const QString& labelPath, const QString& pngPath) {
    Dialogs::install(std::make_shared<StderrDialogs>());
    if (labelPath.isEmpty() || pngPath.isEmpty()) {
        std::fprintf(stderr, "usage: vorlap --png OUT.png FILE.etq\n");
        return 2;
    }
    try {
        exportOrThrow(labelPath, pngPath);
        return 0;
    } catch (const std::exception&) {
        return exportFailed();
    }
}

int exportFailed() {
    try {
        throw;
    } catch (const UserError& error) {
        printError(error.message());
    } catch (const std::bad_alloc&) {
        printError(QStringLiteral("Mémoire insuffisante"));
    } catch (const std::exception& error) {
        printError(QString::fromLocal8Bit(error.what()));
    }
    return 1;
}
