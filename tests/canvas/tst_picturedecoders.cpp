#include "GdiCanvas.h"
#include "MetafilePlayer.h"
#include "MetafileWriter.h"
#include "PictureDecoders.h"
#include "UserError.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <gif_lib.h>
#include <sys/stat.h>

using namespace PictureDecoders;
using namespace metafile_writer;

namespace {

const QRgb red = qRgb(255, 0, 0), green = qRgb(0, 255, 0), blue = qRgb(0, 0, 255),
           white = qRgb(255, 255, 255), black = qRgb(0, 0, 0);

bool near(QRgb a, QRgb b, int tolerance = 12) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance &&
           std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

// Four solid quarters: red, green / blue, white.
QImage quarters(int w, int h, QImage::Format format = QImage::Format_RGB32) {
    QImage image(w, h, format);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y,
                           y < h / 2 ? (x < w / 2 ? red : green) : (x < w / 2 ? blue : white));
    return image;
}

QByteArray encoded(const QImage& image, const char* format, int quality = -1,
                   bool progressive = false) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    writer.setProgressiveScanWrite(progressive);
    writer.write(image);
    return bytes;
}

// A GIF written by giflib itself: palette red, green, blue, white; `transparent` is a
// palette index or -1. Rows are handed over in file order, which interlacing changes.
QByteArray gifFile(const QString& path, const QImage& picture, int transparent, bool interlace) {
    int error = 0;
    GifFileType* gif = EGifOpenFileName(QFile::encodeName(path).constData(), false, &error);
    const GifColorType colours[4] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
    ColorMapObject* map = GifMakeMapObject(4, colours);
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, picture.width(), picture.height(), 2, 0, map);
    if (transparent >= 0) {
        GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, 0, transparent};
        GifByteType block[4];
        const size_t length = EGifGCBToExtension(&control, block);
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(length), block);
    }
    EGifPutImageDesc(gif, 0, 0, picture.width(), picture.height(), interlace, nullptr);
    QList<int> rows;
    if (interlace) {
        for (auto [start, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}})
            for (int y = start; y < picture.height(); y += step)
                rows.append(y);
    } else {
        for (int y = 0; y < picture.height(); ++y)
            rows.append(y);
    }
    for (int y : rows) {
        std::vector<GifPixelType> line;
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb px = picture.pixel(x, y);
            line.push_back(px == red ? 0 : px == green ? 1 : px == blue ? 2 : 3);
        }
        EGifPutLine(gif, line.data(), picture.width());
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

// One icon file holding several pictures: Qt writes one per file, the directories are merged.
QByteArray iconFile(const QList<QImage>& pictures) {
    QList<QByteArray> singles;
    for (const QImage& p : pictures)
        singles.append(encoded(p, "ico"));
    QByteArray out;
    put16(out, 0);
    put16(out, 1);
    put16(out, int(singles.size()));
    qint64 offset = 6 + 16 * singles.size();
    QByteArray data;
    for (const QByteArray& single : singles) {
        QByteArray entry = single.mid(6, 16);
        const QByteArray payload = single.mid(6 + 16);
        set32(entry, 12, offset + data.size());
        out += entry;
        data += payload;
    }
    return out + data;
}

QByteArray damaged(QByteArray bytes, qsizetype at, qsizetype length) {
    for (qsizetype i = at; i < at + length && i < bytes.size(); ++i)
        bytes[i] = char(0xFF);
    return bytes;
}

QImage rendered(const QByteArray& data, QSize size) {
    const auto metafile = Metafile::fromData(data);
    if (!metafile)
        return {};
    return metafile->render(size).value_or(QImage());
}

