// The A4 sheet of a heavy label (21 cells of 200 objects and 4 pictures): the whole process
// `vorlap --pdf` timed over repeated runs, with its peak memory and the PDF's size, and with 100
// copies; the preview's full repaint of the same sheet at 1280 x 1024, and the full repaint of a
// label of figures as large as the label, zoomed from 100 % to 20,000,000 %, each with its peak
// memory; the loading of the catalogue of label sheets with a user's file of 100 more; and an
// address list of 1,000 rows printed on the 21-up sheet (48 sheets).
// Usage: sheet_bench [FOLDER], where the label and its PDF are kept; sheet_bench --catalogue
// measures the catalogue alone, sheet_bench --merge the address list alone, sheet_bench --pdf
// the sheet's PDF alone (one copy and 100).
#include "GdiCanvas.h"
#include "LabelFile.h"
#include "LineCodec.h"
#include "PictureCache.h"
#include "SafeFile.h"
#include "SheetCatalogue.h"
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
#include <cstdlib>
#include <optional>
#include <tuple>
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

// The medians of kRuns runs of a whole process, and its highest peak memory.
struct Runs {
    double wall = 0;
    double cpu = 0;
    double peakMiB = 0;
};

std::optional<Runs> measureRuns(const std::vector<const char*>& argv, const char* what) {
    std::vector<double> walls, cpus;
    long peak = 0;
    for (int i = 0; i < kRuns; ++i) {
        double wall = 0, cpu = 0;
        long rss = 0;
        if (!runOnce(argv, wall, cpu, rss)) {
            std::fprintf(stderr, "%s failed\n", what);
            return std::nullopt;
        }
        walls.push_back(wall);
        cpus.push_back(cpu);
        peak = std::max(peak, rss);
    }
    return Runs{median(walls), median(cpus), peak / 1024.0};
}

void measurePdf(const QString& label, const QString& pdf) {
    const QByteArray program = VORLAP_BINARY;
    const QByteArray output = QFile::encodeName(pdf), input = QFile::encodeName(label);
    const std::vector<const char*> argv = {
        program.constData(), "--pdf", output.constData(), "--margins", "0,0,0,0", "--zoom", "100",
        input.constData(),   nullptr};
    const std::optional<Runs> runs = measureRuns(argv, "vorlap --pdf");
    if (!runs)
        return;
    std::printf("vorlap --pdf, A4 sheet of 21 cells, %d runs: median %.3f s (target 0.08 s), "
                "processor %.3f s, peak %.1f MiB (target 40 MiB), PDF %.1f kB (target 120 kB)\n",
                kRuns, runs->wall, runs->cpu, runs->peakMiB, QFileInfo(pdf).size() / 1000.0);
}

// 100 copies of the sheet, pages that share the sheet's content (targets: 0.2 s and 1 MB).
void measureHundredCopies(const QString& label, const QString& pdf) {
    const QByteArray program = VORLAP_BINARY;
    const QByteArray output = QFile::encodeName(pdf), input = QFile::encodeName(label);
    const std::vector<const char*> argv = {
        program.constData(), "--pdf", output.constData(), "--copies", "100",
        input.constData(),   nullptr};
    const std::optional<Runs> runs = measureRuns(argv, "vorlap --pdf --copies 100");
    if (!runs)
        return;
    std::printf("vorlap --pdf --copies 100, %d runs: median %.3f s (target 0.2 s), processor "
                "%.3f s, PDF %.1f kB (target 1000 kB)\n",
                kRuns, runs->wall, runs->cpu, QFileInfo(pdf).size() / 1000.0);
}

// 999 copies of the sheet in one run: the document goes to its file page by page, so the
// peak memory is that of one copy (target: within 10 MiB of it).
void measureCopies(const QString& label, const QString& pdf) {
    const QByteArray program = VORLAP_BINARY;
    const QByteArray output = QFile::encodeName(pdf), input = QFile::encodeName(label);
    long peaks[2] = {0, 0};
    double walls[2] = {0, 0};
    const char* counts[2] = {"1", "999"};
    for (int i = 0; i < 2; ++i) {
        const std::vector<const char*> argv = {
            program.constData(), "--pdf", output.constData(), "--copies", counts[i],
            input.constData(),   nullptr};
        double cpu = 0;
        if (!runOnce(argv, walls[i], cpu, peaks[i])) {
            std::fprintf(stderr, "vorlap --pdf --copies %s failed\n", counts[i]);
            return;
        }
    }
    const double growth = (peaks[1] - peaks[0]) / 1024.0;
    std::printf("vorlap --pdf --copies 999: %.1f s, peak %.1f MiB against %.1f MiB for one copy "
                "(+%.1f MiB, target within 10 MiB) %s, PDF %.1f MiB\n",
                walls[1], peaks[1] / 1024.0, peaks[0] / 1024.0, growth,
                growth <= 10 ? "met" : "MISSED", QFileInfo(pdf).size() / (1024.0 * 1024.0));
}

