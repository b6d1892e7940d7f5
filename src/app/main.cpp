#include "ErrorReportingApplication.h"
#include "PngExport.h"
#include "StartUp.h"
#include "TMainForm.h"

#include <QDir>

int main(int argc, char** argv) {
    // An export draws off screen, so it runs where there is no display at all.
    const bool png = isPngExport(argc, argv);
    if (png && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ErrorReportingApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Vorlap"));
    if (png) {
        const QStringList args = app.arguments();
        return exportPng(args.value(3), args.value(2));
    }

    // The settings file belongs to the directory the program was started in.
    const std::unique_ptr<TMainForm> mainForm = startDesigner(app.arguments(), QDir::currentPath());
    return app.exec();
}
