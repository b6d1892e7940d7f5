#include "CommandLineOptions.h"
#include "SettingsFile.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

using Mode = CommandLineOptions::Mode;

CommandLineOptions parse(const QString& line) {
    return CommandLineOptions::parse(QStringList{"vorlap"} +
                                     line.split(QLatin1Char(' '), Qt::SkipEmptyParts));
}

} // namespace

class TestCommandLineOptions : public QObject {
    Q_OBJECT
private slots:
    void eachRunTakesItsOptions();
    void eachMistakeHasItsMessage_data();
    void eachMistakeHasItsMessage();
    void zoomAndMarginsDefaultToTheSettingsFile();
    void helpListsEveryOption();
};

void TestCommandLineOptions::eachRunTakesItsOptions() {
    CommandLineOptions o = parse("");
    QCOMPARE(o.mode, Mode::Designer);
    QVERIFY(!o.isCommandLineRun());
    QVERIFY(o.file.isEmpty());
    QCOMPARE(parse("a.etq").file, QString("a.etq"));

    o = parse("--png out.png a.etq");
    QCOMPARE(o.mode, Mode::Png);
    QCOMPARE(o.output, QString("out.png"));
    QCOMPARE(o.file, QString("a.etq"));

    o = parse("--svg out.svg a.etq");
    QCOMPARE(o.mode, Mode::Svg);
    QCOMPARE(o.output, QString("out.svg"));
    QVERIFY(o.isCommandLineRun());
    QCOMPARE(parse("--svg out.svg --png out.png a.etq").error,
             QString("Les options --svg et --png ne vont pas ensemble"));

    o = parse("--pdf out.pdf a.etq");
    QCOMPARE(o.mode, Mode::Pdf);
    QVERIFY(o.isCommandLineRun());
    QCOMPARE(o.output, QString("out.pdf"));
    QCOMPARE(o.dpi, 300);
    QCOMPARE(o.copies, 1);
    QVERIFY(!o.zoom && !o.margins);

    // Options in any order, with a blank or an '=' before the value.
    o = parse("--copies 3 --pdf=out.pdf a.etq --dpi=600 --zoom 200 --margins -5,0,10,20");
    QCOMPARE(o.error, QString());
    QCOMPARE(o.dpi, 600);
    QCOMPARE(o.copies, 3);
    QCOMPARE(o.zoom, std::optional<int>(200));
    QCOMPARE(*o.margins, (std::array<int, 4>{-5, 0, 10, 20}));

    o = parse("--print --printer Bureau --copies 999 a.etq");
    QCOMPARE(o.mode, Mode::Print);
    QCOMPARE(o.printer, QString("Bureau"));
    QCOMPARE(o.copies, 999);
    QCOMPARE(parse("--print a.etq").printer, QString());

    QCOMPARE(parse("--pdf out.pdf --dpi 30 a.etq").dpi, 30);
    QCOMPARE(parse("--pdf out.pdf --dpi 2400 a.etq").dpi, 2400);

    // The calibration page reads no label.
    o = parse("--calibration-page --pdf out.pdf --dpi 600 --offset -1.5,0.8");
    QCOMPARE(o.error, QString());
    QVERIFY(o.calibrationPage);
    QCOMPARE(o.mode, Mode::Pdf);
    QCOMPARE(o.offset, QPointF(-1.5, 0.8));
    QVERIFY(o.file.isEmpty());
    o = parse("--print --printer Bureau --calibration-page");
    QCOMPARE(o.error, QString());
    QVERIFY(o.calibrationPage);
    QCOMPARE(o.printer, QString("Bureau"));
    QVERIFY(!parse("--pdf out.pdf a.etq").calibrationPage);
}

