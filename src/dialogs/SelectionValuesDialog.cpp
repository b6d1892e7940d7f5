#include "SelectionValuesDialog.h"

#include "DialogButtons.h"
#include "Dialogs.h"
#include "SpinEdit.h"

#include <QGridLayout>
#include <QLabel>

SelectionValuesDialog::SelectionValuesDialog(const QString& name, const QString& title,
                                             const char* firstCaption, const char* secondCaption,
                                             QWidget* parent)
    : AnsweredDialog(parent) {
    setObjectName(name);
    setWindowTitle(title);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    grid_ = new QGridLayout(this);
    grid_->setSizeConstraint(QLayout::SetFixedSize);
    const char* const captions[] = {firstCaption, secondCaption};
    SpinEdit** boxes[] = {&SpinEdit1, &SpinEdit2};
    for (int i = 0; i < 2; ++i) {
        auto* caption = new QLabel(QString::fromLatin1(captions[i]), this);
        auto* box = new SpinEdit(0, kLargestValue, 0, this);
        box->setObjectName(QStringLiteral("SpinEdit%1").arg(i + 1));
        box->setMinimumWidth(80);
        caption->setBuddy(box);
        grid_->addWidget(caption, i, 0);
        grid_->addWidget(box, i, 1);
        *boxes[i] = box;
    }
    const CancelOkButtons cancelOk = makeCancelOkButtons(this, EnterPresses::Nothing);
    Button1 = cancelOk.cancel;
    Button2 = cancelOk.ok;
    grid_->setColumnMinimumWidth(2, 16);
    grid_->addWidget(Button1, 0, 3);
    grid_->addWidget(Button2, 1, 3);
    connect(Button1, &QPushButton::clicked, this, &SelectionValuesDialog::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &SelectionValuesDialog::Button2Click);
}

void SelectionValuesDialog::start(int first, int second) {
    forgetAnswer();
    start_ = QPoint(first, second);
    SpinEdit1->setValue(first);
    SpinEdit2->setValue(second);
    shown_ = QPoint(SpinEdit1->value(), SpinEdit2->value());
}

QPoint SelectionValuesDialog::change() const {
    if (!accepted())
        return {};
    const int first = SpinEdit1->readValue();
    const int second = SpinEdit2->readValue();
    return {first == shown_.x() ? 0 : first - start_.x(),
            second == shown_.y() ? 0 : second - start_.y()};
}

int SelectionValuesDialog::Execute() {
    return Dialogs::runModal(this);
}

void SelectionValuesDialog::Button1Click() {
    reject();
}

void SelectionValuesDialog::Button2Click() {
    accept();
}

void SelectionValuesDialog::showEvent(QShowEvent* event) {
    AnsweredDialog::showEvent(event);
    SpinEdit1->setFocus();
    SpinEdit1->selectAll();
}