// 1,000 addresses, one a label of the 21-up L7160 sheet: 48 sheets in one PDF (targets:
// under 2 s and 100 MiB for the whole process).
// 1,000 addresses on L7160, first as texts alone, then on a label with a frame and a logo drawn
// once for every cell, the addresses between them.
void measureMerge(const QDir& dir) {
    const QString style = "\t100FFFFFF00100000000000000000A0Arial";
    const LineList addresses = {"03F026000000", " 0BLANK",
                                (" 0TEXT 01801C0F0040{Nom}" + style).toLatin1(),
                                (" 0TEXT 018048100068{Adresse}" + style).toLatin1(),
                                (" 0TEXT 01806C100090{Code postal} {Ville}" + style).toLatin1()};
    LineList framed = addresses;
    framed.insert(2, " 0RECT " + LineCodec::writeRect(4, 4, 250, 130) +
                         "\t100FFFFFF00200000000000000000A0Arial");
    framed.append(" 0BITMAP " + LineCodec::writeRect(190, 12, 240, 60) +
                  LineCodec::writePicture(smoothPicture(7)) + style.toLatin1());
    QByteArray list = "Nom;Adresse;Code postal;Ville\r\n";
    for (int i = 1; i <= 1000; ++i)
        list += "M. Dupr\xC3\xA9 " + QByteArray::number(i) + ";\"" + QByteArray::number(i) +
                ", rue de l'\xC3\x89glise; b\xC3\xA2timent B\";" +
                QByteArray::number(75000 + i % 20) + ";Paris\r\n";
    const QString csv = dir.filePath("adresses.csv");
    if (!SafeFile::writeAtomically(csv, list))
        return;
    for (const auto& [lines, name, what] :
         {std::tuple{addresses, "fusion", "texts alone"},
          std::tuple{framed, "fusion-cadre", "with a frame and a logo"}}) {
        const QString label = dir.filePath(QString::fromLatin1(name) + ".etq");
        LabelFile::write(label, lines);
        const QByteArray program = VORLAP_BINARY;
        const QString pdf = dir.filePath(QString::fromLatin1(name) + ".pdf");
        const QByteArray output = QFile::encodeName(pdf), input = QFile::encodeName(label),
                         merge = QFile::encodeName(csv);
        const std::vector<const char*> argv = {
            program.constData(), "--pdf",           output.constData(), "--sheet", "L7160",
            "--merge",           merge.constData(), input.constData(),  nullptr};
        const std::optional<Runs> runs = measureRuns(argv, "vorlap --pdf --merge");
        if (!runs)
            return;
        std::printf("vorlap --pdf --merge, 1,000 addresses on 48 sheets of 21, %s, %d runs: "
                    "median %.3f s (target 2 s), processor %.3f s, peak %.1f MiB (target 100 "
                    "MiB), PDF %.1f KiB\n",
                    what, kRuns, runs->wall, runs->cpu, runs->peakMiB,
                    QFileInfo(pdf).size() / 1024.0);
    }
}

// The sheet of a maximised preview on the 1280 x 1024 screen at a zoom, and its drawing area,
// laid out as TEcran lays it out. The bench sets SheetLayout up here and in repaint() only.
struct Preview {
    SheetLayout layout;
    QSize area;
};

Preview maximisedPreview(const LineList& lines, int zoom) {
    Preview preview;
    preview.layout.Init({0, 0, 0, 0, zoom}, lines, PaperSize{QSize(2480, 3508), QSizeF(210, 297)});
    const int sheetHeight = kScreen.height() - 100;
    const int sheetWidth = int(std::nearbyint(preview.layout.PageRatio * sheetHeight));
    preview.area = QSize(sheetWidth - 4, sheetHeight - 4);
    preview.layout.FormResize(preview.area);
    return preview;
}

// One full repaint as TEcran::Dessine does it: white, the guide lines, every cell, each pass on
// canvases of its own. Returns its time in milliseconds.
double repaint(Preview& preview, const LineList& lines, QImage& image, PictureCache& pictures) {
    QElapsedTimer timer;
    timer.start();
    image.fill(Qt::white);
    {
        GdiCanvas guides(&image);
        for (const QLine& guide : preview.layout.guideLines()) {
            guides.moveTo(guide.x1(), guide.y1());
            guides.lineTo(guide.x2(), guide.y2());
        }
    }
    preview.layout.Actualiser(preview.layout.Zoom);
    GdiCanvas canvas(&image);
    paintSheet(canvas, preview.layout, lines, &pictures);
    canvas.flush();
    pictures.sweep();
    return timer.nsecsElapsed() / 1e6;
}

