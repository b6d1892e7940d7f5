#include "ErrorReportingApplication.h"
#include "HelpViewer.h"
#include "LabelFile.h"
#include "MainFormFixture.h"
#include "StartUp.h"
#include "TAboutBox.h"
#include "TNouveau.h"
#include "TSplash.h"
#include "UserError.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QToolButton>

namespace {

// Records which windows were shown, in order.
class ShowRecorder : public QObject {
public:
    QStringList shown;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->isWindow())
            shown.append(QString::fromLatin1(watched->metaObject()->className()));
        return false;
    }
};

QAction* menuEntry(TMainForm& form, const QString& menu, const QString& caption) {
    for (QAction* title : form.menuBar()->actions())
        for (QAction* item : title->menu()->actions())
            if (title->text() == menu && item->text() == caption)
                return item;
    qFatal("no menu entry %s", qPrintable(caption));
}

template <typename T> int countWidgets() {
    int count = 0;
    for (QWidget* widget : QApplication::allWidgets())
        count += qobject_cast<T*>(widget) ? 1 : 0;
    return count;
}

} // namespace

class TestStartUp : public QObject {
    Q_OBJECT
private slots:
    void startsInOrderWithEveryFormOnce();
    void makesSavesAndQuitsThroughTheMenus();
    void aFailingCommandIsShownAndTheProgramGoesOn();
};

void TestStartUp::startsInOrderWithEveryFormOnce() {
    QTemporaryDir dir;
    ScriptedDialogsScope script;
    ShowRecorder recorder;
    qApp->installEventFilter(&recorder);
    const QString sample = QFINDTESTDATA("../../examples/adresse.etq");
    auto form = startDesigner({"vorlap", sample}, dir.path());
    qApp->removeEventFilter(&recorder);

    QCOMPARE(recorder.shown.value(0), QString("TSplash"));
    QVERIFY(recorder.shown.contains("TMainForm"));
    QCOMPARE(countWidgets<TSplash>(), 0);
    QCOMPARE(QApplication::applicationDisplayName(), QString("Vorlap"));
    QVERIFY(form->isVisible() && (form->windowState() & Qt::WindowMaximized));
    QCOMPARE(countWidgets<TMainForm>(), 1);
    QCOMPARE(countWidgets<TAboutBox>(), 1);
    QCOMPARE(countWidgets<TEtiq>(), 1);
    QCOMPARE(countWidgets<TNouveau>(), 1);
    QCOMPARE(countWidgets<HelpViewer>(), 1);
    // The label named on the command line is open.
    QCOMPARE(form->windowTitle(), QString("adresse.etq[*] - Vorlap"));
    QVERIFY(!form->isWindowModified());
    QCOMPARE(form->etiq()->frameSize(), QSize(280, 168));
    QVERIFY(script->messages.isEmpty());
}

void TestStartUp::makesSavesAndQuitsThroughTheMenus() {
    QTemporaryDir dir;
    ScriptedDialogsScope script;
    auto form = startDesigner({"vorlap"}, dir.path());
    script->modalAnswers.enqueue(formatAnswer({"50", "30", "2", "3"}));
    script->fileAnswers.enqueue(dir.filePath("essai"));

    bool stillOpen = false;
    QTimer::singleShot(0, form.get(), [&] {
        menuEntry(*form, "&Fichier", "&Nouveau...")->trigger();
        QTest::mouseClick(form->findChild<QToolButton*>("RectangleButton"), Qt::LeftButton);
        form->etiq()->FormMouseDown(10, 10);
        form->etiq()->FormMouseMove(60, 40);
        form->etiq()->FormMouseUp(60, 40);
        menuEntry(*form, "&Fichier", "&Enregistrer")->trigger();
        menuEntry(*form, "&Fichier", "&Quitter")->trigger();
        stillOpen = form->isVisible();
        if (stillOpen)
            QCoreApplication::exit(1);
    });
    QCOMPARE(QCoreApplication::exec(), 0);
    QVERIFY(!stillOpen);

    const QList<QByteArray> saved = fileBytes(dir.filePath("essai.etq")).split('\n');
    QCOMPARE(saved.size(), 4);
    QCOMPARE(saved[0], QByteArray("03201E002003\r"));
    QCOMPARE(saved[1], QByteArray(" 0BLANK\r"));
    QVERIFY(saved[2].startsWith(" 0RECT 00A00A03C028\t"));
    QCOMPARE(fileBytes(dir.filePath("Vorlap.ini")), QByteArray("0 0 0 0 100\r\n"));
    QVERIFY(script->messages.isEmpty());
}

void TestStartUp::aFailingCommandIsShownAndTheProgramGoesOn() {
    QTemporaryDir dir;
    ScriptedDialogsScope script;
    auto form = startDesigner({"vorlap"}, dir.path());
    // A menu command whose file cannot be read: the handler at the top of the event loop
    // shows the French message, and the next command still runs.
    script->fileAnswers.enqueue(dir.filePath("absent.etq"));
    menuEntry(*form, "&Fichier", "&Ouvrir...")->trigger();
    QTest::qWait(0);
    QCOMPARE(script->messages.size(), 1);
    QCOMPARE(script->messages[0].text, "Ne peut ouvrir le fichier " + dir.filePath("absent.etq"));
    QCOMPARE(script->messages[0].icon, QMessageBox::Critical);

    // An exception thrown by any event handler meets the same handler.
    class Failing : public QObject {
    public:
        bool event(QEvent* e) override {
            if (e->type() == QEvent::User)
                throw UserError(QStringLiteral("'$0ZZ' n'est pas une valeur entière correcte"));
            return QObject::event(e);
        }
    } failing;
    QCoreApplication::postEvent(&failing, new QEvent(QEvent::User));
    QCoreApplication::sendPostedEvents(&failing, QEvent::User);
    QCOMPARE(script->messages.size(), 2);
    QCOMPARE(script->messages[1].text, QString("'$0ZZ' n'est pas une valeur entière correcte"));
    QVERIFY(form->isVisible());
    form->etiq()->document().Modified = false;
    form->close();
}

int main(int argc, char** argv) {
    // The program's own application object, so failures meet the program's handler.
    ErrorReportingApplication app(argc, argv);
    TestStartUp test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_startup.moc"
