#pragma once

#include "AnsweredDialog.h"

#include <QString>

class QKeyEvent;
class QLineEdit;
class QPushButton;

// The one-line text entry of the text tool: Enter gives the typed text, Escape nothing.
class TEditext : public AnsweredDialog {
    Q_OBJECT
public:
    explicit TEditext(QWidget* parent = nullptr);

    // Readies the dialog for a new text: an empty field and no answer yet.
    void Init();
    // Runs the dialog modally through the program's dialog seam.
    int Execute();
    // The field's text when the window was closed with Enter, else an empty text.
    QString Result() const;

    // Empties the field; runs each time the window opens.
    void FormActivate();
    // Enter accepts and Escape cancels, both closing the window; true when the key was
    // one of them, which is then swallowed.
    bool FormKeyPress(QKeyEvent* event);

    QLineEdit* Edit1 = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};
