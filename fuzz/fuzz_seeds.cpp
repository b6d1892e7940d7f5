// Writes the seed corpora of the fuzz targets into a folder (fuzz/corpus in the source
// tree): the sample labels and one hand-made label for each kind of damage a file can
// carry, and for each picture decoder and the metafile player a few small valid files of
// its format with cut and corrupted copies. Every file stays well under 64 KiB. Beside them
// the corpora keep a few small inputs that fuzzing found, named found-*.
//
//   fuzz_seeds DIR
#include "LabelFile.h"
#include "LineCodec.h"
#include "MetafileWriter.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QPainter>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

// jpeglib.h needs size_t and FILE declared before it.
#include <gif_lib.h>
#include <jpeglib.h>

using namespace metafile_writer;

namespace {

constexpr qsizetype kMaxSeed = 60 * 1024;

class Corpus {
public:
    // Files already there stay: the inputs fuzzing found (found-*) live beside the seeds.
    Corpus(const QString& root, const QString& name) : dir_(root + QLatin1Char('/') + name) {
        QDir().mkpath(dir_);
    }
    void add(const QString& name, const QByteArray& content) const {
        if (content.size() > kMaxSeed) {
            std::fprintf(stderr, "seed %s is %lld bytes\n", qPrintable(name),
                         static_cast<long long>(content.size()));
            std::exit(1);
        }
        QFile file(dir_ + QLatin1Char('/') + name);
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
            std::exit(1);
        }
    }

private:
    QString dir_;
};

// ---- Labels -------------------------------------------------------------------------------

QByteArray styles(int brush = 1, ColorRef brushColor = 0x00FFFFFF, int pen = 0, int penWidth = 1,
                  ColorRef penColor = 0, int fontSize = 12, int fontStyle = 0,
                  const QByteArray& font = "Arial", ColorRef fontColor = 0x00800000) {
    StyleBlock s;
    s.brushStyle = brush;
    s.brushColor = brushColor;
    s.penStyle = pen;
    s.penWidth = penWidth;
    s.penColor = penColor;
    s.fontColor = fontColor;
    s.fontSize = fontSize;
    s.fontStyle = LineCodec::fontStyleFromDigit(fontStyle);
    s.fontName = font;
    return LineCodec::writeStyles(s);
}

QByteArray object(const QByteArray& keyword, int l, int t, int r, int b,
                  const QByteArray& kindData = {}, const QByteArray& style = styles()) {
    return LineCodec::objectLine(keyword, LineCodec::writeRect(l, t, r, b), kindData, style);
}

QByteArray points(std::initializer_list<QPoint> list) {
    return LineCodec::writePoints(QList<QPoint>(list));
}

QByteArray picture(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x * 255 / qMax(1, w - 1), y * 255 / qMax(1, h - 1), 128));
    return LineCodec::writePicture(image);
}

QByteArray label(const QByteArray& header, const QByteArray& background, const LineList& objects) {
    LineList lines{header, background};
    lines += objects;
    return LabelFile::joinLines(lines);
}

QByteArray standardHeader() {
    return LineCodec::writeHeader({70, 42, 0, 0});
}

// One line of every kind, each a little different, as the editor writes them.
LineList everyKind() {
    return {
        object("LINE", 10, 10, 200, 120, {}, styles(1, 0, 0, 3, 0x000000FF)),
        object("LINEU", 10, 10, 200, 120, {}, styles(1, 0, 1, 1, 0x0000FF00)),
        object("RECT", 20, 20, 120, 80, {}, styles(2, 0x0000FFFF, 0, 2, 0)),
        object("ELLIPSE", 30, 15, 150, 90, {}, styles(6, 0x00FF0000, 6, 9, 0x00800080)),
        object("ROUNDRECT", 5, 5, 90, 60, {}, styles(0, 0x00C0C0C0, 2, 1, 0)),
        object("POLYG", 10, 10, 100, 100, points({{10, 10}, {100, 30}, {60, 100}, {10, 60}}),
               styles(4, 0x0000FF00, 0, 1, 0)),
        object("POLYL", 10, 10, 100, 100, points({{10, 100}, {50, 10}, {100, 100}}),
               styles(1, 0, 3, 1, 0x00FF00FF)),
        object("DRAW", 0, 0, 40, 40, points({{0, 0}, {10, 5}, {20, 20}, {40, 40}}),
               styles(1, 0, 4, 1, 0)),
        object("ARCL", 10, 10, 150, 100, {}, styles(1, 0, 0, 2, 0)),
        object("ARCH", 10, 10, 150, 100, {}, styles(1, 0, 6, 12, 0x00008000)),
        object("ARCLU", 10, 10, 150, 100, {}, styles(1, 0, 0, 1, 0)),
        object("ARCHU", 10, 10, 150, 100, {}, styles(1, 0, 0, 1, 0)),
        object("CHORDL", 10, 10, 150, 100),
        object("CHORDH", 10, 10, 150, 100),
        object("CHORDLU", 10, 10, 150, 100),
        object("CHORDHU", 10, 10, 150, 100),
        object("TEXT", 20, 100, 120, 118, "\xc9tiquette \xe0 imprimer",
               styles(0, 0x0000FFFF, 0, 1, 0, 14, 1, "Times New Roman")),
        object("BITMAP", 150, 20, 190, 50, picture(8, 6)),
        object("META", 150, 60, 190, 90, picture(5, 5)),
    };
}

QByteArray cutAt(const QByteArray& line, qsizetype length) {
    return line.left(length);
}

