#include "ScriptedDialogs.h"

#include <QDialog>

QMessageBox::StandardButton ScriptedDialogs::message(QWidget*, QMessageBox::Icon icon,
                                                     const QString&, const QString& text,
                                                     QMessageBox::StandardButtons buttons) {
    messages.append({icon, text, buttons});
    if (!messageAnswers.isEmpty())
        return messageAnswers.dequeue();
    for (int bit = 0; bit < 32; ++bit) {
        const auto button = QMessageBox::StandardButton(1u << bit);
        if (buttons.testFlag(button))
            return button;
    }
    return QMessageBox::NoButton;
}

int ScriptedDialogs::runModal(QDialog* dialog) {
    ++modalRuns;
    if (modalAnswers.isEmpty())
        return QDialog::Rejected;
    return modalAnswers.dequeue()(dialog);
}

QString ScriptedDialogs::openFileName(QWidget*, const QString& caption, const QString&,
                                      const QString& filter) {
    fileCaptions.append(caption);
    fileFilters.append(filter);
    return fileAnswers.isEmpty() ? QString() : fileAnswers.dequeue();
}

QString ScriptedDialogs::saveFileName(QWidget*, const QString& caption, const QString&,
                                      const QString& filter) {
    fileCaptions.append(caption);
    fileFilters.append(filter);
    return fileAnswers.isEmpty() ? QString() : fileAnswers.dequeue();
}

ScriptedDialogsScope::ScriptedDialogsScope()
    : script_(std::make_shared<ScriptedDialogs>()), previous_(Dialogs::install(script_)) {}

ScriptedDialogsScope::~ScriptedDialogsScope() {
    Dialogs::install(previous_);
}
