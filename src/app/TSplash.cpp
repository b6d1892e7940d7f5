#include "TSplash.h"

#include "ButtonIcons.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

TSplash::TSplash() : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("Splash"));
    setFixedSize(318, 221);
    setAutoFillBackground(true);
    QPalette yellow = palette();
    yellow.setColor(QPalette::Window, QColor(255, 255, 0));
    setPalette(yellow);

    auto* panel = new QFrame(this);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(2);
    panel->setGeometry(12, 12, 294, 197);
    panel->setAutoFillBackground(true);
    QPalette white = panel->palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    panel->setPalette(white);

    auto* picture = new QLabel(panel);
    picture->setPixmap(programPicture(72));
    picture->setGeometry(16, 16, 80, 80);
    picture->setAlignment(Qt::AlignCenter);

    auto* name = new QLabel(QStringLiteral("Vorlap 2002"), panel);
    name->setFont(QFont(QStringLiteral("Arial"), 20, QFont::Bold));
    name->setGeometry(104, 30, 180, 40);
    auto* version = new QLabel(QStringLiteral("Version " VORLAP_VERSION), panel);
    version->setFont(QFont(QStringLiteral("Arial"), 11));
    version->setGeometry(104, 72, 180, 24);
    auto* line = new QLabel(QString::fromUtf8("Création d'étiquettes"), panel);
    line->setFont(QFont(QStringLiteral("Arial"), 10));
    line->setGeometry(16, 140, 262, 24);
    line->setAlignment(Qt::AlignCenter);

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}