void writeLabels(const QString& root, const QStringList& sampleDirs,
                 const std::function<void(const QString&, const QByteArray&)>& add) {
    for (const QString& dir : sampleDirs)
        for (const QFileInfo& info : QDir(dir).entryInfoList({QStringLiteral("*.etq")})) {
            QFile file(info.filePath());
            if (!file.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "cannot read %s\n", qPrintable(info.filePath()));
                std::exit(1);
            }
            add(info.fileName(), file.readAll());
        }
    Q_UNUSED(root);

    const QByteArray header = standardHeader();
    const QByteArray blank = LineCodec::kBlankRecord;

    add("every-keyword.etq",
        label(header, blank,
              everyKind() + LineList{object("MOSAIC", 0, 0, 10, 10), object("FOO", 0, 0, 10, 10),
                                     object("rect", 0, 0, 50, 50), object("TEXTX", 0, 0, 9, 9),
                                     object("LINEUX", 0, 0, 9, 9), object("", 1, 1, 40, 40)}));

    // Lines cut at every place where a field starts or ends.
    LineList cut;
    for (const QByteArray& line : everyKind())
        for (const qsizetype n :
             {1, 2, 5, 7, 8, 14, 15, 16, 17, 19, 20, 21, 22, 25, 30, 31, 40, 45, 50, 52, 60})
            if (n < line.size())
                cut.append(cutAt(line, n));
    cut.append(cutAt(everyKind()[17], everyKind()[17].indexOf('\t') - 4));
    add("truncated-lines.etq", label(header, blank, cut));

    add("malformed-lines.etq",
        label(header, blank,
              {" 0LINE 000\t0",
               " 0RECT 00000001\t",
               " 0RECT 0000000100G0\t1000000000",
               " 0RECT -01000100100\t1",
               " 0RECT 0a0b0c0d0e0f\t1",
               " 0RECT  000000100100\t1",
               " 0RECT 000 000 100 100\t1",
               "",
               "\t",
               "\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t",
               " 0RECT",
               " 0RECT ",
               " 0RECT \t",
               QByteArray(" 0RECT 000000100100\0\t1", 23),
               "*5RECT 000000050050\t" + styles(),
               "#9ELLIPSE 010010060060\t" + styles(),
               "x\xffRECT 000000050050\t" + styles(),
               " 0TEXT 010010090030\xe9\xe8\xe0\xff\x80\x81\x9f\t" + styles(),
               " 0RECT 000000100100 extra words here\t" + styles(),
               " 0POLYG 000000100100000000100\t" + styles(),
               " 0POLYG 00000010010000000010010\t" + styles()}));

    add("header-huge.etq", label("FFFFFFFFFFFF", blank, {object("RECT", 0, 0, 4095, 4095)}));
    add("header-bad-hex.etq", label("04G02A000000", blank, {object("RECT", 0, 0, 10, 10)}));
    add("header-short.etq", label("04", blank, {}));
    add("header-small.etq", label("005005000000", blank, {object("ELLIPSE", 0, 0, 20, 20)}));
    add("header-long.etq", label("12C12CC8C8C8FFFFFFFFFFFFFFFF", blank, {}));
    add("header-only.etq", "046");
    add("empty.etq", "");
    add("cd-label.etq", label(LineCodec::writeHeader({126, 126, 4, 4}), blank, everyKind()));

    add("coordinates-huge.etq",
        label(header, blank,
              {object("RECT", 4095, 4095, 4095, 4095), object("RECT", 0, 0, 4095, 4095),
               object("ELLIPSE", 4095, 0, 0, 4095), object("LINE", 0, 0, 4095, 4095),
               object("LINEU", 4095, 4095, 0, 0), object("ROUNDRECT", 4000, 4000, 4095, 4095),
               object("ARCH", 0, 0, 4095, 4095), object("ARCLU", 4095, 4095, 0, 0),
               object("POLYG", 0, 0, 4095, 4095,
                      points({{4095, 4095}, {0, 4095}, {4095, 0}, {0, 0}, {4095, 4095}})),
               object("TEXT", 4095, 4095, 4095, 4095, "fin"),
               object("BITMAP", 0, 0, 4095, 4095, picture(3, 2)),
               object("BITMAP", 4095, 4095, 0, 0, picture(2, 3))}));

    // A text line of tens of thousands of characters: the long lines of big files come
    // back as a declared size far beyond the pixel list (picture-declared-huge.etq).
    add("line-long.etq",
        label(header, blank,
              {object("TEXT", 10, 10, 4095, 40, QByteArray(15000, 'x'), styles(1, 0, 0, 1, 0, 8)),
               object("POLYL", 0, 0, 4095, 4095, QByteArray(6000, 'F'))}));

    QList<QPoint> many;
    for (int i = 0; i < 1000; ++i)
        many.append(QPoint((i * 37) % 4096, (i * 91) % 4096));
    add("points-many.etq",
        label(header, blank,
              {object("POLYG", 0, 0, 4095, 4095, LineCodec::writePoints(many.mid(0, 400))),
               object("DRAW", 0, 0, 4095, 4095, LineCodec::writePoints(many)),
               object("POLYL", 1, 1, 2, 2, points({{1, 1}, {2, 2}}) + "00"),
               object("POLYL", 1, 1, 2, 2, points({{1, 1}}) + "0020")}));

    LineList objects;
    for (int i = 0; objects.size() < 1400; ++i) {
        const int x = (i * 13) % 1100, y = (i * 7) % 1100;
        objects.append(i % 50 == 0 ? object("ELLIPSE", x, y, x + 20, y + 10)
                                   : " 0RECT " + LineCodec::writeRect(x, y, x + 9, y + 5) + '\t');
    }
    add("objects-many.etq", label(LineCodec::writeHeader({300, 300, 0, 0}), blank, objects));

    add("picture-declared-huge.etq",
        label(header, blank,
              {object("BITMAP", 0, 0, 200, 150, "FFFFFF" + picture(4, 4).mid(6)),
               object("META", 0, 0, 200, 150, "FFF001" + picture(4, 4).mid(6)),
               object("BITMAP", 0, 0, 20, 300, "001FFF" + picture(4, 4).mid(6)),
               object("BITMAP", 0, 0, 20, 30, "000000"), object("BITMAP", 0, 0, 20, 30, "004"),
               object("BITMAP", 0, 0, 20, 30, "002002GGGGGG00FF0012345"),
               object("BITMAP", 0, 0, 4095, 4095, "0550550000FF00FF00")}));
    add("picture-full.etq",
        label(header, blank, {object("BITMAP", 10, 10, 170, 150, picture(70, 60))}));

    // 20,000 W at 255 points: far wider than any device, however it is drawn.
    add("text-large-font.etq", label(LineCodec::writeHeader({300, 300, 0, 0}), blank,
                                     {object("TEXT", 0, 0, 4095, 4095, QByteArray(20000, 'W'),
                                             styles(0, 0x0000FFFF, 0, 1, 0, 255, 3, "Arial"))}));
    add("text-fonts.etq",
        label(header, blank,
              {object("TEXT", 0, 0, 100, 20, "gras", styles(1, 0, 0, 1, 0, 255, 1, "")),
               object("TEXT", 0, 30, 100, 50, "rien", styles(1, 0, 0, 1, 0, 0, 0, "Nope")),
               object("TEXT", 0, 60, 100, 80, "", styles(0, 0xFF, 0, 1, 0, 20, 4, "Courier New")),
               object("TEXT", 9, 9, 9, 9, "barr\xe9 soulign\xe9\x7f\x80\x9d",
                      styles(0, 0xFF, 0, 1, 0, 72, 2, QByteArray(300, 'F')))}));

    add("no-tab-no-blank.etq", label(header, blank,
                                     {" 0RECT000000100100\t" + styles(), " 0RECT 000000100100",
                                      " 0TEXT010010020020abc\t" + styles(), " 0\t" + styles(),
                                      " 0RECT000000100100extra_text_no_blank\t" + styles(),
                                      " 0TEXT 010010020020a\tb\tc\t" + styles()}));

    add("arrows.etq",
        label(header, blank,
              {object("LINE", 0, 0, 90, 90, {}, ">1" + styles()),
               object("LINEU", 0, 0, 90, 90, {}, ">2" + styles(2, 0xFF00)),
               object("POLYL", 0, 0, 90, 90, points({{0, 0}, {90, 90}}), ">3" + styles()),
               object("RECT", 0, 0, 90, 90, {}, ">"), object("RECT", 0, 0, 90, 90, {}, ">9"),
               object("RECT", 0, 0, 90, 90, {}, ">>" + styles()),
               object("ELLIPSE", 0, 0, 90, 90, {}, ">1")}));

    struct Background {
        const char* file;
        QByteArray record;
    };
    const Background backgrounds[] = {
        {"background-fillrect.etq", object("FILLRECT", 0, 0, 99, 59, {}, styles(0, 0x0000FFFF))},
        {"background-fillrect-hatch.etq",
         object("FILLRECT", 0, 0, 99, 59, {}, styles(7, 0x000000FF))},
        {"background-shape.etq", object("SHAPE", 0, 0, 99, 59, {}, styles(6, 0xFF, 0, 5, 0xFF00))},
        {"background-shape-system.etq",
         object("SHAPE", 0, 0, 99, 59, {}, styles(4, 0x80000005, 5, 255, 0xFF000000))},
        {"background-color.etq", object("COLOR", 0, 0, 99, 59, {}, styles(0, 0, 0, 1, 0x00FFFFF0))},
        {"background-coloru.etq", object("COLORU", 0, 0, 99, 59, {}, styles(0, 0, 0, 1, 3))},
        {"background-mosaic.etq", object("MOSAIC", 0, 0, 99, 59)},
        {"background-blank-rect.etq", object("BLANK", 0, 0, 99, 59)},
        {"background-no-style.etq", " 0COLOR 000000063063"},
    };
    for (const Background& b : backgrounds)
        add(b.file, label(header, b.record,
                          {object("RECT", 10, 10, 60, 40, {}, styles(1, 0, 0, 1, 0xFF))}));

    add("bad-hex.etq",
        label("XYZ02A000000", " 0FILLRECT GGG000063063\tZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZArial",
              {" 0RECT 00000Z100100\t" + styles(), " 0ELLIPSE 000000100100\t9zzzzzzzz9QQqqqqqqqq",
               " 0TEXT 000000100100abc\t0FFFFFFFF0-1000000000000000g-11Arial",
               " 0POLYG 000000100100000000G00H00010010020020\t" + styles(),
               " 0BITMAP 000000100100003003GGGGGG00000GFFFFFF-12345ABCDEFabcdef\t" + styles(),
               " 0LINE 0000001001000\t" + styles().left(17), " 0LINE 000000100100\t0",
               " 0LINE 000000100100\t00FFFFFFF0"}));

    // Every style digit, the widest pens in every figure, and blocks cut at every field.
    LineList styled;
    for (int digit = 0; digit <= 9; ++digit) {
        QByteArray block = styles(1, 0xFF, 0, 1, 0, 12, 0);
        block[0] = char('0' + digit);
        block[9] = char('0' + digit);
        block[30] = char('0' + digit);
        styled.append(object(digit % 2 ? "ELLIPSE" : "RECT", 5 * digit, 5 * digit, 80 + 5 * digit,
                             50 + 5 * digit, {}, block));
    }
    for (const QByteArray kind : {"RECT", "ELLIPSE", "ROUNDRECT", "ARCH", "LINE"})
        styled.append(object(kind, 20, 20, 70, 60, {}, styles(0, 0xFF00, 6, 255, 0xFF)));
    const QByteArray full = styles(0, 0xFF00, 2, 3, 0xFF, 30, 2, "DejaVu Sans");
    for (const int n : {0, 1, 5, 9, 10, 11, 12, 19, 20, 27, 28, 29, 30, 31, 33})
        styled.append(object("TEXT", 10, 10 + n, 90, 30 + n, "Aa", full.left(n)));
    add("styles.etq", label(header, blank, styled));

    add("line-endings.etq", header + "\r" + blank + "\n" + object("RECT", 0, 0, 10, 10) +
                                "\r\n\n\r" + object("ELLIPSE", 0, 0, 20, 20) + "\n\r" +
                                object("LINE", 0, 0, 5, 5));
    QByteArray marked;
    for (const QByteArray& line : everyKind()) {
        QByteArray copy = line;
        copy[0] = "* #*"[marked.size() % 4];
        copy[1] = char('0' + marked.size() % 10);
        marked += copy + "\r\n";
    }
    add("marks-groups.etq", header + "\r\n*0BLANK\r\n" + marked);
}

