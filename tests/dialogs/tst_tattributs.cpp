#include "ScriptedDialogs.h"
#include "TAttributs.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

class TestTAttributs : public QObject {
    Q_OBJECT
private slots:
    void captions();
    void savedLabelShowsItsFile();
    void unsavedLabelShowsToday();
    void unreadableHeaderShowsZero();
};

void TestTAttributs::captions() {
    TAttributs dialog;
    QCOMPARE(dialog.windowTitle(), QString("Propriétés de l'image"));
    QStringList captions;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        if (label->objectName().isEmpty())
            captions << label->text();
    QCOMPARE(captions, QStringList({"Nom du fichier", "Taille du fichier", "Date de modification",
                                    "Largeur", "Hauteur", "Nombre d'objets"}));
    auto* close = dialog.findChild<QPushButton*>("Button1");
    QCOMPARE(close->text(), QString("Fermer"));
    close->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
}

void TestTAttributs::savedLabelShowsItsFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath("etiquette.etq");
    LineList lines = LineCodec::newLabel({70, 42, 0, 0});
    for (int i = 0; i < 5; ++i)
        lines << " 0RECT 000000010010\t000FFFFFF00100000000000000000C0Arial";
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(QByteArray(1234, 'x')), 1234);
    QVERIFY(file.flush());
    QVERIFY(file.setFileTime(QDateTime(QDate(2023, 3, 7), QTime(10, 30)),
                             QFileDevice::FileModificationTime));
    file.close();

    ScriptedDialogsScope script;
    TAttributs dialog;
    dialog.Init(path, lines, QDate(2030, 1, 1));
    QCOMPARE(dialog.values(),
             QStringList({"etiquette.etq", "1234 octets", "07/03/2023", "70 mm", "42 mm", "6"}));
    QCOMPARE(dialog.findChild<QLabel*>("objectCountValue")->text(), QString("6"));
    dialog.Execute();
    QCOMPARE(script->modalRuns, 1);
}

void TestTAttributs::unsavedLabelShowsToday() {
    TAttributs dialog;
    dialog.Init(QString(), LineCodec::newLabel({300, 10, 5, 5}), QDate(2024, 12, 25));
    QCOMPARE(dialog.values(), QStringList({"", "0 octets", "25/12/2024", "300 mm", "10 mm", "1"}));

    // A named file that does not exist (yet) is shown by name, size 0 and today.
    dialog.Init("/nowhere/at/all/neuf.etq", LineCodec::newLabel(), QDate(2024, 1, 2));
    QCOMPARE(dialog.values(),
             QStringList({"neuf.etq", "0 octets", "02/01/2024", "70 mm", "42 mm", "1"}));
}

void TestTAttributs::unreadableHeaderShowsZero() {
    const LabelProperties p = labelProperties({}, {"04Z02A000000", " 0BLANK"}, QDate(2024, 1, 1));
    QCOMPARE(p.width, 0);
    QCOMPARE(p.height, 42);
    QCOMPARE(labelProperties({}, {"0", " 0BLANK"}, {}).height, 0);
    QCOMPARE(labelProperties({}, {}, {}).objectCount, 0);
}

QTEST_MAIN(TestTAttributs)
#include "tst_tattributs.moc"
