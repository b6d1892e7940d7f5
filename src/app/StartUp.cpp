#include "StartUp.h"

#include "CommandLine.h"
#include "TMainForm.h"
#include "TSplash.h"

#include <QApplication>

std::unique_ptr<TMainForm> startDesigner(const QStringList& arguments, const QString& startDir) {
    auto splash = std::make_unique<TSplash>();
    splash->show();
    splash->repaint();
    QApplication::processEvents();

    QApplication::setApplicationDisplayName(QStringLiteral("Vorlap"));

    auto mainForm = std::make_unique<TMainForm>(startDir);
    splash.reset();

    mainForm->showMaximized();
    openFromCommandLine(*mainForm->etiq(), arguments);
    return mainForm;
}