// ---- JPEG ---------------------------------------------------------------------------------

QImage testPicture(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y,
                           y < h / 2 ? (x < w / 2 ? qRgb(255, 0, 0) : qRgb(0, 255, 0))
                                     : (x < w / 2 ? qRgb(0, 0, 255) : qRgb(255, 255, 255)));
    return image;
}

struct JpegOptions {
    J_COLOR_SPACE space = JCS_RGB;
    bool progressive = false;
    bool arithmetic = false;
    int restartRows = 0;
    bool fullChroma = false;
    int quality = 75;
};

QByteArray jpegFile(const QImage& picture, const JpegOptions& options) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = JDIMENSION(picture.width());
    info.image_height = JDIMENSION(picture.height());
    const int components = options.space == JCS_GRAYSCALE ? 1 : options.space == JCS_RGB ? 3 : 4;
    info.input_components = components;
    info.in_color_space = options.space == JCS_YCCK ? JCS_CMYK : options.space;
    jpeg_set_defaults(&info);
    jpeg_set_colorspace(&info, options.space);
    jpeg_set_quality(&info, options.quality, TRUE);
    if (options.progressive)
        jpeg_simple_progression(&info);
    info.arith_code = options.arithmetic ? TRUE : FALSE;
    info.restart_in_rows = options.restartRows;
    if (options.fullChroma)
        for (int c = 0; c < info.num_components; ++c)
            info.comp_info[c].h_samp_factor = info.comp_info[c].v_samp_factor = 1;
    jpeg_start_compress(&info, TRUE);
    const char comment[] = "vorlap";
    jpeg_write_marker(&info, JPEG_COM, reinterpret_cast<const JOCTET*>(comment), 6);
    std::vector<JSAMPLE> row(std::size_t(picture.width()) * components);
    while (info.next_scanline < info.image_height) {
        const int y = int(info.next_scanline);
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb p = picture.pixel(x, y);
            JSAMPLE* out = &row[std::size_t(x) * components];
            if (components == 1) {
                out[0] = JSAMPLE(qGray(p));
            } else if (components == 3) {
                out[0] = JSAMPLE(qRed(p));
                out[1] = JSAMPLE(qGreen(p));
                out[2] = JSAMPLE(qBlue(p));
            } else {
                out[0] = JSAMPLE(qRed(p));
                out[1] = JSAMPLE(qGreen(p));
                out[2] = JSAMPLE(qBlue(p));
                out[3] = JSAMPLE(200);
            }
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    const QByteArray file(reinterpret_cast<const char*>(buffer), qsizetype(size));
    std::free(buffer);
    return file;
}