// A scene used by several cases: left half red, a blue ellipse on the right, and a green
// square at the top left drawn with the brush that took the first freed slot.
QByteArray wmfScene() {
    WmfWriter w(QRect(0, 0, 100, 50), 96);
    w.createBrush(0, 0x0000FF); // slot 0: red
    w.select(0);
    w.createPen(5, 0, 0); // slot 1: no outline
    w.select(1);
    w.rectangle(0, 0, 50, 50);
    w.createBrush(0, 0xFF0000); // slot 2: blue
    w.select(2);
    w.ellipse(60, 10, 100, 50);
    w.remove(0);
    w.record(0x0F0F, {1, 2, 3}); // a record nobody knows
    w.createBrush(0, 0x00FF00);  // takes slot 0 again
    w.select(0);
    w.rectangle(0, 0, 10, 10);
    return w.finish();
}

QByteArray emfScene() {
    EmfWriter e(QRect(0, 0, 1000, 500)); // 100 x 50 reference pixels
    e.createBrush(1, 0, 0x0000FF);
    e.select(1);
    e.select(0x80000008); // stock: no pen
    e.rectangle(0, 0, 50, 50);
    e.createBrush(2, 0, 0xFF0000);
    e.select(2);
    e.ellipse(60, 10, 100, 50);
    e.select(0x80000004); // stock: black brush
    e.rectangle(0, 0, 10, 10);
    e.createBrush(1, 0, 0x00FF00); // handle 1 replaced
    e.select(1);
    e.record(59, {});                                      // begin path
    e.polygon16({{20, 20}, {45, 20}, {45, 45}, {20, 45}}); // a square, as a path
    e.record(60, {});                                      // end path
    e.record(62, {0, 0, 0, 0});                            // fill path
    e.record(9999, {7});                                   // unknown
    return e.finish();
}

} // namespace

class TestPictureDecoders : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(dir.isValid()); }

    void decoderChosenByExtensionThenContent();
    void openPictureFilter();
    void rasterPictures_data();
    void rasterPictures();
    void transparencyBecomesWhite();
    void iconTakesTheStandardSize();
    void wmfRecordsAreReplayed();
    void wmfWindowAndPicturesAndText();
    void emfRecordsAreReplayed();
    void emfMappingAndPicturesAndText();
    void metafileNaturalSizeAndReduction();
    void playingLeavesTheCanvasAsItWas();
    void reductionRoundsHalvesToEven_data();
    void reductionRoundsHalvesToEven();
    void damagedFilesGiveTheMessage_data();
    void damagedFilesGiveTheMessage();
    void hugePicturesAreRefusedBeforeDecoding();
    void onlyRegularFilesOfAPicturesSizeAreRead();
    void mutatedFilesNeverCrash();

private:
    QString write(const QString& name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return path;
    }
    QTemporaryDir dir;
};

void TestPictureDecoders::decoderChosenByExtensionThenContent() {
    QCOMPARE(formatFromExtension("/home/x/ICONS/photo.BMP"), Format::Bitmap);
    QCOMPARE(formatFromExtension("C:/pics.gif/label.Jpeg"), Format::Jpeg);
    QCOMPARE(formatFromExtension("a.ico.wmf"), Format::Wmf);
    QCOMPARE(formatFromExtension("/tmp/EMF/readme"), Format::Unknown);

    // A bitmap in a folder named ICONS is a bitmap, not an icon.
    const QString bitmap = write("ICONS/logo.bmp", encoded(quarters(20, 10), "bmp"));
    DecodedPicture p = decodePicture(bitmap);
    QCOMPARE(p.image.size(), QSize(20, 10));
    QCOMPARE(p.kind, 1);
    QCOMPARE(p.image.format(), QImage::Format_RGB32);

    // The content's signature overrides a misleading extension.
    p = decodePicture(write("really-a-png.jpg", encoded(quarters(8, 6), "png")));
    QCOMPARE(p.image.pixel(7, 0), green);
    p = decodePicture(write("really-a-wmf.bmp", wmfScene()));
    QCOMPARE(p.kind, 2);
}

void TestPictureDecoders::openPictureFilter() {
    QCOMPARE(PictureDecoders::openPictureFilter(),
             QString("Tous  (*.bmp *.ico *.wmf *.emf *.jpg *.jpeg *.gif *.png);;Bitmap (*.bmp);;"
                     "Icônes (*.ico);;Metafiles (*.wmf *.emf);;PNG (*.png)"));
}

