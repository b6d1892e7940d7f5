#include "ScriptedDialogs.h"
#include "SystemClock.h"
#include "THorloge.h"
#include "UserError.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <cerrno>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// An open clock window over a fake clock that stands at `now`.
struct Clock : THorloge {
    std::shared_ptr<FakeClock> fake;
    explicit Clock(const QDateTime& now) : fake(std::make_shared<FakeClock>(now)) {
        setClock(fake);
        show();
    }
    void choose(const char* field) { findChild<QRadioButton*>(field)->click(); }
    QString up(int times = 1) { return press(UpButton, times); }
    QString down(int times = 1) { return press(DownButton, times); }
    QString press(QToolButton* arrow, int times) {
        for (int i = 0; i < times; ++i)
            arrow->click();
        return shown();
    }
    QString shown() const { return Label1->text() + ' ' + Label2->text(); }
    // The timer's own event, rather than waiting a second.
    void tick() {
        QTimerEvent event(Timer1->timerId());
        QCoreApplication::sendEvent(Timer1, &event);
    }
};

QDateTime at(QDate date, QTime time, const char* zone = "Europe/Paris") {
    return QDateTime(date, time, QTimeZone(zone));
}

} // namespace

class TestTHorloge : public QObject {
    Q_OBJECT
private slots:
    void displaysKeepTheirLayoutWhateverTheLocale();
    void fieldsMoveWithinTheirBounds();
    void adjustmentsOutsideSetModeLastUntilTheNextTick();
    void setGivesTheClockTheUtcInstant_data();
    void setGivesTheClockTheUtcInstant();
    void refusalsAreShownAndNothingIsSet();
    void theMachinesClockReportsARefusal();
};

void TestTHorloge::displaysKeepTheirLayoutWhateverTheLocale() {
    // The test runs under an English locale too (see tests/CMakeLists.txt).
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    Clock c(at(QDate(2027, 1, 15), QTime(9, 5, 7)));
    QCOMPARE(c.shown(), QString("09:05:07 15/01/2027"));
    c.Button2->click();
    c.choose("Mo");
    QCOMPARE(c.up(), QString("09:05:07 15/02/2027"));
    c.choose("Mn");
    QCOMPARE(c.down(), QString("09:04:07 15/02/2027"));
    c.Button2->click();
    QCOMPARE(c.fake->setTo.value(0),
             QDateTime(QDate(2027, 2, 15), QTime(8, 4, 7), QTimeZone::utc()));
    QLocale::setDefault(QLocale::c());
}

void TestTHorloge::fieldsMoveWithinTheirBounds() {
    Clock c(at(QDate(1900, 1, 1), QTime(23, 0, 59)));
    c.Button2->click();
    // No field chosen yet: the arrows do nothing.
    QCOMPARE(c.up(), QString("23:00:59 01/01/1900"));
    c.choose("Hr");
    QCOMPARE(c.up(), QString("24:00:59 01/01/1900"));
    QCOMPARE(c.up(), QString("24:00:59 01/01/1900"));
    QCOMPARE(c.down(25), QString("00:00:59 01/01/1900"));
    c.choose("Mn");
    QCOMPARE(c.down(), QString("00:00:59 01/01/1900"));
    QCOMPARE(c.up(60), QString("00:59:59 01/01/1900"));
    c.choose("Jo");
    QCOMPARE(c.down(), QString("00:59:59 00/01/1900"));
    QCOMPARE(c.down(), QString("00:59:59 00/01/1900"));
    QCOMPARE(c.up(32), QString("00:59:59 31/01/1900"));
    c.choose("Mo");
    QCOMPARE(c.down(2), QString("00:59:59 31/00/1900"));
    QCOMPARE(c.up(13), QString("00:59:59 31/12/1900"));
    c.choose("An");
    QCOMPARE(c.down(), QString("00:59:59 31/12/1900"));
    QCOMPARE(c.up(199), QString("00:59:59 31/12/2099"));
    QCOMPARE(c.up(), QString("00:59:59 31/12/2099"));
}