// The same file with the frame header claiming another size.
QByteArray withJpegSize(QByteArray file, int width, int height) {
    for (qsizetype i = 2; i + 9 < file.size(); ++i) {
        const uchar marker = uchar(file[i + 1]);
        if (uchar(file[i]) == 0xFF && (marker == 0xC0 || marker == 0xC1 || marker == 0xC2 ||
                                       marker == 0xC9 || marker == 0xCA)) {
            file[i + 5] = char(height >> 8);
            file[i + 6] = char(height & 0xFF);
            file[i + 7] = char(width >> 8);
            file[i + 8] = char(width & 0xFF);
            break;
        }
    }
    return file;
}

QByteArray corrupted(QByteArray bytes, qsizetype from, int step) {
    for (qsizetype i = from; i < bytes.size(); i += step)
        bytes[i] = char(bytes[i] ^ 0x5A);
    return bytes;
}

void writeJpegs(const Corpus& corpus) {
    const QImage small = testPicture(16, 12);
    const QByteArray rgb = jpegFile(small, {});
    corpus.add("rgb.jpg", rgb);
    corpus.add("gray.jpg", jpegFile(testPicture(8, 8), {JCS_GRAYSCALE}));
    const QByteArray progressive = jpegFile(testPicture(24, 16), {JCS_RGB, true});
    corpus.add("progressive.jpg", progressive);
    corpus.add("cmyk.jpg", jpegFile(testPicture(8, 8), {JCS_CMYK}));
    corpus.add("ycck.jpg", jpegFile(testPicture(8, 8), {JCS_YCCK}));
    corpus.add("arithmetic.jpg", jpegFile(small, {JCS_RGB, false, true}));
    corpus.add("restart.jpg", jpegFile(testPicture(32, 32), {JCS_RGB, false, false, 1, true, 90}));
    corpus.add("odd-size.jpg", jpegFile(testPicture(3, 17), {JCS_RGB, false, false, 0, false, 10}));
    corpus.add("truncated.jpg", rgb.left(rgb.size() / 2));
    corpus.add("truncated-header.jpg", rgb.left(30));
    corpus.add("truncated-progressive.jpg", progressive.left(progressive.size() * 2 / 3));
    corpus.add("corrupted.jpg", corrupted(rgb, rgb.size() / 2, 7));
    corpus.add("corrupted-progressive.jpg", corrupted(progressive, progressive.size() / 2, 11));
    corpus.add("declared-4095.jpg", withJpegSize(rgb, 4095, 4095));
    corpus.add("declared-65535.jpg", withJpegSize(rgb, 65535, 65535));
    corpus.add("declared-zero.jpg", withJpegSize(rgb, 0, 12));
}

// ---- GIF ----------------------------------------------------------------------------------

int gifWrite(GifFileType* gif, const GifByteType* bytes, int length) {
    static_cast<QByteArray*>(gif->UserData)->append(reinterpret_cast<const char*>(bytes), length);
    return length;
}

struct GifFrame {
    QRect place;
    bool interlace = false;
    int transparent = -1;
    bool localColours = false;
};