void TestPictureDecoders::rasterPictures_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("tolerance");
    const QImage picture = quarters(24, 16);
    QTest::newRow("bmp") << "p.bmp" << encoded(picture, "bmp") << 0;
    QTest::newRow("bmp 8-bit") << "p8.BMP"
                               << encoded(picture.convertToFormat(QImage::Format_Indexed8), "bmp")
                               << 0;
    QTest::newRow("ico") << "p.ico" << encoded(picture, "ico") << 0;
    QTest::newRow("png") << "p.png" << encoded(picture, "png") << 0;
    QTest::newRow("jpeg") << "p.jpg" << encoded(picture, "jpg", 100) << 40;
    QTest::newRow("jpeg progressive") << "p.jpeg" << encoded(picture, "jpg", 100, true) << 40;
    QTest::newRow("gif") << "p.gif" << gifFile(dir.filePath("w.gif"), picture, -1, false) << 0;
    QTest::newRow("gif interlaced")
        << "i.gif" << gifFile(dir.filePath("wi.gif"), picture, -1, true) << 0;
}

void TestPictureDecoders::rasterPictures() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(int, tolerance);
    const DecodedPicture p = decodePicture(write(name, bytes));
    QCOMPARE(p.kind, 1);
    QCOMPARE(p.image.size(), QSize(24, 16));
    QCOMPARE(p.naturalSize, QSize(24, 16));
    // Away from the edges between quarters, where JPEG blurs.
    QVERIFY(near(p.image.pixel(3, 3), red, tolerance));
    QVERIFY(near(p.image.pixel(20, 3), green, tolerance));
    QVERIFY(near(p.image.pixel(3, 13), blue, tolerance));
    QVERIFY(near(p.image.pixel(20, 13), white, tolerance));
    // Every row in its place, which interlaced GIFs and bottom-up bitmaps put to the test.
    if (tolerance == 0)
        QCOMPARE(p.image, quarters(24, 16));
}

void TestPictureDecoders::transparencyBecomesWhite() {
    const QImage picture = quarters(16, 16);
    // Palette index 0 (red) transparent.
    DecodedPicture p =
        decodePicture(write("t.gif", gifFile(dir.filePath("tw.gif"), picture, 0, false)));
    QCOMPARE(p.image.pixel(2, 2), white);
    QCOMPARE(p.image.pixel(13, 2), green);

    QImage alpha(10, 10, QImage::Format_ARGB32);
    alpha.fill(Qt::transparent);
    alpha.setPixel(5, 5, qRgba(0, 0, 255, 255));
    for (const char* format : {"png", "ico"}) {
        p = decodePicture(write(QString("alpha.") + format, encoded(alpha, format)));
        QCOMPARE(p.image.pixel(0, 0), white);
        QCOMPARE(p.image.pixel(5, 5), blue);
        QCOMPARE(p.image.format(), QImage::Format_RGB32);
    }
}

void TestPictureDecoders::iconTakesTheStandardSize() {
    QImage small(16, 16, QImage::Format_RGB32), standard(32, 32, QImage::Format_RGB32),
        large(48, 48, QImage::Format_RGB32);
    small.fill(red);
    standard.fill(green);
    large.fill(blue);
    const DecodedPicture p = decodePicture(write("three.ico", iconFile({large, small, standard})));
    QCOMPARE(p.image.size(), QSize(32, 32));
    QCOMPARE(p.image.pixel(16, 16), green);
}

