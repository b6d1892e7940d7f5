// The A4 sheet of a heavy label (21 cells of 200 objects and 4 pictures): the whole process
// `vorlap --pdf` timed over repeated runs, with its peak memory and the PDF's size, and the
// preview's full repaint of the same sheet at 1280 x 1024, and the preview zoomed far into a
// label of figures as large as the label. Usage: sheet_bench [FOLDER], where
// the label and its PDF are kept.
#include "GdiCanvas.h"
#include "LabelFile.h"
#include "LineCodec.h"
#include "PictureCache.h"
#include "SheetLayout.h"
#include "SheetPainter.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kRuns = 15;
constexpr int kPreviewRuns = 31;
const QSize kScreen(1280, 1024);

ColorRef randomColor(QRandomGenerator& rng) {
    return rng.bounded(0x1000000u);
}

QByteArray figureStyle(QRandomGenerator& rng) {
    StyleBlock s;
    // Mostly solid or clear, now and then a hatch.
    const int brush = int(rng.bounded(10));
    s.brushStyle = brush < 5 ? BrushSolid : brush < 9 ? BrushClear : BrushCross;
    s.brushColor = randomColor(rng);
    s.penWidth = 1 + int(rng.bounded(2));
    s.penColor = randomColor(rng);
    return LineCodec::writeStyles(s);
}

QByteArray textStyle(QRandomGenerator& rng) {
    static const char* const families[] = {"Arial", "Times New Roman", "Courier New", "DejaVu Sans",
                                           "Liberation Serif"};
    StyleBlock s;
    s.brushStyle = BrushClear;
    s.fontColor = randomColor(rng);
    s.fontSize = 5 + int(rng.bounded(8));
    s.fontName = families[rng.bounded(5)];
    return LineCodec::writeStyles(s);
}

QByteArray words(QRandomGenerator& rng) {
    static const char* const vocabulary[] = {"Madame",
                                             "Monsieur",
                                             "rue",
                                             "des",
                                             "Lilas",
                                             "avenue",
                                             "Paris",
                                             "Lyon",
                                             "colis",
                                             "fragile",
                                             "urgent",
                                             "\xE9tiquette",
                                             "bo\xEEte",
                                             "exp\xE9"
                                             "diteur",
                                             "destinataire",
                                             "cedex",
                                             "France",
                                             "port",
                                             "pay\xE9",
                                             "lot",
                                             "n\xB0"};
    QByteArray text;
    const int count = 2 + int(rng.bounded(4));
    for (int i = 0; i < count; ++i) {
        if (i)
            text += ' ';
        text += vocabulary[rng.bounded(int(std::size(vocabulary)))];
    }
    return text;
}

// Smooth colours that never repeat, so that the picture compresses as a photograph does.
QImage smoothPicture(int seed) {
    QImage picture(150, 145, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y,
                             qRgb(int(127.5 + 127 * std::sin(x * 0.043 + seed)),
                                  int(127.5 + 127 * std::sin(y * 0.061 + 2 * seed + x * 0.011)),
                                  int(127.5 + 127 * std::sin((x + y) * 0.029 + 3 * seed))));
    return picture;
}

