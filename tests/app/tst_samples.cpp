#include "CommandLineRuns.h"
#include "ScriptedDialogs.h"
#include "TEtiq.h"

#include <QCryptographicHash>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

// Sample labels of every kind, drawn and saved: their pixels and saved bytes must not change
// unless a change of drawing or of the file format is meant. VORLAP_UPDATE_SAMPLES=1 writes
// the expected figures anew.
class TestSamples : public QObject {
    Q_OBJECT
private slots:
    void drawingsAndSavedFilesStayTheSame();
};

namespace {

QStringList sampleFiles() {
    QStringList files;
    for (const QString& folder :
         {QStringLiteral(VORLAP_SAMPLES_DIR), QStringLiteral(VORLAP_EXAMPLES_DIR)})
        for (const QFileInfo& info : QDir(folder).entryInfoList({"*.etq"}, QDir::Files, QDir::Name))
            files.append(info.absoluteFilePath());
    return files;
}

QByteArray pixelsHash(const QString& png) {
    const QImage image = QImage(png).convertToFormat(QImage::Format_RGB32);
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(QByteArray::number(image.width()) + 'x' + QByteArray::number(image.height()));
    for (int y = 0; y < image.height(); ++y)
        hash.addData(QByteArrayView(reinterpret_cast<const char*>(image.constScanLine(y)),
                                    qsizetype(image.width()) * 4));
    return hash.result().toHex();
}

QByteArray savedHash(const QString& label, const QString& out) {
    ScriptedDialogsScope script;
    TEtiq etiq;
    etiq.Charge(label);
    etiq.document().Modified = true;
    etiq.document().FileName = out;
    etiq.Sauve(0);
    QFile file(out);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1).toHex();
}

} // namespace

void TestSamples::drawingsAndSavedFilesStayTheSame() {
    QTemporaryDir dir;
    QByteArray figures;
    for (const QString& label : sampleFiles()) {
        const QString name = QFileInfo(label).fileName();
        const QString png = dir.filePath(name + ".png");
        QCOMPARE(exportPng(label, png), 0);
        figures += name.toUtf8() + ' ' + pixelsHash(png) + ' ' +
                   savedHash(label, dir.filePath(name)) + '\n';
    }
    const QString expectedPath = QStringLiteral(VORLAP_SAMPLES_DIR "/expected.txt");
    if (qEnvironmentVariableIsSet("VORLAP_UPDATE_SAMPLES")) {
        QFile out(expectedPath);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(figures);
        return;
    }
    QFile expected(expectedPath);
    QVERIFY(expected.open(QIODevice::ReadOnly));
    const QList<QByteArray> want = expected.readAll().split('\n');
    const QList<QByteArray> got = figures.split('\n');
    QCOMPARE(got.size(), want.size());
    for (qsizetype i = 0; i < got.size(); ++i)
        QCOMPARE(got[i], want[i]);
}

QTEST_MAIN(TestSamples)
#include "tst_samples.moc"
