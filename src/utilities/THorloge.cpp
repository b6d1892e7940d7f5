#include "THorloge.h"

#include "ErrorReportingApplication.h"
#include "SystemClock.h"
#include "UserError.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <iterator>

namespace {

// The displays keep these layouts whatever the machine's locale, so each field is found at
// its place.
const QString kTimeLayout = QStringLiteral("HH:mm:ss");
const QString kDateLayout = QStringLiteral("dd/MM/yyyy");

struct Field {
    const char* caption;
    bool onDate;
    int position;
    int width;
    int minimum;
    int maximum;
};

// No wrap-around and no carry: each field only moves between its bounds.
const Field kFields[] = {
    {"Hr", false, 0, 2, 0, 24}, {"Mn", false, 3, 2, 0, 59},     {"Jo", true, 0, 2, 0, 31},
    {"Mo", true, 3, 2, 0, 12},  {"An", true, 6, 4, 1900, 2099},
};

int number(const QString& text, int position, int width) {
    return text.mid(position, width).toInt();
}

} // namespace

THorloge::THorloge(QWidget* parent) : QDialog(parent), clock_(std::make_shared<DesktopClock>()) {
    setObjectName(QStringLiteral("Horloge"));
    setWindowTitle(QStringLiteral("Horloge"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setStyleSheet(QStringLiteral("#Panel1 { background: black; } QLabel { color: lime; }"));
    Label1 = new QLabel(panel);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2 = new QLabel(panel);
    Label2->setObjectName(QStringLiteral("Label2"));
    for (QLabel* label : {Label1, Label2}) {
        QFont font(QStringLiteral("Liberation Mono"));
        font.setPointSize(label == Label1 ? 26 : 16);
        font.setBold(true);
        label->setFont(font);
        label->setAlignment(Qt::AlignCenter);
    }
    auto* displays = new QVBoxLayout(panel);
    displays->addWidget(Label1);
    displays->addWidget(Label2);

    RadioGroup1 = new QGroupBox(this);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    fields_ = new QButtonGroup(this);
    auto* choices = new QHBoxLayout(RadioGroup1);
    for (int i = 0; i < int(std::size(kFields)); ++i) {
        auto* choice = new QRadioButton(QString::fromLatin1(kFields[i].caption), RadioGroup1);
        choice->setObjectName(QString::fromLatin1(kFields[i].caption));
        fields_->addButton(choice, i);
        choices->addWidget(choice);
    }

    SpinButton1 = new QWidget(this);
    SpinButton1->setObjectName(QStringLiteral("SpinButton1"));
    UpButton = new QToolButton(SpinButton1);
    UpButton->setObjectName(QStringLiteral("UpButton"));
    UpButton->setArrowType(Qt::UpArrow);
    DownButton = new QToolButton(SpinButton1);
    DownButton->setObjectName(QStringLiteral("DownButton"));
    DownButton->setArrowType(Qt::DownArrow);
    auto* arrows = new QVBoxLayout(SpinButton1);
    arrows->setContentsMargins(0, 0, 0, 0);
    arrows->setSpacing(0);
    arrows->addWidget(UpButton);
    arrows->addWidget(DownButton);
    for (QToolButton* arrow : {UpButton, DownButton})
        arrow->setAutoRepeat(true);

    Button2 = new QPushButton(QStringLiteral("Set"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    // Shown pressed while in set mode.
    Button2->setCheckable(true);
    Button1 = new QPushButton(QStringLiteral("Fermer"), this);
    Button1->setObjectName(QStringLiteral("Button1"));

    auto* controls = new QHBoxLayout;
    controls->addWidget(RadioGroup1);
    controls->addWidget(SpinButton1);
    controls->addStretch();
    controls->addWidget(Button2);
    controls->addWidget(Button1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel);
    layout->addLayout(controls);
    setFixedSize(sizeHint());

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &THorloge::Timer1Timer);
    connect(UpButton, &QToolButton::clicked, this, &THorloge::SpinButton1UpClick);
    connect(DownButton, &QToolButton::clicked, this, &THorloge::SpinButton1DownClick);
    connect(Button2, &QPushButton::clicked, this, &THorloge::Button2Click);
    connect(Button1, &QPushButton::clicked, this, &THorloge::Button1Click);
}

THorloge::~THorloge() = default;

void THorloge::setClock(std::shared_ptr<SystemClock> clock) {
    clock_ = std::move(clock);
}

void THorloge::refresh() {
    const QDateTime now = clock_->now();
    Label1->setText(now.time().toString(kTimeLayout));
    Label2->setText(now.date().toString(kDateLayout));
}

void THorloge::FormActivate() {
    setMode_ = false;
    Button2->setChecked(false);
    refresh();
    Timer1->start();
}

void THorloge::FormDeactivate() {
    Timer1->stop();
}

void THorloge::Timer1Timer() {
    refresh();
}

void THorloge::adjust(int step) {
    const int chosen = fields_->checkedId();
    if (chosen < 0)
        return;
    const Field& field = kFields[chosen];
    QLabel* display = field.onDate ? Label2 : Label1;
    const int value = std::clamp(number(display->text(), field.position, field.width) + step,
                                 field.minimum, field.maximum);
    QString text = display->text();
    text.replace(field.position, field.width,
                 QStringLiteral("%1").arg(value, field.width, 10, QChar(u'0')));
    display->setText(text);
}

void THorloge::SpinButton1UpClick() {
    adjust(1);
}

void THorloge::SpinButton1DownClick() {
    adjust(-1);
}

void THorloge::Button2Click() {
    if (!setMode_) {
        // The displays hold still while they are adjusted.
        setMode_ = true;
        Timer1->stop();
    } else {
        setMode_ = false;
        try {
            Modifie();
        } catch (const UserError& error) {
            reportError(error.message());
        }
        refresh();
        Timer1->start();
    }
    Button2->setChecked(setMode_);
}

void THorloge::Modifie() {
    const QString time = Label1->text();
    const QString date = Label2->text();
    clock_->setLocal(number(date, 6, 4), number(date, 3, 2), number(date, 0, 2), number(time, 0, 2),
                     number(time, 3, 2), number(time, 6, 2), clock_->timeZone());
}

void THorloge::Button1Click() {
    reject();
}

void THorloge::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormActivate();
}

void THorloge::hideEvent(QHideEvent* event) {
    FormDeactivate();
    QDialog::hideEvent(event);
}