// A 70 x 42 mm label (280 x 168 label pixels): 50 rectangles, 40 ellipses, 40 lines, 70
// texts and 4 pictures.
LineList heavyLabel() {
    QRandomGenerator rng(2024);
    LineList lines{LineCodec::writeHeader({70, 42, 0, 0}), " 0BLANK"};
    auto box = [&](int maxWidth, int maxHeight) {
        const int l = int(rng.bounded(280 - maxWidth)), t = int(rng.bounded(168 - maxHeight));
        return LineCodec::writeRect(l, t, l + 4 + int(rng.bounded(maxWidth - 4)),
                                    t + 4 + int(rng.bounded(maxHeight - 4)));
    };
    for (int i = 0; i < 50; ++i)
        lines.append(" 0RECT " + box(80, 50) + '\t' + figureStyle(rng));
    for (int i = 0; i < 40; ++i)
        lines.append(" 0ELLIPSE " + box(80, 50) + '\t' + figureStyle(rng));
    for (int i = 0; i < 40; ++i)
        lines.append(QByteArray(i % 2 ? " 0LINEU " : " 0LINE ") + box(120, 80) + '\t' +
                     figureStyle(rng));
    for (int i = 0; i < 70; ++i)
        lines.append(" 0TEXT " + box(100, 20) + words(rng) + '\t' + textStyle(rng));
    for (int i = 0; i < 4; ++i) {
        const int l = 10 + i * 66, t = 20 + (i % 2) * 60;
        lines.append(" 0BITMAP " + LineCodec::writeRect(l, t, l + 60, t + 58) +
                     LineCodec::writePicture(smoothPicture(i)) + '\t' + figureStyle(rng));
    }
    return lines;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double seconds(const timeval& t) {
    return double(t.tv_sec) + t.tv_usec / 1e6;
}

// One run of the program: its wall time and processor time in seconds, its peak resident
// memory in KiB. Processor time tells changes apart on a busy machine.
bool runOnce(const std::vector<const char*>& argv, double& wall, double& cpu, long& maxRssKiB) {
    QElapsedTimer timer;
    timer.start();
    const pid_t child = fork();
    if (child < 0)
        return false;
    if (child == 0) {
        execv(argv[0], const_cast<char* const*>(argv.data()));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child)
        return false;
    wall = timer.nsecsElapsed() / 1e9;
    cpu = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    maxRssKiB = usage.ru_maxrss;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void measurePdf(const QString& label, const QString& pdf) {
    const QByteArray program = VORLAP_BINARY;
    const QByteArray output = QFile::encodeName(pdf), input = QFile::encodeName(label);
    const std::vector<const char*> argv = {
        program.constData(), "--pdf", output.constData(), "--margins", "0,0,0,0", "--zoom", "100",
        input.constData(),   nullptr};
    std::vector<double> walls, cpus;
    long peak = 0;
    for (int i = 0; i < kRuns; ++i) {
        double wall = 0, cpu = 0;
        long rss = 0;
        if (!runOnce(argv, wall, cpu, rss)) {
            std::fprintf(stderr, "vorlap --pdf failed\n");
            return;
        }
        walls.push_back(wall);
        cpus.push_back(cpu);
        peak = std::max(peak, rss);
    }
    std::printf("vorlap --pdf, A4 sheet of 21 cells, %d runs: median %.3f s (target 0.2 s), "
                "processor %.3f s, peak %.1f MiB (target 40 MiB), PDF %.1f KiB\n",
                kRuns, median(walls), median(cpus), peak / 1024.0, QFileInfo(pdf).size() / 1024.0);
}

// The preview's full repaint as TEcran does it in a maximised window on a 1280 x 1024
// screen: white, guide lines, every cell, each pass on canvases of its own.
void measurePreview(const LineList& lines) {
    SheetLayout layout;
    layout.Init({0, 0, 0, 0, 100}, lines, PaperSize{QSize(2480, 3508), QSizeF(210, 297)});
    const int sheetHeight = kScreen.height() - 100;
    const int sheetWidth = int(std::nearbyint(layout.PageRatio * sheetHeight));
    const QSize area(sheetWidth - 4, sheetHeight - 4);
    layout.FormResize(area);
    QImage image(area, QImage::Format_RGB32);
    PictureCache pictures;
    std::vector<double> times;
    for (int i = 0; i < kPreviewRuns; ++i) {
        QElapsedTimer timer;
        timer.start();
        image.fill(Qt::white);
        {
            GdiCanvas guides(&image);
            for (const QLine& guide : layout.guideLines()) {
                guides.moveTo(guide.x1(), guide.y1());
                guides.lineTo(guide.x2(), guide.y2());
            }
        }
        layout.Actualiser(layout.Zoom);
        GdiCanvas canvas(&image);
        paintSheet(canvas, layout, lines, &pictures);
        canvas.flush();
        pictures.sweep();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf("preview repaint %dx%d, %d cells: median %.2f ms (target 33 ms), first %.2f ms\n",
                area.width(), area.height(), layout.rows() * layout.columns(), median(times),
                times.front());
}

// The preview zoomed far into a label of figures as large as the label (an ellipse, an arc, a
// line and a rectangle of 400 x 400 label pixels): only what shows may cost.
void measureZoomedPreview() {
    const LineList lines{"064064000000",
                         " 0BLANK",
                         " 0ELLIPSE 000000190190\t100FFFFFF0FF00000000000000000C0Arial",
                         " 0ARCH 000000190190\t100FFFFFF00100000000000000000C0Arial",
                         " 0LINE 000000190190\t100FFFFFF00100000000000000000C0Arial",
                         " 0RECT 000000190190\t100FFFFFF00100000000000000000C0Arial"};
    for (int zoom : {100, 1000, 5000, 50000}) {
        SheetLayout layout;
        layout.Init({0, 0, 0, 0, zoom}, lines, PaperSize{QSize(2480, 3508), QSizeF(210, 297)});
        layout.FormResize(kScreen);
        QImage image(kScreen, QImage::Format_RGB32);
        PictureCache pictures;
        std::vector<double> times;
        for (int i = 0; i < 5; ++i) {
            QElapsedTimer timer;
            timer.start();
            image.fill(Qt::white);
            layout.Actualiser(layout.Zoom);
            GdiCanvas canvas(&image);
            paintSheet(canvas, layout, lines, &pictures);
            canvas.flush();
            times.push_back(timer.nsecsElapsed() / 1e6);
        }
        std::printf("preview of figures filling a 100 mm label at zoom %d%%: median %.2f ms "
                    "(target 33 ms)\n",
                    zoom, median(times));
    }
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    // The label and its PDF stay in the folder given, if any.
    QTemporaryDir temporary;
    const QDir dir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : temporary.path());
    const LineList lines = heavyLabel();
    const QString label = dir.filePath("lourde.etq");
    LabelFile::write(label, lines);
    std::printf("label: %lld lines, %.1f KiB\n", qint64(lines.size()),
                QFileInfo(label).size() / 1024.0);
    measurePdf(label, dir.filePath("lourde.pdf"));
    measurePreview(lines);
    measureZoomedPreview();
    return 0;
}
