#pragma once

#include <QMessageBox>
#include <QString>

#include <functional>
#include <memory>

class QDialog;
class QWidget;

// Every message box, modal run and file dialog of the program goes through here,
// so that tests can answer them from a script instead of waiting for a person.
class DialogProvider {
public:
    virtual ~DialogProvider() = default;
    virtual QMessageBox::StandardButton message(QWidget* parent, QMessageBox::Icon icon,
                                                const QString& title, const QString& text,
                                                QMessageBox::StandardButtons buttons) = 0;
    // Runs the dialog modally; returns QDialog::Accepted or QDialog::Rejected.
    virtual int runModal(QDialog* dialog) = 0;
    // An empty string means the user cancelled.
    virtual QString openFileName(QWidget* parent, const QString& caption, const QString& dir,
                                 const QString& filter) = 0;
    virtual QString saveFileName(QWidget* parent, const QString& caption, const QString& dir,
                                 const QString& filter) = 0;
};

// The real desktop dialogs.
class DesktopDialogs : public DialogProvider {
public:
    QMessageBox::StandardButton message(QWidget* parent, QMessageBox::Icon icon,
                                        const QString& title, const QString& text,
                                        QMessageBox::StandardButtons buttons) override;
    int runModal(QDialog* dialog) override;
    QString openFileName(QWidget* parent, const QString& caption, const QString& dir,
                         const QString& filter) override;
    QString saveFileName(QWidget* parent, const QString& caption, const QString& dir,
                         const QString& filter) override;
};

namespace Dialogs {

// The provider in use; the desktop one unless a test installed another.
DialogProvider& provider();
// Installs a provider (nullptr restores the desktop one); returns the previous one.
std::shared_ptr<DialogProvider> install(std::shared_ptr<DialogProvider> provider);

QMessageBox::StandardButton warning(QWidget* parent, const QString& text,
                                    QMessageBox::StandardButtons buttons = QMessageBox::Ok);
void error(QWidget* parent, const QString& text);
void information(QWidget* parent, const QString& text);
int runModal(QDialog* dialog);
QString openFileName(QWidget* parent, const QString& caption, const QString& dir,
                     const QString& filter);
QString saveFileName(QWidget* parent, const QString& caption, const QString& dir,
                     const QString& filter);

} // namespace Dialogs