QByteArray gifFile(QSize screen, const QList<GifFrame>& frames, bool version89 = true,
                   bool extras = false) {
    QByteArray out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, gifWrite, &error);
    const GifColorType colours[4] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
    const GifColorType others[2] = {{0, 0, 0}, {255, 255, 0}};
    ColorMapObject* map = GifMakeMapObject(4, colours);
    ColorMapObject* local = GifMakeMapObject(2, others);
    EGifSetGifVersion(gif, version89);
    EGifPutScreenDesc(gif, screen.width(), screen.height(), 2, 0, map);
    if (extras) {
        const char loop[] = "NETSCAPE2.0";
        EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE);
        EGifPutExtensionBlock(gif, 11, loop);
        const GifByteType count[3] = {1, 0, 0};
        EGifPutExtensionBlock(gif, 3, count);
        EGifPutExtensionTrailer(gif);
        EGifPutComment(gif, "vorlap");
    }
    for (const GifFrame& frame : frames) {
        if (frame.transparent >= 0) {
            GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, 10, frame.transparent};
            GifByteType block[4];
            const size_t length = EGifGCBToExtension(&control, block);
            EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(length), block);
        }
        const QRect& r = frame.place;
        EGifPutImageDesc(gif, r.x(), r.y(), r.width(), r.height(), frame.interlace,
                         frame.localColours ? local : nullptr);
        std::vector<GifPixelType> line(std::size_t(r.width()));
        for (int y = 0; y < r.height(); ++y) {
            for (int x = 0; x < r.width(); ++x)
                line[std::size_t(x)] = GifPixelType((x / 2 + y) % (frame.localColours ? 2 : 4));
            EGifPutLine(gif, line.data(), r.width());
        }
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    GifFreeMapObject(local);
    return out;
}

QByteArray withGifScreen(QByteArray file, int width, int height) {
    file[6] = char(width & 0xFF);
    file[7] = char(width >> 8);
    file[8] = char(height & 0xFF);
    file[9] = char(height >> 8);
    return file;
}

// The same file with its first frame claiming another size.
QByteArray withGifFrame(QByteArray file, int width, int height) {
    const qsizetype at = file.indexOf(',');
    if (at >= 0 && at + 9 <= file.size()) {
        file[at + 5] = char(width & 0xFF);
        file[at + 6] = char(width >> 8);
        file[at + 7] = char(height & 0xFF);
        file[at + 8] = char(height >> 8);
    }
    return file;
}

void writeGifs(const Corpus& corpus) {
    const QByteArray plain = gifFile({8, 8}, {{QRect(0, 0, 8, 8)}});
    corpus.add("plain.gif", plain);
    corpus.add("plain87.gif", gifFile({6, 5}, {{QRect(0, 0, 6, 5)}}, false));
    const QByteArray interlaced = gifFile({16, 16}, {{QRect(0, 0, 16, 16), true}});
    corpus.add("interlaced.gif", interlaced);
    corpus.add("transparent.gif", gifFile({8, 8}, {{QRect(0, 0, 8, 8), false, 3}}));
    corpus.add("frame-inside.gif", gifFile({16, 16}, {{QRect(4, 4, 8, 8), false, -1, true}}));
    corpus.add("frame-outside.gif", gifFile({4, 4}, {{QRect(2, 2, 8, 8)}}));
    corpus.add(
        "two-frames.gif",
        gifFile({8, 8}, {{QRect(0, 0, 8, 8), false, 1}, {QRect(2, 2, 4, 4), true}}, true, true));
    corpus.add("truncated.gif", plain.left(plain.size() - 8));
    corpus.add("truncated-header.gif", plain.left(12));
    corpus.add("corrupted.gif", corrupted(interlaced, interlaced.size() / 2, 5));
    corpus.add("screen-4095.gif", withGifScreen(plain, 4095, 4095));
    corpus.add("frame-4095.gif", withGifFrame(withGifScreen(plain, 4095, 4095), 4095, 4095));
    corpus.add("frame-65535.gif", withGifFrame(plain, 65535, 65535));
    corpus.add("frame-zero.gif", withGifFrame(plain, 0, 8));
}

// ---- Bitmaps, icons and PNG: the first byte picks the reader ------------------------------

QByteArray encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (!writer.write(image)) {
        std::fprintf(stderr, "cannot write %s\n", format);
        std::exit(1);
    }
    return bytes;
}

QByteArray bitmapHeader(int width, int height, int depth, int compression, int dataSize,
                        int colours, int headerSize = 40) {
    QByteArray out("BM");
    const int offset = 14 + headerSize + 4 * colours;
    put32(out, offset + dataSize);
    put32(out, 0);
    put32(out, offset);
    put32(out, headerSize);
    put32(out, width);
    put32(out, height);
    put16(out, 1);
    put16(out, depth);
    put32(out, compression);
    put32(out, dataSize);
    put32(out, 2835);
    put32(out, 2835);
    put32(out, colours);
    put32(out, 0);
    if (headerSize > 40) {
        // Bit fields of 5-6-5 pixels, then what the version 4 header adds, all zero.
        put32(out, 0xF800);
        put32(out, 0x07E0);
        put32(out, 0x001F);
        out.append(QByteArray(headerSize - 52, '\0'));
    }
    return out;
}

QByteArray rle8Bitmap() {
    const QByteArray pixels = QByteArray::fromHex("04010302" // runs
                                                  "0000"     // end of line
                                                  "0003010203"
                                                  "00"         // absolute run padding
                                                  "0002010100" // delta
                                                  "0001");     // end of bitmap
    QByteArray out = bitmapHeader(8, 3, 8, 1, int(pixels.size()), 4);
    for (const QRgb c : {qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)})
        put32(out, c & 0xFFFFFF);
    return out + pixels;
}

QByteArray rle4Bitmap() {
    const QByteArray pixels = QByteArray::fromHex("0612"
                                                  "0000"
                                                  "000312300000"
                                                  "0001");
    QByteArray out = bitmapHeader(6, 2, 4, 2, int(pixels.size()), 4);
    for (const QRgb c : {qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)})
        put32(out, c & 0xFFFFFF);
    return out + pixels;
}

