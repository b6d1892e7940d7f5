#include "TCalendrier.h"

#include <QCalendarWidget>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

namespace {

// The program speaks French whatever the machine's locale.
const QLocale kFrench(QLocale::French, QLocale::France);

} // namespace

TCalendrier::TCalendrier(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Calendrier"));
    setWindowTitle(QStringLiteral("Calendrier"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setFixedWidth(372);
    QFont heading = Label1->font();
    heading.setPointSize(heading.pointSize() + 4);
    heading.setBold(true);
    Label1->setFont(heading);

    Calendar1 = new QCalendarWidget(this);
    Calendar1->setObjectName(QStringLiteral("Calendar1"));
    Calendar1->setLocale(kFrench);
    Calendar1->setFirstDayOfWeek(Qt::Sunday);
    Calendar1->setNavigationBarVisible(false);
    Calendar1->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    Calendar1->setSelectedDate(QDate::currentDate());
    Calendar1->setFixedWidth(372);

    BitBtn1 =
        new QPushButton(style()->standardIcon(QStyle::SP_ArrowLeft), QStringLiteral("Mois"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn2 = new QPushButton(QStringLiteral("Mois"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    // The arrow on the right of the caption, pointing the way the button pages.
    BitBtn2->setLayoutDirection(Qt::RightToLeft);
    BitBtn2->setIcon(style()->standardIcon(QStyle::SP_ArrowRight));
    Button1 = new QPushButton(QStringLiteral("Fermer"), this);
    Button1->setObjectName(QStringLiteral("Button1"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BitBtn1);
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addStretch();
    buttons->addWidget(BitBtn2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1, 0, Qt::AlignHCenter);
    layout->addWidget(Calendar1);
    layout->addLayout(buttons);
    setFixedSize(sizeHint());

    // Page Up and Page Down reach the grid's cells, not the grid, so the keys are caught
    // there and on the buttons.
    if (auto* cells = Calendar1->findChild<QTableView*>())
        cells->installEventFilter(this);
    for (QWidget* watched : {static_cast<QWidget*>(Calendar1), static_cast<QWidget*>(BitBtn1),
                             static_cast<QWidget*>(BitBtn2), static_cast<QWidget*>(Button1)})
        watched->installEventFilter(this);

    connect(Calendar1, &QCalendarWidget::selectionChanged, this, &TCalendrier::Calendar1Change);
    connect(BitBtn1, &QPushButton::clicked, this, &TCalendrier::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TCalendrier::BitBtn2Click);
    connect(Button1, &QPushButton::clicked, this, &TCalendrier::Button1Click);
    Calendar1Change();
}

void TCalendrier::FormActivate() {
    Calendar1Change();
    Calendar1->setFocus();
}

void TCalendrier::Calendar1Change() {
    Label1->setText(kFrench.toString(Calendar1->selectedDate(), QStringLiteral("MMMM  yyyy")));
}

void TCalendrier::page(int months) {
    // QDate takes the month's last day where the new month has no such day.
    Calendar1->setSelectedDate(Calendar1->selectedDate().addMonths(months));
}

void TCalendrier::BitBtn1Click() {
    page(-1);
}

void TCalendrier::BitBtn2Click() {
    page(1);
}

bool TCalendrier::Calendar1KeyDown(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_PageUp:
        BitBtn1Click();
        return true;
    case Qt::Key_PageDown:
        BitBtn2Click();
        return true;
    default:
        return false;
    }
}

void TCalendrier::Button1Click() {
    reject();
}

void TCalendrier::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormActivate();
}

bool TCalendrier::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && Calendar1KeyDown(static_cast<QKeyEvent*>(event)))
        return true;
    return QDialog::eventFilter(watched, event);
}
