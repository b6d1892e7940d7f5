#include "TEditext.h"

#include "Dialogs.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

bool breaksLine(QChar c) {
    return c == u'\t' || c == u'\n' || c == u'\r' || c == QChar::LineSeparator ||
           c == QChar::ParagraphSeparator;
}

} // namespace

TEditext::TEditext(QWidget* parent) : AnsweredDialog(parent) {
    setWindowTitle(QStringLiteral("Editeur de texte"));
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMinimumWidth(320);
    Edit1->installEventFilter(this);
    // Buttons for the mouse beside Enter and Escape; the keyboard stays in the field.
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    CancelButton = new QPushButton(QStringLiteral("Annuler"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    for (QPushButton* button : {OKButton, CancelButton}) {
        button->setAutoDefault(false);
        button->setFocusPolicy(Qt::NoFocus);
    }
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Edit1);
    layout->addLayout(buttons);
    setFocusProxy(Edit1);

    // A text object is one line of a line-based file: a TAB or line break pasted into the
    // field becomes a blank at once, so what is seen is what is stored.
    connect(Edit1, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (std::none_of(text.begin(), text.end(), breaksLine))
            return;
        QString clean = text;
        std::replace_if(clean.begin(), clean.end(), breaksLine, QChar(u' '));
        const int cursor = Edit1->cursorPosition();
        Edit1->setText(clean);
        Edit1->setCursorPosition(cursor);
    });
}

void TEditext::Init() {
    forgetAnswer();
    FormActivate();
}

int TEditext::Execute() {
    return Dialogs::runModal(this);
}

QString TEditext::Result() const {
    return accepted() ? Edit1->text() : QString();
}

void TEditext::FormActivate() {
    Edit1->clear();
    Edit1->setFocus();
}

bool TEditext::FormKeyPress(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        accept();
        return true;
    case Qt::Key_Escape:
        reject();
        return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return true; // no TAB in a text, and nowhere else for the focus to go
    default:
        return false;
    }
}

void TEditext::showEvent(QShowEvent* event) {
    FormActivate();
    AnsweredDialog::showEvent(event);
}

void TEditext::keyPressEvent(QKeyEvent* event) {
    if (!FormKeyPress(event))
        AnsweredDialog::keyPressEvent(event);
}

bool TEditext::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Edit1 && event->type() == QEvent::KeyPress)
        return FormKeyPress(static_cast<QKeyEvent*>(event));
    return AnsweredDialog::eventFilter(watched, event);
}
