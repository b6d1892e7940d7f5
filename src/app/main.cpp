#include "CommandLine.h"
#include "ErrorReportingApplication.h"
#include "PngExport.h"
#include "TEtiq.h"

int main(int argc, char** argv) {
    // An export draws off screen, so it runs where there is no display at all.
    const bool png = isPngExport(argc, argv);
    if (png && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ErrorReportingApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Vorlap"));
    app.setApplicationDisplayName(QStringLiteral("Vorlap"));
    if (png) {
        const QStringList args = app.arguments();
        return exportPng(args.value(3), args.value(2));
    }

    TEtiq window;
    window.resize(900, 650);
    window.show();
    openFromCommandLine(window, app.arguments());
    return app.exec();
}
