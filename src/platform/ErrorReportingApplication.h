#pragma once

#include <QApplication>

// The top of the event loop: a command that throws UserError is ended, its message
// shown, and the program goes on.
class ErrorReportingApplication : public QApplication {
public:
    ErrorReportingApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// Shows the message of a failed command; usable wherever a handler catches one itself.
void reportError(const QString& message);