void TestPictureDecoders::wmfRecordsAreReplayed() {
    const QImage image = rendered(wmfScene(), QSize(100, 50));
    QVERIFY(!image.isNull());
    QCOMPARE(image.pixel(30, 30), red);
    QCOMPARE(image.pixel(80, 30), blue);
    QCOMPARE(image.pixel(55, 30), white);
    // The brush created after deleting slot 0 went into slot 0.
    QCOMPARE(image.pixel(5, 5), green);
    QCOMPARE(image.pixel(12, 12), red);

    // Stretched to twice the size, every figure follows.
    const QImage big = rendered(wmfScene(), QSize(200, 100));
    QCOMPARE(big.pixel(10, 10), green);
    QCOMPARE(big.pixel(60, 60), red);
    QCOMPARE(big.pixel(160, 60), blue);
    QCOMPARE(big.pixel(110, 60), white);
}

void TestPictureDecoders::wmfWindowAndPicturesAndText() {
    // The window set by the records maps onto the whole picture.
    WmfWriter w(QRect(0, 0, 100, 50), 96);
    w.setWindow(1000, 1000, 200, 100);
    w.createBrush(0, 0x0000FF);
    w.select(0);
    w.rectangle(1000, 1000, 1100, 1100);
    QImage image = rendered(w.finish(), QSize(100, 50));
    QCOMPARE(image.pixel(25, 25), red);
    QCOMPARE(image.pixel(75, 25), white);

    // A picture with rows stored bottom up lands the right way round.
    WmfWriter pic(QRect(0, 0, 100, 50), 96);
    pic.stretchDib(quarters(2, 2), 0, 0, 100, 50);
    image = rendered(pic.finish(), QSize(100, 50));
    QCOMPARE(image.pixel(10, 10), red);
    QCOMPARE(image.pixel(90, 10), green);
    QCOMPARE(image.pixel(10, 40), blue);
    QCOMPARE(image.pixel(90, 40), white);

    // Text in the text colour, from its top-left corner, without a background box.
    WmfWriter text(QRect(0, 0, 100, 50), 96);
    text.createFont(-30, "Arial", 700);
    text.select(0);
    text.setTextColor(0x0000FF);
    text.setBkMode(1);
    text.textOut(20, 10, "HH");
    image = rendered(text.finish(), QSize(100, 50));
    int inked = 0;
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 100; ++x) {
            const QRgb px = image.pixel(x, y);
            if (px == white)
                continue;
            QVERIFY2(x >= 20 && y >= 10, qPrintable(QString("ink at %1,%2").arg(x).arg(y)));
            QVERIFY(qRed(px) > qGreen(px) && qRed(px) > qBlue(px));
            ++inked;
        }
    QVERIFY(inked > 50);
}

void TestPictureDecoders::emfRecordsAreReplayed() {
    const QImage image = rendered(emfScene(), QSize(100, 50));
    QVERIFY(!image.isNull());
    QCOMPARE(image.pixel(15, 15), red);
    QCOMPARE(image.pixel(80, 30), blue);
    QCOMPARE(image.pixel(5, 5), black);
    QCOMPARE(image.pixel(30, 30), green); // the filled path
    QCOMPARE(image.pixel(55, 5), white);
}

void TestPictureDecoders::emfMappingAndPicturesAndText() {
    // Anisotropic mapping: 10 x 5 logical units fill the 100 x 50 frame.
    EmfWriter e;
    e.setMapMode(8);
    e.setWindowExt(10, 5);
    e.setViewportExt(100, 50);
    e.createBrush(1, 0, 0xFF0000);
    e.select(1);
    e.rectangle(5, 0, 10, 5);
    QImage image = rendered(e.finish(), QSize(100, 50));
    QCOMPARE(image.pixel(75, 25), blue);
    QCOMPARE(image.pixel(25, 25), white);

    EmfWriter pic;
    pic.stretchDiBits(quarters(2, 2), 0, 0, 100, 50);
    image = rendered(pic.finish(), QSize(100, 50));
    QCOMPARE(image.pixel(10, 10), red);
    QCOMPARE(image.pixel(90, 10), green);
    QCOMPARE(image.pixel(10, 40), blue);
    QCOMPARE(image.pixel(90, 40), white);

    EmfWriter text;
    text.textOutW(10, 10, QString::fromUtf8("Eté"), 0x00FF00);
    image = rendered(text.finish(), QSize(100, 50));
    int inked = 0;
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 100; ++x)
            if (image.pixel(x, y) != white) {
                QVERIFY2(x >= 10 && y >= 10, qPrintable(QString("ink at %1,%2").arg(x).arg(y)));
                QVERIFY(qGreen(image.pixel(x, y)) > qRed(image.pixel(x, y)));
                ++inked;
            }
    QVERIFY(inked > 10);
}

