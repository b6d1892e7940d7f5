#include "StartUp.h"

#include "CommandLine.h"
#include "TMainForm.h"
#include "TSplash.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool installFrenchTranslations() {
    const QLocale french(QLocale::French, QLocale::France);
    QLocale::setDefault(french);
    static QTranslator translator;
    if (!translator.isEmpty())
        return true;
    if (!translator.load(french, QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    QCoreApplication::installTranslator(&translator);
    return true;
}

std::unique_ptr<TMainForm> startDesigner(const QStringList& arguments, const QString& startDir) {
    auto splash = std::make_unique<TSplash>();
    splash->show();
    splash->repaint();
    QApplication::processEvents();

    QApplication::setApplicationDisplayName(QStringLiteral("Vorlap"));
    installFrenchTranslations();

    auto mainForm = std::make_unique<TMainForm>(startDir);
    splash.reset();

    mainForm->showMaximized();
    openFromCommandLine(*mainForm->etiq(), arguments);
    return mainForm;
}
