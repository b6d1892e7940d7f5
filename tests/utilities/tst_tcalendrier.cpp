#include "TCalendrier.h"

#include <QCalendarWidget>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTest>

namespace {

struct Calendar : TCalendrier {
    Calendar() {
        show();
        QApplication::setActiveWindow(this);
    }
    QString shown() const {
        return Label1->text() + ' ' + Calendar1->selectedDate().toString(Qt::ISODate);
    }
    QString key(Qt::Key key) {
        QTest::keyClick(QApplication::focusWidget(), key);
        return shown();
    }
    QTableView* cells() const { return Calendar1->findChild<QTableView*>(); }
};

} // namespace

class TestTCalendrier : public QObject {
    Q_OBJECT
private slots:
    void pagesMonthByMonthAndStaysThere();
    void weeksStartOnSunday();
};

void TestTCalendrier::pagesMonthByMonthAndStaysThere() {
    // The test runs under an English locale too (see tests/CMakeLists.txt).
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    Calendar c;
    QCOMPARE(c.Calendar1->selectedDate(), QDate::currentDate());
    c.Calendar1->setSelectedDate(QDate(2027, 1, 31));
    QCOMPARE(c.shown(), QString("janvier  2027 2027-01-31"));
    QCOMPARE(QApplication::focusWidget(), c.cells());
    // A day the next month lacks becomes its last day.
    QCOMPARE(c.key(Qt::Key_PageDown), QString("février  2027 2027-02-28"));
    QCOMPARE(c.key(Qt::Key_PageUp), QString("janvier  2027 2027-01-28"));
    c.BitBtn1->click();
    QCOMPARE(c.shown(), QString("décembre  2026 2026-12-28"));
    c.BitBtn2->click();
    c.BitBtn2->click();
    QCOMPARE(c.shown(), QString("février  2027 2027-02-28"));
    // The keys page on the buttons too.
    c.Button1->setFocus();
    QCOMPARE(c.key(Qt::Key_PageDown), QString("mars  2027 2027-03-28"));
    QCOMPARE(c.Label1->width(), 372);

    QTest::keyClick(c.Button1, Qt::Key_Escape);
    QVERIFY(!c.isVisible());
    c.show();
    QCOMPARE(c.shown(), QString("mars  2027 2027-03-28"));
    c.Button1->click();
    QVERIFY(!c.isVisible());
    QLocale::setDefault(QLocale::c());
}

void TestTCalendrier::weeksStartOnSunday() {
    Calendar c;
    c.Calendar1->setSelectedDate(QDate(2027, 2, 14));
    // February 2027 starts on a Monday: the first week shows Sunday the 31st of January
    // in its first column.
    const QAbstractItemModel* grid = c.cells()->model();
    QStringList firstWeek;
    for (int column = 0; column < 7; ++column)
        firstWeek.append(grid->index(1, column).data().toString());
    QCOMPARE(firstWeek.join(' '), QString("31 1 2 3 4 5 6"));
    QCOMPARE(grid->index(0, 0).data().toString(), QString("dim."));
}

QTEST_MAIN(TestTCalendrier)
#include "tst_tcalendrier.moc"