QByteArray bitfieldsBitmap() {
    QByteArray pixels;
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            put16(pixels, x % 2 ? 0xF800 : 0x07E0);
    return bitmapHeader(4, -2, 16, 3, int(pixels.size()), 0, 108) + pixels;
}

QByteArray os2Bitmap() {
    QByteArray out("BM");
    put32(out, 14 + 12 + 6 + 8);
    put32(out, 0);
    put32(out, 14 + 12 + 6);
    put32(out, 12);
    put16(out, 2);
    put16(out, 2);
    put16(out, 1);
    put16(out, 1);
    out += QByteArray::fromHex("000000ffffff");
    out += QByteArray::fromHex("8000000040000000");
    return out;
}

// An icon whose picture is a PNG file, as icons of 256 pixels are stored.
QByteArray pngIcon(const QByteArray& png) {
    QByteArray out;
    put16(out, 0);
    put16(out, 1);
    put16(out, 1);
    out += QByteArray::fromHex("0000000001002000"); // 256 x 256, 32 bits
    put32(out, png.size());
    put32(out, 22);
    return out + png;
}

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
        set32(entry, 12, offset + data.size());
        out += entry;
        data += single.mid(6 + 16);
    }
    return out + data;
}

QByteArray withPngSize(QByteArray png, quint32 width, quint32 height) {
    // IHDR's width and height, then its CRC left stale: readers differ on checking it.
    for (int i = 0; i < 4; ++i) {
        png[16 + i] = char(width >> (24 - 8 * i));
        png[20 + i] = char(height >> (24 - 8 * i));
    }
    return png;
}

void writeQtPictures(const Corpus& corpus) {
    const auto add = [&corpus](const char* name, char reader, const QByteArray& file) {
        corpus.add(QString::fromLatin1(name), reader + file);
    };
    const char bmp = 0, ico = 1, png = 2;

    const QByteArray rgb = encoded(testPicture(5, 3), "bmp");
    add("rgb.bmp", bmp, rgb);
    add("indexed.bmp", bmp,
        encoded(testPicture(7, 4).convertToFormat(QImage::Format_Indexed8), "bmp"));
    add("mono.bmp", bmp, encoded(testPicture(9, 3).convertToFormat(QImage::Format_Mono), "bmp"));
    add("rle8.bmp", bmp, rle8Bitmap());
    add("rle4.bmp", bmp, rle4Bitmap());
    add("bitfields-topdown.bmp", bmp, bitfieldsBitmap());
    add("os2.bmp", bmp, os2Bitmap());
    add("truncated.bmp", bmp, rgb.left(rgb.size() - 10));
    add("declared-4095.bmp", bmp, bitmapHeader(4095, 4095, 24, 0, 12, 0) + QByteArray(12, 'x'));
    add("declared-negative.bmp", bmp,
        bitmapHeader(4, int(0x80000000), 32, 0, 64, 0) + QByteArray(64, '\x7f'));
    add("rle8-declared-huge.bmp", bmp, [] {
        QByteArray f = rle8Bitmap();
        set32(f, 18, 30000);
        set32(f, 22, 30000);
        return f;
    }());

    QImage alpha(16, 16, QImage::Format_ARGB32);
    alpha.fill(qRgba(0, 0, 255, 100));
    const QByteArray icon = iconFile({testPicture(16, 16), testPicture(32, 32), alpha});
    add("three-sizes.ico", ico, icon);
    add("single.ico", ico, encoded(testPicture(8, 8), "ico"));
    const QByteArray pngData = encoded(testPicture(6, 6), "png");
    add("png-inside.ico", ico, pngIcon(pngData));
    add("truncated.ico", ico, icon.left(icon.size() / 2));
    QByteArray many = icon;
    many[4] = char(0xFF);
    many[5] = char(0xFF);
    add("count-65535.ico", ico, many);
    add("corrupted.ico", ico, corrupted(icon, 6, 13));

    add("rgb.png", png, pngData);
    add("alpha.png", png, encoded(alpha, "png"));
    add("indexed.png", png,
        encoded(testPicture(7, 5).convertToFormat(QImage::Format_Indexed8), "png"));
    add("gray16.png", png,
        encoded(testPicture(4, 4).convertToFormat(QImage::Format_Grayscale16), "png"));
    add("mono.png", png, encoded(testPicture(9, 3).convertToFormat(QImage::Format_Mono), "png"));
    add("truncated.png", png, pngData.left(pngData.size() - 20));
    add("corrupted.png", png, corrupted(pngData, 40, 9));
    add("declared-4095.png", png, withPngSize(pngData, 4095, 4095));
    add("declared-100000.png", png, withPngSize(pngData, 100000, 100000));
}

// ---- Metafiles: two bytes of target size, then the file -----------------------------------

QByteArray wmfWords(std::initializer_list<int> words) {
    QByteArray out;
    for (int w : words)
        put16(out, w);
    return out;
}