void TestCommandLineOptions::eachMistakeHasItsMessage_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("error");
    const QString dpi = "La résolution doit être un nombre entier de 30 à 2400 : %1";
    const QString copies = "Le nombre de copies doit être un nombre entier de 1 à 999 : %1";
    const QString zoom = "Le zoom doit être un nombre entier de 1 à 1000 : %1";
    const QString margins =
        "Les marges doivent être quatre nombres entiers séparés par des virgules : %1";
    QTest::newRow("unknown") << "--pdf o.pdf --fast a.etq"
                             << "Option inconnue : --fast";
    QTest::newRow("single dash") << "-x a.etq"
                                 << "Option inconnue : -x";
    QTest::newRow("no value at the end") << "a.etq --pdf"
                                         << "L'option --pdf demande une valeur";
    QTest::newRow("an option for a value") << "--pdf --dpi 300 a.etq"
                                           << "L'option --pdf demande une valeur";
    QTest::newRow("empty value") << "--pdf= a.etq"
                                 << "L'option --pdf demande une valeur";
    QTest::newRow("value to a switch") << "--print=yes a.etq"
                                       << "L'option --print ne prend pas de valeur";
    QTest::newRow("twice") << "--pdf o.pdf --dpi 300 --dpi 600 a.etq"
                           << "L'option --dpi est donnée deux fois";
    QTest::newRow("two runs") << "--pdf o.pdf --print a.etq"
                              << "Les options --pdf et --print ne vont pas ensemble";
    QTest::newRow("dpi for a printer") << "--print --dpi 600 a.etq"
                                       << "L'option --dpi ne s'emploie qu'avec --pdf";
    QTest::newRow("printer for a PDF") << "--pdf o.pdf --printer P a.etq"
                                       << "L'option --printer ne s'emploie qu'avec --print";
    QTest::newRow("copies for the designer")
        << "--copies 2 a.etq"
        << "L'option --copies ne s'emploie qu'avec --pdf ou --print";
    QTest::newRow("zoom for a PNG") << "--png o.png --zoom 50 a.etq"
                                    << "L'option --zoom ne s'emploie qu'avec --pdf ou --print";
    QTest::newRow("dpi too low") << "--pdf o.pdf --dpi 29 a.etq" << dpi.arg("29");
    QTest::newRow("dpi too high") << "--pdf o.pdf --dpi 2401 a.etq" << dpi.arg("2401");
    QTest::newRow("dpi not a number") << "--pdf o.pdf --dpi 3e2 a.etq" << dpi.arg("3e2");
    QTest::newRow("no copies") << "--print --copies 0 a.etq" << copies.arg("0");
    QTest::newRow("too many copies") << "--print --copies 1000 a.etq" << copies.arg("1000");
    QTest::newRow("zoom 0") << "--print --zoom 0 a.etq" << zoom.arg("0");
    QTest::newRow("zoom too large") << "--print --zoom 1001 a.etq" << zoom.arg("1001");
    QTest::newRow("three margins") << "--print --margins 1,2,3 a.etq" << margins.arg("1,2,3");
    QTest::newRow("a margin not a number")
        << "--print --margins 1,2,x,4 a.etq" << margins.arg("1,2,x,4");
    QTest::newRow("no file") << "--pdf o.pdf"
                             << "Aucun fichier d'étiquette indiqué";
    QTest::newRow("two files") << "--print a.etq b.etq"
                               << "Argument en trop : b.etq";
    QTest::newRow("png without its output") << "--png a.etq"
                                            << "Aucun fichier d'étiquette indiqué";
    QTest::newRow("calibration page alone")
        << "--calibration-page"
        << "L'option --calibration-page ne s'emploie qu'avec --pdf ou --print";
    QTest::newRow("calibration page of a label") << "--calibration-page --pdf o.pdf a.etq"
                                                 << "Argument en trop : a.etq";
    QTest::newRow("calibration page zoomed") << "--calibration-page --print --zoom 50"
                                             << "L'option --zoom ne va pas avec --calibration-page";
}

void TestCommandLineOptions::eachMistakeHasItsMessage() {
    QFETCH(QString, line);
    QFETCH(QString, error);
    QCOMPARE(parse(line).error, error);
}

void TestCommandLineOptions::zoomAndMarginsDefaultToTheSettingsFile() {
    QTemporaryDir dir;
    const CommandLineOptions plain = parse("--pdf o.pdf a.etq");
    QCOMPARE(plain.pageSetup(dir.path()), (PageSetupValues{0, 0, 0, 0, 100}));
    QVERIFY(SettingsFile::write(SettingsFile::pathIn(dir.path()), {5, 6, 7, 8, 150}));
    QCOMPARE(plain.pageSetup(dir.path()), (PageSetupValues{5, 6, 7, 8, 150}));
    QCOMPARE(parse("--pdf o.pdf --zoom 200 a.etq").pageSetup(dir.path()),
             (PageSetupValues{5, 6, 7, 8, 200}));
    QCOMPARE(parse("--print --margins 1,2,3,4 a.etq").pageSetup(dir.path()),
             (PageSetupValues{1, 2, 3, 4, 150}));
}

void TestCommandLineOptions::helpListsEveryOption() {
    QCOMPARE(parse("--help").mode, Mode::Help);
    QCOMPARE(parse("--pdf o.pdf -h").mode, Mode::Help);
    QCOMPARE(parse("--pdf o.pdf --help").error, QString());
    const QString usage = CommandLineOptions::usage();
    for (const char* option : {"--png", "--svg", "--pdf", "--print", "--printer", "--dpi", "--zoom",
                               "--margins", "--copies", "--offset", "--calibration-page", "--help"})
        QVERIFY2(usage.contains(QLatin1String(option)), option);
}

QTEST_MAIN(TestCommandLineOptions)
#include "tst_commandlineoptions.moc"
