#include "CommandLine.h"
#include "ErrorReportingApplication.h"
#include "TEtiq.h"

int main(int argc, char** argv) {
    ErrorReportingApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Vorlap"));
    app.setApplicationDisplayName(QStringLiteral("Vorlap"));

    TEtiq window;
    window.resize(900, 650);
    window.show();
    openFromCommandLine(window, app.arguments());
    return app.exec();
}