void TestTHorloge::adjustmentsOutsideSetModeLastUntilTheNextTick() {
    Clock c(at(QDate(2027, 5, 1), QTime(12, 30, 0)));
    QVERIFY(c.Timer1->isActive());
    QCOMPARE(c.Timer1->interval(), 1000);
    c.choose("Mn");
    QCOMPARE(c.up(), QString("12:31:00 01/05/2027"));
    c.fake->current = c.fake->current.addSecs(1);
    c.tick();
    QCOMPARE(c.shown(), QString("12:30:01 01/05/2027"));
    // In set mode the displays stand still while they are adjusted.
    c.Button2->click();
    QVERIFY(c.setMode());
    QVERIFY(!c.Timer1->isActive());
    QCOMPARE(c.up(), QString("12:31:01 01/05/2027"));
    // Closing in set mode sets nothing; the next opening shows the time, out of set mode.
    QTest::keyClick(&c, Qt::Key_Escape);
    QVERIFY(!c.isVisible());
    QVERIFY(!c.Timer1->isActive());
    QVERIFY(c.fake->setTo.isEmpty());
    c.show();
    QVERIFY(!c.setMode());
    QVERIFY(!c.Button2->isChecked());
    QVERIFY(c.Timer1->isActive());
    QCOMPARE(c.shown(), QString("12:30:01 01/05/2027"));
    c.Button1->click();
    QVERIFY(!c.isVisible());
}

void TestTHorloge::setGivesTheClockTheUtcInstant_data() {
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QTime>("utc");
    QTest::newRow("Paris, winter")
        << QByteArray("Europe/Paris") << QDate(2027, 1, 15) << QTime(9, 20, 30);
    QTest::newRow("Paris, summer")
        << QByteArray("Europe/Paris") << QDate(2027, 7, 15) << QTime(8, 20, 30);
    QTest::newRow("UTC") << QByteArray("UTC") << QDate(2027, 7, 15) << QTime(10, 20, 30);
}

void TestTHorloge::setGivesTheClockTheUtcInstant() {
    QFETCH(QByteArray, zone);
    QFETCH(QDate, date);
    QFETCH(QTime, utc);
    QVERIFY(QTimeZone(zone).isValid());
    ScriptedDialogsScope script;
    Clock c(at(date, QTime(7, 20, 30), zone.constData()));
    c.Button2->click();
    QVERIFY(c.Button2->isChecked());
    c.choose("Hr");
    QCOMPARE(c.up(3), "10:20:30 " + date.toString("dd/MM/yyyy"));
    c.Button2->click();
    QCOMPARE(c.fake->setTo, QList<QDateTime>{QDateTime(date, utc, QTimeZone::utc())});
    QVERIFY(!c.setMode());
    QVERIFY(c.Timer1->isActive());
    QVERIFY(script->messages.isEmpty());
}

void TestTHorloge::refusalsAreShownAndNothingIsSet() {
    ScriptedDialogsScope script;
    const auto setAfter = [&](Clock& c, const char* field, int steps) {
        c.Button2->click();
        c.choose(field);
        c.up(steps);
        c.Button2->click();
        return script->messages.isEmpty() ? QString() : script->messages.takeFirst().text;
    };
    Clock c(at(QDate(2027, 1, 31), QTime(23, 0, 0)));
    QCOMPARE(setAfter(c, "Mo", 1), QString("Date ou heure impossible : 31/02/2027 23:00:00"));
    // The displays show the clock again, as it was.
    QCOMPARE(c.shown(), QString("23:00:00 31/01/2027"));
    QVERIFY(c.Timer1->isActive());
    QCOMPARE(setAfter(c, "Hr", 1), QString("Date ou heure impossible : 31/01/2027 24:00:00"));
    // 02:30 never comes the day the clocks go forward.
    c.fake->current = at(QDate(2027, 3, 28), QTime(1, 30, 0));
    c.tick();
    QCOMPARE(setAfter(c, "Hr", 1), QString("Date ou heure impossible : 28/03/2027 02:30:00"));
    c.fake->refusal = EPERM;
    QCOMPARE(setAfter(c, "Mn", 1),
             QString("Vous n'avez pas le droit de régler l'horloge de l'ordinateur"));
    QVERIFY(c.fake->setTo.isEmpty());
    QVERIFY(script->messages.isEmpty());
}

void TestTHorloge::theMachinesClockReportsARefusal() {
    // In a child without the right to set the clock: a run as root gives it up first. The
    // child asks for the time it reads, so even a clock that took it would hardly move.
    const pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(3);
        DesktopClock clock;
        const QDateTime now = clock.now();
        try {
            clock.setLocal(now.date().year(), now.date().month(), now.date().day(),
                           now.time().hour(), now.time().minute(), now.time().second(),
                           clock.timeZone());
        } catch (const UserError& error) {
            _exit(error.message() == "Vous n'avez pas le droit de régler l'horloge de l'ordinateur"
                      ? 0
                      : 1);
        }
        _exit(2);
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0);
}

QTEST_MAIN(TestTHorloge)
#include "tst_thorloge.moc"