QByteArray everyWmfRecord(bool placeable) {
    WmfWriter w(QRect(0, 0, 200, 100), 96, placeable);
    w.setWindow(0, 0, 200, 100);
    w.record(0x0103, {8}); // map mode
    w.createPen(0, 3, 0x0000FF);
    w.createBrush(0, 0x00FF00);
    w.createBrush(2, 0xFF0000, 3);
    w.createFont(-24, "Arial", 700);
    w.select(0);
    w.select(1);
    w.rectangle(10, 10, 90, 50);
    w.ellipse(100, 10, 190, 60);
    w.select(2);
    w.polygon({{10, 60}, {60, 90}, {20, 95}});
    w.record(0x0214, {5, 5});                                                // move to
    w.record(0x0213, {95, 195});                                             // line to
    w.record(0x0325, {3, 0, 0, 50, 50, 100, 0});                             // polyline
    w.record(0x061C, {20, 20, 90, 190, 60, 110});                            // round rectangle
    w.record(0x0817, {50, 150, 10, 110, 90, 190, 10, 110});                  // arc
    w.record(0x081A, {50, 150, 10, 110, 90, 190, 10, 110});                  // pie
    w.record(0x0830, {90, 110, 10, 190, 90, 190, 10, 110});                  // chord
    w.record(0x0538, {2, 3, 3, 0, 0, 10, 0, 5, 10, 20, 20, 30, 20, 25, 30}); // polypolygon
    w.record(0x061D, {0x0021, 0x00F0, 10, 10, 80, 80});                      // pattern blit
    w.record(0x001E, {});                                                    // save
    w.record(0x020F, {5, 5});                                                // offset window origin
    w.record(0x0410, {2, 1, 2, 1});                                          // scale window extent
    w.record(0x0127, {0xFFFF});                                              // restore
    w.record(0x012E, {0x0018});                                              // text align
    w.record(0x0201, {0x00FF, 0x0000});                                      // background colour
    w.setTextColor(0x00FF00FF);
    w.setBkMode(2);
    w.select(3);
    w.textOut(20, 40, "Vorlap");
    w.record(0x0A32, {60, 30, 4, 0x0004, 20, 50, 80, 70}, "Test" + wmfWords({10, 10, 10, 10}));
    const QByteArray dib = packedDib(testPicture(4, 4));
    w.record(0x0142, {5, 0}, dib);                        // pattern brush
    w.record(0x00F7, {0x0300, 2, 0, 0, 0x00FF, 0xFF00});  // palette
    w.record(0x06FF, {0, 6, 0, 0, 0, 1, 10, 10, 20, 20}); // region
    w.select(4);
    w.rectangle(120, 60, 190, 95);
    w.remove(4);
    w.record(0x0940, {0x0020, 0x00CC, 0, 0, 4, 4, 70, 150}, dib);        // DIB bit blit
    w.record(0x0B41, {0x0020, 0x00CC, 4, 4, 0, 0, 20, 30, 70, 10}, dib); // DIB stretch blit
    w.stretchDib(testPicture(6, 3), 160, 5, 30, 20);
    w.record(0x01F0, {1});
    w.record(0x012D, {99}); // selects what was never made
    return w.finish();
}

qint64 f32(float value) {
    quint32 bits;
    std::memcpy(&bits, &value, 4);
    return bits;
}

QByteArray everyEmfRecord() {
    EmfWriter e(QRect(0, 0, 2000, 1000));
    e.setMapMode(8);
    e.setWindowExt(200, 100);
    e.setViewportExt(200, 100);
    e.record(10, {0, 0}); // window origin
    e.record(12, {0, 0}); // viewport origin
    e.createPen(1, 0, 2, 0x0000FF);
    e.createBrush(2, 0, 0x00FF00);
    e.createBrush(3, 2, 0x0000FF, 5);
    e.select(1);
    e.select(2);
    e.rectangle(5, 5, 60, 40);
    e.ellipse(70, 5, 130, 45);
    e.record(44, {140, 5, 195, 45, 20, 10}); // round rectangle
    e.select(3);
    e.polygon16({{5, 50}, {40, 95}, {10, 90}});
    e.polygon16({{50, 50}, {60, 90}, {70, 55}, {80, 95}}, 85); // bezier
    e.polygon16({{90, 50}, {100, 90}, {110, 55}}, 87);         // polyline
    e.record(27, {120, 50});                                   // move to
    e.polygon16({{130, 60}, {140, 70}}, 89);                   // polyline to
    e.polygon16({{150, 60}, {160, 70}, {170, 60}}, 88);        // bezier to
    e.record(54, {195, 95});                                   // line to
    e.record(45, {10, 10, 100, 90, 100, 50, 10, 50});          // arc
    e.record(46, {10, 10, 100, 90, 10, 50, 100, 50});          // chord
    e.record(47, {100, 10, 190, 90, 190, 50, 100, 10});        // pie
    e.record(55, {100, 10, 190, 90, 190, 50, 100, 10});        // arc to
    e.record(3, {0, 0, 0, 0, 3, 1, 1, 20, 1, 10, 20});         // polygon, 32-bit points
    e.record(4, {0, 0, 0, 0, 2, 1, 1, 20, 20});                // polyline, 32-bit points
    e.record(91, {0, 0, 0, 0, 2, 6},
             wmfWords({3, 0, 3, 0, 0, 0, 10, 0, 5, 10, 20, 20, 30, 20, 25, 30})); // polypolygon
    e.record(90, {0, 0, 0, 0, 1, 2}, wmfWords({2, 0, 0, 0, 50, 50}));             // polypolyline
    e.record(33, {});                                                             // save
    e.record(35, {f32(0.5f), 0, 0, f32(0.5f), f32(10.f), f32(10.f)});             // world transform
    e.record(36, {f32(1.f), f32(0.2f), 0, f32(1.f), 0, 0, 2});                    // modify it
    e.record(59, {});                                                             // path
    e.record(27, {10, 10});
    e.record(54, {50, 10});
    e.record(54, {30, 40});
    e.record(61, {});
    e.record(60, {});
    e.record(63, {0, 0, 100, 100}); // stroke and fill it
    e.record(59, {});
    e.record(27, {0, 0});
    e.record(54, {5, 5});
    e.record(68, {});   // abort path
    e.record(34, {-1}); // restore
    e.record(31, {2, 1, 2, 1});
    e.record(32, {1, 2, 1, 2});
    e.record(22, {24});         // text align
    e.record(25, {0x00FFFF00}); // background colour
    QByteArray face;
    for (const char c : QByteArray("Liberation Sans"))
        put16(face, c);
    face.append(QByteArray(64 - face.size(), '\0'));
    e.record(82, {4, -20, 0, 0, 0, 700, 0x00010101, 0}, face); // font
    e.select(4);
    e.textOutW(20, 60, QStringLiteral("Vorlap é"), 0x000000FF);
    e.record(83, {0, 0, 0, 0, 1, 0, 0, 30, 80, 4, 76, 0, 0, 0, 0, 0, 0}, "ABCD"); // ANSI text
    const QByteArray dib = packedDib(testPicture(4, 4));
    e.record(93, {5, 0, 32, 40, 72, dib.size() - 40}, dib); // mono brush
    e.record(94, {6, 0, 32, 40, 72, dib.size() - 40}, dib); // pattern brush
    e.select(6);
    e.rectangle(150, 60, 190, 90);
    e.record(95, {7, 0, 0, 0, 0, 0x00010000 | 3, 5, 0, 0x00FF00FF, 0, 0}); // geometric pen
    e.select(7);
    e.record(62, {0, 0, 10, 10}); // fill path outside a path
    e.record(64, {0, 0, 10, 10});
    e.record(67, {5});
    e.stretchDiBits(testPicture(5, 5), 100, 20, 40, 30);
    // Bit blit, stretch blit and set-DIB-bits: bounds, destination, then the source.
    e.record(76, {0,        0, 0, 0, 10, 10,  4,  4,   0x00CC0020,     0, 0, f32(1.f), 0, 0,
                  f32(1.f), 0, 0, 0, 0,  100, 40, 140, dib.size() - 40},
             dib);
    e.record(77, {0,        0, 0, 0, 10, 10,  8,  8,   0x00CC0020,      0, 0, f32(1.f), 0, 0,
                  f32(1.f), 0, 0, 0, 0,  108, 40, 148, dib.size() - 40, 4, 4},
             dib);
    e.record(76,
             {0, 0, 0,        0, 150, 5, 10, 10, 0x00F00021, 0, 0, f32(1.f),
              0, 0, f32(1.f), 0, 0,   0, 0,  0,  0,          0, 0}); // pattern blit without picture
    e.record(80, {0, 0, 0, 0, 60, 70, 0, 0, 4, 4, 76, 40, 116, dib.size() - 40, 0, 0, 4}, dib);
    e.record(49, {8, 0x00020300, 0x00FF0000, 0x0000FF00}); // palette
    e.record(40, {2});                                     // delete
    e.record(37, {0x80000005});                            // stock object
    e.record(37, {0x80000000 | 8});
    e.record(37, {77}); // an object never made
    e.rectangle(0, 0, 10, 10);
    return e.finish();
}