void TestPictureDecoders::metafileNaturalSizeAndReduction() {
    // 300 x 100 logical units at 96 per inch: reduced to 150 x 50 (k = 1).
    WmfWriter wide(QRect(0, 0, 300, 100), 96);
    wide.createBrush(0, 0x0000FF);
    wide.select(0);
    wide.rectangle(0, 0, 150, 100);
    DecodedPicture p = decodePicture(write("wide.wmf", wide.finish()));
    QCOMPARE(p.kind, 2);
    QCOMPARE(p.naturalSize, QSize(300, 100));
    QCOMPARE(p.image.size(), QSize(150, 50));
    QCOMPARE(p.image.pixel(30, 25), red);
    QCOMPARE(p.image.pixel(120, 25), white);

    // Twips: 1440 per inch.
    p = decodePicture(write("twips.wmf", WmfWriter(QRect(0, 0, 1440, 720), 1440).finish()));
    QCOMPARE(p.naturalSize, QSize(96, 48));

    // A plain WMF takes its size from its window.
    WmfWriter plain(QRect(), 0, false);
    plain.setWindow(0, 0, 80, 40);
    p = decodePicture(write("plain.wmf", plain.finish()));
    QCOMPARE(p.image.size(), QSize(80, 40));

    // The EMF frame in hundredths of a millimetre, at 96 pixels per inch.
    p = decodePicture(write("frame.emf", EmfWriter(QRect(0, 0, 2540, 1270)).finish()));
    QCOMPARE(p.kind, 2);
    QCOMPARE(p.naturalSize, QSize(96, 48));
}

void TestPictureDecoders::playingLeavesTheCanvasAsItWas() {
    QImage image(100, 50, QImage::Format_RGB32);
    image.fill(Qt::white);
    GdiCanvas canvas(&image);
    canvas.setPenColor(0x123456);
    canvas.setBrushStyle(BrushCross);
    canvas.setFontName("Courier New");
    canvas.setPenMode(PenMode::NotXor);
    QVERIFY(Metafile::fromData(wmfScene())->play(canvas, QRect(0, 0, 50, 25)));
    canvas.flush();
    QCOMPARE(canvas.penColor(), ColorRef(0x123456));
    QCOMPARE(canvas.brushStyle(), int(BrushCross));
    QCOMPARE(canvas.fontName(), QString("Courier New"));
    QCOMPARE(canvas.penMode(), PenMode::NotXor);
    // Drawn in copy mode into the target only.
    QCOMPARE(image.pixel(15, 15), red);
    QCOMPARE(image.pixel(75, 40), white);
}

void TestPictureDecoders::reductionRoundsHalvesToEven_data() {
    QTest::addColumn<QSize>("natural");
    QTest::addColumn<QSize>("reduced");
    QTest::newRow("small enough") << QSize(150, 140) << QSize(150, 140);
    QTest::newRow("exactly 21000") << QSize(210, 100) << QSize(210, 100);
    QTest::newRow("k = 1") << QSize(300, 100) << QSize(150, 50);
    QTest::newRow("1.5 rounds to 2") << QSize(315, 150) << QSize(105, 50);
    QTest::newRow("2.5 rounds to 2") << QSize(525, 250) << QSize(175, 83);
    QTest::newRow("3.5 rounds to 4") << QSize(735, 350) << QSize(147, 70);
}

