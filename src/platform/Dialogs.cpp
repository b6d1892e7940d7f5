#include "Dialogs.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>

QMessageBox::StandardButton DesktopDialogs::message(QWidget* parent, QMessageBox::Icon icon,
                                                    const QString& title, const QString& text,
                                                    QMessageBox::StandardButtons buttons) {
    QMessageBox box(icon, title, text, buttons, parent);
    return QMessageBox::StandardButton(box.exec());
}

int DesktopDialogs::runModal(QDialog* dialog) {
    return dialog->exec();
}

QString DesktopDialogs::openFileName(QWidget* parent, const QString& caption, const QString& dir,
                                     const QString& filter) {
    return QFileDialog::getOpenFileName(parent, caption, dir, filter);
}

QString DesktopDialogs::saveFileName(QWidget* parent, const QString& caption, const QString& dir,
                                     const QString& filter) {
    return QFileDialog::getSaveFileName(parent, caption, dir, filter);
}

namespace Dialogs {
namespace {

std::shared_ptr<DialogProvider>& current() {
    static std::shared_ptr<DialogProvider> instance = std::make_shared<DesktopDialogs>();
    return instance;
}

QString title() {
    const QString name = QApplication::applicationDisplayName();
    return name.isEmpty() ? QStringLiteral("Vorlap") : name;
}

} // namespace

DialogProvider& provider() {
    return *current();
}

std::shared_ptr<DialogProvider> install(std::shared_ptr<DialogProvider> provider) {
    auto previous = current();
    current() = provider ? std::move(provider) : std::make_shared<DesktopDialogs>();
    return previous;
}

QMessageBox::StandardButton question(QWidget* parent, const QString& text,
                                     QMessageBox::StandardButtons buttons) {
    return provider().message(parent, QMessageBox::Question, title(), text, buttons);
}

QMessageBox::StandardButton warning(QWidget* parent, const QString& text,
                                    QMessageBox::StandardButtons buttons) {
    return provider().message(parent, QMessageBox::Warning, title(), text, buttons);
}

void error(QWidget* parent, const QString& text) {
    provider().message(parent, QMessageBox::Critical, title(), text, QMessageBox::Ok);
}

void information(QWidget* parent, const QString& text) {
    provider().message(parent, QMessageBox::Information, title(), text, QMessageBox::Ok);
}

int runModal(QDialog* dialog) {
    return provider().runModal(dialog);
}

QString openFileName(QWidget* parent, const QString& caption, const QString& dir,
                     const QString& filter) {
    return provider().openFileName(parent, caption, dir, filter);
}

QString saveFileName(QWidget* parent, const QString& caption, const QString& dir,
                     const QString& filter) {
    return provider().saveFileName(parent, caption, dir, filter);
}

} // namespace Dialogs