void writeMetafiles(const Corpus& corpus) {
    const auto add = [&corpus](const char* name, int w, int h, const QByteArray& file) {
        QByteArray seed;
        seed.append(char(w - 1));
        seed.append(char(h - 1));
        corpus.add(QString::fromLatin1(name), seed + file);
    };
    const QByteArray wmf = everyWmfRecord(true);
    const QByteArray plainWmf = everyWmfRecord(false);
    const QByteArray emf = everyEmfRecord();
    add("every-record.wmf", 48, 24, wmf);
    add("plain.wmf", 20, 10, plainWmf);
    add("every-record.emf", 64, 32, emf);
    add("truncated.wmf", 8, 8, wmf.left(wmf.size() / 2));
    add("truncated.emf", 8, 8, emf.left(emf.size() * 2 / 3));
    add("corrupted.wmf", 16, 16, corrupted(wmf, 60, 17));
    add("corrupted.emf", 16, 16, corrupted(emf, 120, 23));

    // Sizes at the ends of their fields.
    WmfWriter huge(QRect(-32768, -32768, 65535, 65535), 1);
    huge.setWindow(-32768, -32768, 32767, 32767);
    huge.ellipse(-32768, -32768, 32767, 32767);
    huge.textOut(0, 0, QByteArray(200, 'W'));
    add("huge.wmf", 64, 64, huge.finish());
    EmfWriter hugeEmf(QRect(0, 0, 2000000000, 2000000000));
    hugeEmf.setMapMode(8);
    hugeEmf.setWindowExt(1, 1);
    hugeEmf.setViewportExt(0x7FFFFFFF, 0x7FFFFFFF);
    hugeEmf.ellipse(-0x7FFFFFFF, 0, 0x7FFFFFFF, 1);
    hugeEmf.record(82, {1, 0x7FFFFFFF, 0, 0, 0, 400, 0, 0}, QByteArray(64, '\0'));
    hugeEmf.select(1);
    hugeEmf.textOutW(0, 0, QString(100, QLatin1Char('W')), 0);
    add("huge.emf", 64, 64, hugeEmf.finish());
    EmfWriter flat(QRect(0, 0, 0, 0));
    flat.rectangle(0, 0, 10, 10);
    add("empty-frame.emf", 4, 4, flat.finish());
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds DIR\n");
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    const QStringList samples{QStringLiteral(VORLAP_SAMPLES_DIR),
                              QStringLiteral(VORLAP_EXAMPLES_DIR)};

    // The three label targets share the files; the renderer and the edits read their
    // parameters from bytes in front of each, chosen in turn from a few settings.
    const Corpus reader(root, QStringLiteral("label_reader"));
    const Corpus renderer(root, QStringLiteral("label_renderer"));
    const Corpus edits(root, QStringLiteral("label_edits"));
    // Scale 3, 1, 1/4, -1 and 16; margins and cell; printer dpi.
    static const char* const sheets[] = {"001800000000404000", "00080a000a00404001",
                                         "0002f6ff0000504002", "00f8000000004040ff",
                                         "ff7f00000000404003", "0008ff7fff7fff0001"};
    // Steps dx, dy and the selection byte.
    static const char* const steps[] = {"0500fdffaa", "f9ff090055", "a00f000001", "00000000ff",
                                        "01f00c0f3c"};
    int n = 0;
    writeLabels(root, samples, [&](const QString& name, const QByteArray& content) {
        reader.add(name, content);
        renderer.add(name, QByteArray::fromHex(sheets[n % 6]) + content);
        edits.add(name, QByteArray::fromHex(steps[n % 5]) + content);
        ++n;
    });
    writeJpegs(Corpus(root, QStringLiteral("jpeg")));
    writeGifs(Corpus(root, QStringLiteral("gif")));
    writeQtPictures(Corpus(root, QStringLiteral("qt_pictures")));
    writeMetafiles(Corpus(root, QStringLiteral("metafile_player")));
    return 0;
}