void TestPictureDecoders::reductionRoundsHalvesToEven() {
    QFETCH(QSize, natural);
    QFETCH(QSize, reduced);
    QCOMPARE(reduceMetafileSize(natural), reduced);
}

void TestPictureDecoders::damagedFilesGiveTheMessage_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    const QImage picture = quarters(40, 30);
    const QByteArray bmp = encoded(picture, "bmp"), png = encoded(picture, "png"),
                     ico = encoded(picture, "ico"), jpg = encoded(picture, "jpg", 90),
                     gif = gifFile(dir.filePath("d.gif"), picture, -1, false), wmf = wmfScene(),
                     emf = emfScene();
    const QList<std::pair<QString, QByteArray>> files{{"bmp", bmp}, {"png", png}, {"ico", ico},
                                                      {"jpg", jpg}, {"gif", gif}, {"wmf", wmf},
                                                      {"emf", emf}};
    for (const auto& [ext, bytes] : files) {
        QTest::addRow("%s truncated", qPrintable(ext))
            << "half." + ext << bytes.left(bytes.size() / 2);
        QTest::addRow("%s nearly whole", qPrintable(ext))
            << "most." + ext << bytes.left(bytes.size() - 8);
        QTest::addRow("%s empty", qPrintable(ext)) << "empty." + ext << QByteArray();
        QTest::addRow("%s text", qPrintable(ext))
            << "text." + ext << QByteArray("not a picture\r\n");
    }
    QTest::newRow("bmp header") << "h.bmp" << damaged(bmp, 14, 16);
    QTest::newRow("png header") << "h.png" << damaged(png, 16, 16);
    QTest::newRow("ico directory") << "h.ico" << damaged(ico, 6, 16);
    QTest::newRow("jpg tables") << "h.jpg" << damaged(jpg, 20, 40);
    QTest::newRow("jpg data") << "d.jpg" << damaged(jpg, jpg.size() / 2, 64);
    QTest::newRow("gif data") << "d.gif" << damaged(gif, gif.size() - 40, 30);
    QTest::newRow("gif header") << "h.gif" << damaged(gif, 10, 3);
    QTest::newRow("wmf record size") << "s.wmf" << damaged(wmf, 22 + 18, 4);
    QTest::newRow("emf record size") << "s.emf" << damaged(emf, 88 + 4, 4);
    QTest::newRow("emf signature") << "g.emf" << damaged(emf, 40, 4);

    // A record that claims more points than it holds.
    WmfWriter w;
    w.record(0x0324, {500, 1, 2, 3, 4});
    QTest::newRow("wmf polygon count") << "p.wmf" << w.finish();
    EmfWriter e;
    e.record(86, {0, 0, 0, 0, 1000, 5});
    QTest::newRow("emf polygon count") << "p.emf" << e.finish();
    // A zero-sized record would otherwise be read again and again.
    QByteArray zero = wmfScene();
    set32(zero, 22 + 18, 0);
    QTest::newRow("wmf zero record") << "z.wmf" << zero;
    QByteArray emfZero = emfScene();
    set32(emfZero, 88 + 4, 0);
    QTest::newRow("emf zero record") << "z.emf" << emfZero;
}

void TestPictureDecoders::damagedFilesGiveTheMessage() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    const QString path = write("damaged/" + name, bytes);
    try {
        decodePicture(path);
        QFAIL("the damaged picture was read");
    } catch (const UserError& e) {
        QCOMPARE(e.message(), "Ne peut lire l'image " + path);
    }
}

