#include "PngExport.h"

#include "Dialogs.h"
#include "TEtiq.h"
#include "UserError.h"

#include <QDir>
#include <cstdio>
#include <cstring>

namespace {

// Without a person to answer, every message is printed and every question cancelled.
class StderrDialogs : public DialogProvider {
public:
    QMessageBox::StandardButton message(QWidget*, QMessageBox::Icon, const QString&,
                                        const QString& text,
                                        QMessageBox::StandardButtons buttons) override {
        std::fprintf(stderr, "vorlap: %s\n", text.toLocal8Bit().constData());
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
    TEtiq etiq;
    try {
        etiq.Charge(labelPath);
    } catch (const UserError& error) {
        std::fprintf(stderr, "vorlap: %s\n", error.message().toLocal8Bit().constData());
        return 1;
    }
    if (!etiq.surface().save(pngPath, "PNG")) {
        std::fprintf(stderr, "vorlap: %s\n",
                     UserError::cannotCreate(QDir::toNativeSeparators(pngPath))
                         .message()
                         .toLocal8Bit()
                         .constData());
        return 1;
    }
    return 0;
}
