#include "Dialogs.h"

#include "FileNames.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QMainWindow>
#include <QRegularExpression>
#include <QTreeView>

namespace {

// The window a box belongs to: the caller's window, else the active one, else the main
// window, so that no box opens centred on the screen away from the program.
QWidget* anchor(QWidget* parent) {
    if (parent)
        return parent->window();
    if (QWidget* active = QApplication::activeWindow())
        return active;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->isVisible() && qobject_cast<QMainWindow*>(widget))
            return widget;
    return nullptr;
}

QString runFileDialog(QWidget* parent, const QString& caption, const QString& dir,
                      const QString& filter, QFileDialog::AcceptMode mode) {
    QFileDialog dialog(anchor(parent), caption, dir, filter);
    // Qt's own dialog everywhere, in detail view, its columns as wide as what they show.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    dialog.setViewMode(QFileDialog::Detail);
    if (mode == QFileDialog::AcceptSave) {
        // A name typed without an extension takes the chosen filter's ("*.svg": ".svg").
        const auto followFilter = [&dialog](const QString& chosen) {
            static const QRegularExpression pattern(QStringLiteral("\\(\\*\\.(\\w+)"));
            dialog.setDefaultSuffix(pattern.match(chosen).captured(1));
        };
        followFilter(dialog.selectedNameFilter());
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, followFilter);
    }
    auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    auto* model = dialog.findChild<QFileSystemModel*>();
    if (view && model)
        QObject::connect(model, &QFileSystemModel::directoryLoaded, view, [view] {
            for (int column = 0; column < view->header()->count(); ++column)
                view->resizeColumnToContents(column);
        });
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    // Qt shows a name that is not UTF-8 with U+FFFD: the file's own name is looked up again.
    return FileNames::resolve(dialog.selectedFiles().value(0));
}

} // namespace

QMessageBox::StandardButton DesktopDialogs::message(QWidget* parent, QMessageBox::Icon icon,
                                                    const QString& title, const QString& text,
                                                    QMessageBox::StandardButtons buttons) {
    QMessageBox box(icon, title, text, buttons, anchor(parent));
    return QMessageBox::StandardButton(box.exec());
}

int DesktopDialogs::runModal(QDialog* dialog) {
    return dialog->exec();
}

QString DesktopDialogs::openFileName(QWidget* parent, const QString& caption, const QString& dir,
                                     const QString& filter) {
    return runFileDialog(parent, caption, dir, filter, QFileDialog::AcceptOpen);
}

QString DesktopDialogs::saveFileName(QWidget* parent, const QString& caption, const QString& dir,
                                     const QString& filter) {
    return runFileDialog(parent, caption, dir, filter, QFileDialog::AcceptSave);
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