void TestPictureDecoders::hugePicturesAreRefusedBeforeDecoding() {
    const QString missing = dir.filePath("nowhere/p.bmp");
    try {
        decodePicture(missing);
        QFAIL("a missing file was read");
    } catch (const UserError& e) {
        QCOMPARE(e.message(), "Ne peut ouvrir le fichier " + missing);
    }

    // A JPEG whose frame header claims 30000 x 30000 pixels.
    QByteArray jpg = encoded(quarters(16, 16), "jpg", 90);
    const qsizetype sof = jpg.indexOf("\xFF\xC0");
    QVERIFY(sof > 0);
    jpg[sof + 5] = char(0x75), jpg[sof + 6] = char(0x30);
    jpg[sof + 7] = char(0x75), jpg[sof + 8] = char(0x30);
    // A GIF whose screen and frame claim 5000 x 5000.
    QImage picture = quarters(16, 16);
    QByteArray gif = gifFile(dir.filePath("big.gif"), picture, -1, false);
    for (int at : {6, 8})
        gif[at] = char(0x88), gif[at + 1] = char(0x13);
    const qsizetype desc = gif.indexOf(',', 13 + 12);
    for (int at : {5, 7})
        gif[desc + at] = char(0x88), gif[desc + at + 1] = char(0x13);
    for (const auto& [name, bytes] : {std::pair{QString("big.jpg"), jpg}, {"big2.gif", gif}}) {
        try {
            decodePicture(write(name, bytes));
            QFAIL("a huge picture was decoded");
        } catch (const UserError& e) {
            QCOMPARE(e.message(), QString("Image trop grande"));
        }
    }
}

void TestPictureDecoders::onlyRegularFilesOfAPicturesSizeAreRead() {
    auto messageFor = [](const QString& path) {
        try {
            decodePicture(path);
        } catch (const UserError& e) {
            return e.message();
        }
        return QString("read");
    };
    const QString huge = dir.filePath("huge.bmp");
    QFile file(huge);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.resize((qint64(64) << 20) + 1));
    file.close();
    QCOMPARE(messageFor(huge),
             "Ne peut ouvrir le fichier " + huge + " : fichier trop grand (plus de 64 Mo)");
    const QString fifo = dir.filePath("pipe.bmp");
    QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QCOMPARE(messageFor(fifo), "Ne peut ouvrir le fichier " + fifo);
}

// Random damage to every kind of file: each one is read or refused with a message,
// never a crash, a hang or a leak (the sanitizer build checks the last).
void TestPictureDecoders::mutatedFilesNeverCrash() {
    const QImage picture = quarters(20, 12);
    WmfWriter w;
    w.createFont(-12, "Arial");
    w.select(0);
    w.textOut(1, 1, "abc");
    w.stretchDib(quarters(2, 2), 0, 0, 50, 25);
    w.polygon({{1, 1}, {30, 5}, {9, 40}});
    EmfWriter e;
    e.textOutW(1, 1, "abc", 0);
    e.stretchDiBits(quarters(2, 2), 0, 0, 50, 25);
    const QList<QByteArray> samples{encoded(picture, "bmp"),
                                    encoded(picture, "png"),
                                    encoded(picture, "ico"),
                                    encoded(picture, "jpg"),
                                    encoded(picture, "jpg", 80, true),
                                    gifFile(dir.filePath("m.gif"), picture, 1, true),
                                    wmfScene(),
                                    emfScene(),
                                    w.finish(),
                                    e.finish()};
    QRandomGenerator random(20240501);
    int refused = 0, read = 0;
    for (const QByteArray& sample : samples) {
        for (int round = 0; round < 150; ++round) {
            QByteArray bytes = sample;
            const int edits = 1 + int(random.bounded(6));
            for (int i = 0; i < edits; ++i) {
                const int at = int(random.bounded(bytes.size()));
                bytes[at] = char(random.bounded(4) == 0 ? 0xFF : random.bounded(256));
            }
            if (round % 5 == 0)
                bytes.truncate(int(random.bounded(bytes.size())));
            try {
                const DecodedPicture p = decodePictureData(bytes, "x", Format::Unknown);
                QVERIFY(!p.image.isNull());
                ++read;
            } catch (const UserError& error) {
                QVERIFY(!error.message().isEmpty());
                ++refused;
            }
        }
    }
    QVERIFY(refused > 0);
    QVERIFY(read > 0);
}

QTEST_MAIN(TestPictureDecoders)
#include "tst_picturedecoders.moc"
