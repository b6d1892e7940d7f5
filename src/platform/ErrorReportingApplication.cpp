#include "ErrorReportingApplication.h"

#include "Dialogs.h"
#include "UserError.h"

ErrorReportingApplication::ErrorReportingApplication(int& argc, char** argv)
    : QApplication(argc, argv) {}

bool ErrorReportingApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const UserError& error) {
        reportError(error.message());
    } catch (const std::bad_alloc&) {
        reportError(QStringLiteral("Mémoire insuffisante"));
    }
    return false;
}

void reportError(const QString& message) {
    Dialogs::error(QApplication::activeWindow(), message);
}
