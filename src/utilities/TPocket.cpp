#include "TPocket.h"

#include "ErrorReportingApplication.h"
#include "UserError.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace {

// Button numbers: 0..9 the digits, then ",", "=", "+", "-", "*", "/", "1/x", "sqr", "C",
// "Fermer".
constexpr int kComma = 10;
constexpr int kEquals = 11;
constexpr int kPlus = 12;
constexpr int kReciprocal = 16;
constexpr int kSquareRoot = 17;
constexpr int kClear = 18;
constexpr int kClose = 19;

const char* const kCaptions[20] = {"0", "1", "2", "3", "4", "5", "6",   "7",   "8", "9",
                                   ",", "=", "+", "-", "*", "/", "1/x", "sqr", "C", "Fermer"};

// Where each button sits: row and column of the keypad under the display.
const int kPlaces[20][2] = {{4, 0}, {3, 0}, {3, 1}, {3, 2}, {2, 0}, {2, 1}, {2, 2},
                            {1, 0}, {1, 1}, {1, 2}, {4, 1}, {4, 2}, {4, 3}, {3, 3},
                            {2, 3}, {1, 3}, {2, 4}, {3, 4}, {1, 4}, {4, 4}};

int buttonForKey(QChar key) {
    if (key >= u'0' && key <= u'9')
        return key.unicode() - u'0';
    switch (key.toLower().unicode()) {
    case u',':
    case u'.':
        return kComma;
    case u'=':
        return kEquals;
    case u'+':
        return kPlus;
    case u'-':
        return kPlus + 1;
    case u'*':
        return kPlus + 2;
    case u'/':
        return kPlus + 3;
    case u'x':
        return kReciprocal;
    case u's':
        return kSquareRoot;
    case u'c':
        return kClear;
    default:
        return -1;
    }
}

} // namespace

TPocket::TPocket(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Pocket"));
    setWindowTitle(QStringLiteral("Calculatrice"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    auto* grid = new QGridLayout(this);
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Label1->setAutoFillBackground(true);
    Label1->setBackgroundRole(QPalette::Base);
    Label1->setMinimumHeight(28);
    // A long number keeps the window's size; the display shows its right-hand end.
    Label1->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    QFont display = Label1->font();
    display.setPointSize(display.pointSize() + 3);
    Label1->setFont(display);
    grid->addWidget(Label1, 0, 0, 1, 5);

    for (int i = 0; i < 20; ++i) {
        auto* button = new QPushButton(QString::fromLatin1(kCaptions[i]), this);
        button->setObjectName(QStringLiteral("Button%1").arg(i));
        button->setMinimumSize(i == kClose ? 60 : 40, 30);
        // "=" keeps the focus, so that Enter and Space evaluate and every typed key
        // reaches the window.
        button->setFocusPolicy(i == kEquals ? Qt::StrongFocus : Qt::NoFocus);
        button->setAutoDefault(i == kEquals);
        grid->addWidget(button, kPlaces[i][0], kPlaces[i][1]);
        buttons_[i] = button;
    }
    buttons_[kEquals]->setDefault(true);
    setFixedSize(sizeHint());

    for (int d = 0; d <= 9; ++d)
        connect(buttons_[d], &QPushButton::clicked, this,
                [this, d] { run([this, d] { calculator_.digit(d); }); });
    connect(buttons_[kComma], &QPushButton::clicked, this,
            [this] { run([this] { calculator_.comma(); }); });
    connect(buttons_[kEquals], &QPushButton::clicked, this,
            [this] { run([this] { calculator_.evaluate(); }); });
    for (int i = 0; i < 4; ++i) {
        const QChar op = QLatin1Char(kCaptions[kPlus + i][0]);
        connect(buttons_[kPlus + i], &QPushButton::clicked, this,
                [this, op] { run([this, op] { calculator_.operatorKey(op); }); });
    }
    connect(buttons_[kReciprocal], &QPushButton::clicked, this,
            [this] { run([this] { calculator_.reciprocal(); }); });
    connect(buttons_[kSquareRoot], &QPushButton::clicked, this,
            [this] { run([this] { calculator_.squareRoot(); }); });
    connect(buttons_[kClear], &QPushButton::clicked, this, [this] {
        run([this] { calculator_.clear(); });
        buttons_[kEquals]->setFocus();
    });
    connect(buttons_[kClose], &QPushButton::clicked, this, &QDialog::reject);
}

void TPocket::run(const std::function<void()>& operation) {
    QString failure;
    try {
        operation();
    } catch (const UserError& error) {
        failure = error.message();
    }
    Label1->setText(calculator_.DisplayText);
    if (!failure.isEmpty())
        reportError(failure);
}

void TPocket::FormActivate() {
    calculator_.clear();
    Label1->setText(calculator_.DisplayText);
    buttons_[kEquals]->setFocus();
}

bool TPocket::FormKeyPress(QKeyEvent* event) {
    const QString text = event->text();
    const int number = event->key() == Qt::Key_Escape
                           ? kClose
                           : (text.size() == 1 ? buttonForKey(text.at(0)) : -1);
    if (number < 0)
        return false;
    buttons_[number]->click();
    return true;
}

void TPocket::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormActivate();
}

void TPocket::keyPressEvent(QKeyEvent* event) {
    if (!FormKeyPress(event))
        QDialog::keyPressEvent(event);
}
