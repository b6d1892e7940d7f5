#pragma once

#include "Dialogs.h"

#include <QList>
#include <QQueue>
#include <QString>

#include <functional>
#include <memory>

// Answers the program's dialogs from a script and records what they showed.
class ScriptedDialogs : public DialogProvider {
public:
    struct Shown {
        QMessageBox::Icon icon;
        QString text;
        QMessageBox::StandardButtons buttons;
    };

    QQueue<QMessageBox::StandardButton> messageAnswers; // default: the first button offered
    QQueue<QString> fileAnswers;                        // default: cancelled
    // Called for each modal run instead of exec(); may edit the dialog. Default: Rejected.
    QQueue<std::function<int(QDialog*)>> modalAnswers;

    QList<Shown> messages;
    QStringList fileCaptions;
    QStringList fileFilters;
    int modalRuns = 0;

    QMessageBox::StandardButton message(QWidget* parent, QMessageBox::Icon icon,
                                        const QString& title, const QString& text,
                                        QMessageBox::StandardButtons buttons) override;
    int runModal(QDialog* dialog) override;
    QString openFileName(QWidget* parent, const QString& caption, const QString& dir,
                         const QString& filter) override;
    QString saveFileName(QWidget* parent, const QString& caption, const QString& dir,
                         const QString& filter) override;
};

// Installs a fresh script for the lifetime of the object.
class ScriptedDialogsScope {
public:
    ScriptedDialogsScope();
    ~ScriptedDialogsScope();
    ScriptedDialogs* operator->() const { return script_.get(); }
    ScriptedDialogs& operator*() const { return *script_; }

private:
    std::shared_ptr<ScriptedDialogs> script_;
    std::shared_ptr<DialogProvider> previous_;
};
