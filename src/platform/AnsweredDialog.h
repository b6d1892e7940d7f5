#pragma once

#include <QDialog>

// A dialog whose caller asks, once it is closed, whether it was answered "OK". Every way of
// closing goes through done(), so the answer is simply how it last closed: accept() is "OK",
// reject() is "Annuler", and Escape and the close box both call reject().
class AnsweredDialog : public QDialog {
public:
    using QDialog::QDialog;

    bool accepted() const { return accepted_; }

    void done(int result) override {
        accepted_ = result == QDialog::Accepted;
        QDialog::done(result);
    }

protected:
    // For a dialog whose Init starts a new question: an answer to the last one never counts.
    void forgetAnswer() { accepted_ = false; }

private:
    bool accepted_ = false;
};
