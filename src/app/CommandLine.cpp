#include "CommandLine.h"

#include "ErrorReportingApplication.h"
#include "TEtiq.h"
#include "UserError.h"

void openFromCommandLine(TEtiq& window, const QStringList& arguments) {
    if (arguments.size() < 2)
        return;
    try {
        window.Charge(arguments.at(1));
    } catch (const UserError& error) {
        reportError(error.message());
    }
}
