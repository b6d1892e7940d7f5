#include "ErrorReportingApplication.h"
#include "PngExport.h"
#include "StartUp.h"
#include "TMainForm.h"

#include <QDir>

#include <exception>

int main(int argc, char** argv) {
    if (isPngExport(argc, argv)) {
        // An export draws off screen, so it runs where there is no display at all.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        // A command-line run ends with a message and a status, never with an abort.
        try {
            ErrorReportingApplication app(argc, argv);
            app.setApplicationName(QStringLiteral("Vorlap"));
            const QStringList args = app.arguments();
            return exportPng(args.value(3), args.value(2));
        } catch (const std::exception&) {
            return exportFailed();
        }
    }

    ErrorReportingApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Vorlap"));
    // The settings file belongs to the directory the program was started in.
    const std::unique_ptr<TMainForm> mainForm = startDesigner(app.arguments(), QDir::currentPath());
    return app.exec();
}