void measurePreview(const LineList& lines) {
    Preview preview = maximisedPreview(lines, 100);
    QImage image(preview.area, QImage::Format_RGB32);
    PictureCache pictures;
    std::vector<double> times;
    for (int i = 0; i < kPreviewRuns; ++i)
        times.push_back(repaint(preview, lines, image, pictures));
    std::printf("preview repaint %dx%d, %d cells: median %.2f ms (target 33 ms), first %.2f ms\n",
                preview.area.width(), preview.area.height(),
                preview.layout.rows() * preview.layout.columns(), median(times), times.front());
}

QByteArray styled(int brushStyle, int brushColor, int penStyle, int penWidth) {
    StyleBlock s;
    s.brushStyle = brushStyle;
    s.brushColor = ColorRef(brushColor);
    s.penStyle = penStyle;
    s.penWidth = penWidth;
    s.penColor = 0x00802040;
    return LineCodec::writeStyles(s);
}

// A 100 mm label of figures as large as the label, one of each kind the canvas traces, and a few
// smaller ones, a picture and a text at its top left corner, which stays in sight however far the
// preview zooms in: every cell reaches far beyond the drawing area once the preview is zoomed.
LineList figureLabel() {
    const QByteArray whole = LineCodec::writeRect(0, 0, 400, 400);
    QImage picture(40, 30, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qRgb(x * 6, y * 8, (x ^ y) * 4));
    const QList<QPoint> star = {{200, 0}, {320, 400}, {0, 130}, {400, 130}, {80, 400}};
    const QList<QPoint> zigzag = {{0, 0}, {400, 100}, {0, 200}, {400, 300}, {0, 400}};
    return {"064064000000",
            " 0BLANK",
            " 0ELLIPSE " + whole + '\t' + styled(BrushClear, 0xFFFFFF, PenSolid, 255),
            " 0ARCH " + whole + '\t' + styled(BrushClear, 0xFFFFFF, PenSolid, 1),
            " 0LINE " + whole + '\t' + styled(BrushClear, 0xFFFFFF, PenSolid, 1),
            " 0RECT " + whole + '\t' + styled(BrushClear, 0xFFFFFF, PenSolid, 1),
            " 0ROUNDRECT " + LineCodec::writeRect(20, 20, 380, 380) + '\t' +
                styled(BrushCross, 0x00A0FF, PenSolid, 3),
            " 0ELLIPSE " + LineCodec::writeRect(40, 40, 360, 360) + '\t' +
                styled(BrushSolid, 0xE0FFE0, PenDash, 1),
            " 0RECT " + LineCodec::writeRect(60, 60, 340, 340) + '\t' +
                styled(BrushClear, 0xFFFFFF, PenDot, 1),
            " 0ARCL " + whole + '\t' + styled(BrushClear, 0xFFFFFF, PenSolid, 9),
            " 0ARCLU " + whole + '\t' + styled(BrushClear, 0xFFFFFF, PenDashDot, 1),
            " 0POLYG " + whole + LineCodec::writePoints(star) + '\t' +
                styled(BrushDiagCross, 0xFF0000, PenSolid, 1),
            " 0POLYL " + whole + LineCodec::writePoints(zigzag) + '\t' +
                styled(BrushClear, 0xFFFFFF, PenSolid, 5),
            " 0LINEU " + whole + '\t' + styled(BrushClear, 0xFFFFFF, PenDashDotDot, 1),
            " 0ELLIPSE " + LineCodec::writeRect(0, 0, 30, 20) + '\t' +
                styled(BrushHorizontal, 0x0000FF, PenDashDot, 1),
            " 0ARCHU " + LineCodec::writeRect(0, 0, 40, 40) + '\t' +
                styled(BrushClear, 0xFFFFFF, PenSolid, 7),
            " 0BITMAP " + LineCodec::writeRect(0, 0, 100, 100) + LineCodec::writePicture(picture) +
                '\t' + styled(BrushClear, 0xFFFFFF, PenSolid, 1),
            " 0TEXT " + LineCodec::writeRect(0, 0, 200, 40) +
                "Exp\xE9"
                "diteur" +
                '\t' + styled(BrushSolid, 0xFFFFFF, PenSolid, 1)};
}

// The preview's full repaint of the figure label at one zoom, in this process: a child of the
// bench, so that its peak memory is its own.
int measureZoomedPreview(int zoom) {
    const LineList lines = figureLabel();
    Preview preview = maximisedPreview(lines, zoom);
    QImage image(preview.area, QImage::Format_RGB32);
    PictureCache pictures;
    std::vector<double> times;
    // A slow repaint is timed fewer times.
    QElapsedTimer total;
    total.start();
    while (times.size() < 9 && (times.size() < 3 || total.elapsed() < 20000))
        times.push_back(repaint(preview, lines, image, pictures));
    std::printf("%.2f %d", median(times), int(times.size()));
    return 0;
}

