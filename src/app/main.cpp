#include "CommandLineOptions.h"
#include "CommandLineRuns.h"
#include "ErrorReportingApplication.h"
#include "SettingsFile.h"
#include "SheetCatalogue.h"
#include "StartUp.h"
#include "TMainForm.h"

#include <QDir>

#include <exception>

namespace {

// The user's own sheets sit beside the settings that moved to the configuration folder.
void useUserSheets() {
    SheetCatalogue::setUserFile(
        QDir(SettingsFile::configDirectory()).filePath(QStringLiteral("planches.txt")));
}

} // namespace

int main(int argc, char** argv) {
    const CommandLineOptions early = CommandLineOptions::parse(argc, argv);
    if (early.isCommandLineRun() || !early.error.isEmpty()) {
        // An export or a print draws off screen, so it runs where there is no display.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        // A command-line run ends with a message and a status, never with an abort.
        try {
            ErrorReportingApplication app(argc, argv);
            app.setApplicationName(QStringLiteral("Vorlap"));
            useUserSheets();
            // Read again once Qt has taken its own options out of argv.
            return runCommandLine(CommandLineOptions::parse(argc, argv), QDir::currentPath());
        } catch (const std::exception&) {
            return exportFailed();
        }
    }

    ErrorReportingApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Vorlap"));
    useUserSheets();
    // The settings file belongs to the directory the program was started in.
    const std::unique_ptr<TMainForm> mainForm =
        startDesigner(CommandLineOptions::arguments(argc, argv), QDir::currentPath());
    return app.exec();
}