// Each zoom is repainted in a process of its own, with at most 8 GiB to take.
void measureZoomedPreviews() {
    for (const char* zoom : {"100", "5000", "20000000"}) {
        int channel[2];
        if (pipe(channel) != 0)
            return;
        std::fflush(stdout);
        const pid_t child = fork();
        if (child == 0) {
            dup2(channel[1], STDOUT_FILENO);
            close(channel[0]);
            const rlimit memory{rlim_t(8) << 30, rlim_t(8) << 30};
            setrlimit(RLIMIT_AS, &memory);
            execl("/proc/self/exe", "sheet_bench", "--zoomed-preview", zoom, nullptr);
            _exit(127);
        }
        close(channel[1]);
        int status = 0;
        rusage usage{};
        const bool done = child > 0 && wait4(child, &status, 0, &usage) == child &&
                          WIFEXITED(status) && WEXITSTATUS(status) == 0;
        char answer[64] = {};
        const ssize_t got = read(channel[0], answer, sizeof answer - 1);
        close(channel[0]);
        double ms = 0;
        int runs = 0;
        if (!done || got <= 0 || std::sscanf(answer, "%lf %d", &ms, &runs) != 2) {
            std::printf("preview of a label of label-sized figures at zoom %s%%: failed, peak %.1f "
                        "MiB\n",
                        zoom, usage.ru_maxrss / 1024.0);
            continue;
        }
        std::printf("preview of a label of label-sized figures at zoom %s%%, full repaint: median "
                    "%.2f ms of %d (target 33 ms), peak %.1f MiB\n",
                    zoom, ms, runs, usage.ru_maxrss / 1024.0);
    }
}

// What the first "Nouveau" or `vorlap --list-sheets` waits for: the installed catalogue read
// and a user's file of 100 lines read over it.
void measureCatalogue(const QDir& dir) {
    QByteArray userLines;
    for (int i = 0; i < 100; ++i)
        userLines += QStringLiteral("U%1;Planche d'essai %1;63.50;38.10;3;7;66.00;38.10;7.20;"
                                    "15.15;arrondi;mesurée\n")
                         .arg(i)
                         .toUtf8();
    const QString userFile = dir.filePath("planches.txt");
    SafeFile::writeAtomically(userFile, userLines);
    std::vector<double> times;
    qsizetype entries = 0;
    for (int run = 0; run < 50; ++run) {
        QElapsedTimer timer;
        timer.start();
        const SheetCatalogue catalogue = SheetCatalogue::load(userFile);
        times.push_back(timer.nsecsElapsed() / 1e6);
        entries = catalogue.entries().size();
    }
    std::printf("sheet catalogue, %lld entries with the user's 100: load median %.2f ms (target "
                "20 ms), first %.2f ms\n",
                qint64(entries), median(times), times.front());
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--zoomed-preview") == 0)
        return measureZoomedPreview(std::atoi(argv[2]));
    QTemporaryDir temporary;
    // The catalogue alone, for a quick look: sheet_bench --catalogue.
    if (argc == 2 && qstrcmp(argv[1], "--catalogue") == 0) {
        measureCatalogue(QDir(temporary.path()));
        return 0;
    }
    if (argc == 2 && qstrcmp(argv[1], "--merge") == 0) {
        measureMerge(QDir(temporary.path()));
        return 0;
    }
    if (argc == 2 && qstrcmp(argv[1], "--pdf") == 0) {
        const QDir dir(temporary.path());
        const QString label = dir.filePath("lourde.etq");
        LabelFile::write(label, heavyLabel());
        measurePdf(label, dir.filePath("lourde.pdf"));
        measureHundredCopies(label, dir.filePath("copies.pdf"));
        return 0;
    }
    // The label and its PDF stay in the folder given, if any.
    const QDir dir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : temporary.path());
    const LineList lines = heavyLabel();
    const QString label = dir.filePath("lourde.etq");
    LabelFile::write(label, lines);
    std::printf("label: %lld lines, %.1f KiB\n", qint64(lines.size()),
                QFileInfo(label).size() / 1024.0);
    measurePdf(label, dir.filePath("lourde.pdf"));
    measureHundredCopies(label, dir.filePath("copies.pdf"));
    measureCopies(label, dir.filePath("copies.pdf"));
    measurePreview(lines);
    measureZoomedPreviews();
    measureCatalogue(dir);
    measureMerge(dir);
    return 0;
}
