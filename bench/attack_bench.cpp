// Labels built to hurt: huge texts in huge fonts, pictures that declare far more pixels than
// they carry, 100,000 objects, and figures far larger than the label. Each file is opened and drawn
// through TEtiq::Charge, as the window does, in a child process of its own, so that a crash or a
// runaway allocation shows as such and the peak memory is that case's alone. Prints time, peak
// memory and the target.
//
//   attack_bench [--keep DIR]     run every case (DIR keeps the generated files)
//   attack_bench --case NAME FILE run one case in this process (what the children do)
#include "LabelDocument.h"
#include "LabelFile.h"
#include "LineCodec.h"
#include "LineEdits.h"
#include "TEtiq.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <malloc.h>
#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// The memory the process's allocations hold now (not what the allocator keeps for later).
double allocatedMiB() {
    const struct mallinfo2 info = mallinfo2();
    return double(info.uordblks + info.hblkhd) / (1024.0 * 1024.0);
}

double peakMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

QByteArray styles(int fontSize, const QByteArray& font = "Arial", int brush = 1, int pen = 0,
                  int penWidth = 1) {
    StyleBlock s;
    s.brushStyle = brush;
    s.brushColor = 0x00FFFF00;
    s.penStyle = pen;
    s.penWidth = penWidth;
    s.penColor = 0x000000FF;
    s.fontColor = 0x00800000;
    s.fontSize = fontSize;
    s.fontName = font;
    return LineCodec::writeStyles(s);
}

LineList label300() {
    return {LineCodec::writeHeader({300, 300, 0, 0}), " 0BLANK"};
}

QByteArray repeated(const QByteArray& piece, qsizetype size) {
    QByteArray text;
    text.reserve(size + piece.size());
    while (text.size() < size)
        text += piece;
    text.truncate(size);
    return text;
}

LineList textLabel(const QByteArray& text, int fontSize, int left = 8, int top = 8) {
    LineList lines = label300();
    lines.append(" 0TEXT " + LineCodec::writeRect(left, top, left + 100, top + 40) + text + '\t' +
                 styles(fontSize));
    return lines;
}

const QByteArray kSentence = "\xC9tiquette du lot 42 : caf\xE9 torr\xE9"
                             "fi\xE9, 250 g. ";

// Pictures that declare 4095 x 4095 pixels and carry three, scattered over the label.
LineList declaredHugePictures() {
    QRandomGenerator rng(3);
    LineList lines = label300();
    for (int i = 0; i < 300; ++i) {
        const int l = int(rng.bounded(900)), t = int(rng.bounded(900));
        const int r = l + 20 + int(rng.bounded(300)), b = t + 20 + int(rng.bounded(300));
        lines.append(" 0BITMAP " + LineCodec::writeRect(l, t, r, b) + "FFFFFF" + "0000FF00FF00" +
                     LineCodec::hex(i * 1000, 6) + "\t" + styles(8));
    }
    return lines;
}

// 100,000 small objects of every kind, texts and pictures among them.
LineList manyObjects() {
    QRandomGenerator rng(5);
    LineList lines = label300();
    const char* keywords[] = {"LINE",  "LINEU", "RECT",  "ELLIPSE", "ROUNDRECT", "ARCL",  "ARCH",
                              "ARCLU", "ARCHU", "POLYG", "POLYL",   "TEXT",      "BITMAP"};
    QByteArray picture = "004004";
    for (int p = 0; p < 16; ++p)
        picture += LineCodec::hex(p * 0x0F0F0F, 6);
    for (int i = 0; i < 100000; ++i) {
        const QByteArray keyword = keywords[i % 13];
        const int l = int(rng.bounded(1150)), t = int(rng.bounded(1150));
        const int r = l + 3 + int(rng.bounded(45)), b = t + 3 + int(rng.bounded(45));
        QByteArray kind;
        if (keyword == "POLYG" || keyword == "POLYL") {
            QList<QPoint> points;
            for (int p = 0; p < 5; ++p)
                points.append(QPoint(l + int(rng.bounded(r - l)), t + int(rng.bounded(b - t))));
            kind = LineCodec::writePoints(points);
        } else if (keyword == "TEXT") {
            kind = "Lot " + QByteArray::number(i % 500);
        } else if (keyword == "BITMAP") {
            kind = picture;
        }
        lines.append(" 0" + keyword + ' ' + LineCodec::writeRect(l, t, r, b) + kind + '\t' +
                     styles(6 + i % 10, i % 2 ? "Arial" : "Times New Roman", int(i % 8), int(i % 6),
                            1 + i % 3));
    }
    return lines;
}

// 100,000 objects, each after a damaged line the reader drops: a cut rectangle, no TAB.
LineList objectsAmongDamagedLines() {
    LineList lines = label300();
    for (int i = 0; i < 100000; ++i) {
        const int l = (i * 7) % 1150, t = (i * 13) % 1150;
        lines.append(" 0RECT " + LineCodec::writeRect(l, t, l + 5, t + 5).left(7));
        lines.append(" 0RECT " + LineCodec::writeRect(l, t, l + 5, t + 5) + '\t' + styles(8));
    }
    return lines;
}

// 2,000 outlines, arcs among them, reaching up to 4095 pixels beyond a 20 mm label's 80 x 80
// surface, with pens up to 255 pixels wide, dashes and hatches: each differs from the others, so
// none is drawn from a figure kept before.
LineList figuresBeyondTheSurface() {
    QRandomGenerator rng(9);
    LineList lines{LineCodec::writeHeader({20, 20, 0, 0}), " 0BLANK"};
    const char* keywords[] = {"RECT", "ELLIPSE", "ROUNDRECT", "ARCL", "ARCH", "ARCLU", "ARCHU"};
    for (int i = 0; i < 2000; ++i) {
        const int l = int(rng.bounded(80)), t = int(rng.bounded(80));
        const int r = 2000 + int(rng.bounded(2096)), b = 2000 + int(rng.bounded(2096));
        const int pen = i % 3 ? 1 + int(rng.bounded(255)) : 1;
        lines.append(" 0" + QByteArray(keywords[i % 7]) + ' ' + LineCodec::writeRect(l, t, r, b) +
                     '\t' + styles(8, "Arial", int(rng.bounded(8)), int(rng.bounded(5)), pen));
    }
    return lines;
}

struct Case {
    const char* name;
    double limitMs;
    double limitMiB;
    LineList (*make)();
    // The file's bytes instead, for files whose lines would not fit in memory as a list.
    QByteArray (*content)() = nullptr;
};

const Case kCases[] = {
    {"20,000 W at 255 pt", 1000, 500, [] { return textLabel(QByteArray(20000, 'W'), 255); }},
    {"131,000 W at 100 pt", 1000, 500, [] { return textLabel(QByteArray(131000, 'W'), 100); }},
    {"1 KB text at 72 pt", 1000, 500, [] { return textLabel(repeated(kSentence, 1024), 72); }},
    {"5 KB text at 255 pt", 1000, 500, [] { return textLabel(repeated(kSentence, 5120), 255); }},
    {"1 MB text at 12 pt", 1000, 100, [] { return textLabel(repeated(kSentence, 1 << 20), 12); }},
    {"300 pictures 4095x4095", 1000, 500, declaredHugePictures},
    {"100,000 objects", 300, 1e9, manyObjects},
    {"100,000 damaged lines", 300, 1e9, objectsAmongDamagedLines},
    {"2,000 figures of 4095 px", 300, 200, figuresBeyondTheSurface},
    {"50 MB of empty lines", 1000, 200, nullptr,
     [] { return "046046000000\r\n 0BLANK\r\n" + QByteArray(50 << 20, '\n'); }},
};

// Wall-clock and processor time of one step, in milliseconds. On a machine shared with
// other work the processor time is the steadier figure.
class Stopwatch {
public:
    Stopwatch() { start(); }
    void start() {
        wall_.start();
        cpu_ = cpuMs();
    }
    // "wall/cpu"
    QByteArray lap() const {
        return QByteArray::number(wall_.nsecsElapsed() / 1e6, 'f', 1) + '/' +
               QByteArray::number(cpuMs() - cpu_, 'f', 1);
    }

private:
    static double cpuMs() {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
    }
    QElapsedTimer wall_;
    double cpu_ = 0;
};

// The median of laps by their wall-clock time.
QByteArray median(std::vector<QByteArray> laps) {
    std::sort(laps.begin(), laps.end(), [](const QByteArray& a, const QByteArray& b) {
        return a.split('/')[0].toDouble() < b.split('/')[0].toDouble();
    });
    return laps[laps.size() / 2];
}

// One case, in this process: open and draw; for the many objects, then move and undo.
// Prints "open peak [move undo | extent width]", times as "wall/cpu".
int runCase(const QString& name, const QString& path) {
    TEtiq etiq;
    Stopwatch watch;
    etiq.Charge(path);
    std::printf("%s %.1f", watch.lap().constData(), peakMiB());
    if (name == QLatin1String("100,000 objects")) {
        for (qsizetype i = 2; i < etiq.document().Lines.size(); ++i)
            etiq.document().Lines[i][0] = '*';
        etiq.HasSelection = true;
        etiq.Dessine();
        // Seven short drags, each one step of the history, then five of them taken back.
        etiq.CurrentPoint = QPoint(600, 600);
        std::vector<QByteArray> moves, undos;
        for (int i = 0; i < 7; ++i) {
            etiq.document().beginGesture();
            etiq.Moving = true;
            watch.start();
            etiq.FormMouseMove(601 - i % 2, 601 - i % 2);
            moves.push_back(watch.lap());
            etiq.Moving = false;
            etiq.document().endGesture();
        }
        for (int i = 0; i < 5; ++i) {
            watch.start();
            etiq.Annuler();
            undos.push_back(watch.lap());
        }
        // A hundred steps of the history, each one object moved: the memory they hold beside
        // the label, in a document of its own so that no redraw's caches are counted.
        double history = 0;
        {
            LabelDocument document;
            document.load(path);
            const double before = allocatedMiB();
            for (int i = 0; i < 100; ++i)
                document.edit([&](LineList& lines) {
                    const qsizetype at = 2 + qsizetype(i) * 997 % (lines.size() - 2);
                    lines[at] = LineEdits::MoveXY(lines[at], 1, 0);
                });
            history = allocatedMiB() - before;
        }
        // The same steps in the window, then all taken back: the time of each step back.
        for (int i = 0; i < 100; ++i)
            etiq.document().edit([&](LineList& lines) {
                const qsizetype at = 2 + qsizetype(i) * 997 % (lines.size() - 2);
                lines[at] = LineEdits::MoveXY(lines[at], 1, 0);
            });
        std::vector<QByteArray> back;
        for (int i = 0; i < 100; ++i) {
            watch.start();
            etiq.Annuler();
            back.push_back(watch.lap());
        }
        std::printf(" %s %s %.2f %s", median(moves).constData(), median(undos).constData(), history,
                    median(back).constData());
    }
    if (name == QLatin1String("1 MB text at 12 pt")) {
        // The frame of the text object, as a save recomputes it.
        const QByteArray line = LabelFile::read(path).at(2);
        const qsizetype textStart = 2 + 5 + 12; // mark, group, "TEXT ", rectangle field
        const QByteArray text = line.mid(textStart, line.indexOf('\t') - textStart);
        StyleBlock style;
        LineCodec::readStyles(LineCodec::splitLine(line).styles, style);
        watch.start();
        const QSize extent = LineEdits::textObjectExtent(text, style);
        std::printf(" %s %d", watch.lap().constData(), extent.width());
    }
    std::printf(" %.1f\n", peakMiB());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc == 4 && std::strcmp(argv[1], "--case") == 0)
        return runCase(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));

    QTemporaryDir temporary;
    QString dir = temporary.path();
    if (argc == 3 && std::strcmp(argv[1], "--keep") == 0) {
        dir = QString::fromLocal8Bit(argv[2]);
        QDir().mkpath(dir);
    }
    std::printf("%-24s %9s %16s %9s  %s\n", "case", "file KiB", "ms wall/cpu", "peak MiB",
                "target");
    // A time meets its target when the processor time does: the wall-clock time also counts
    // waiting for a processor that other work holds.
    const auto report = [](const char* what, const QByteArray& lap, double limitMs,
                           const char* extra = "") {
        const double cpu = lap.split('/').value(1).toDouble();
        std::printf("%-24s %9s %16s %9s  < %.0f ms%s %s\n", what, "", lap.constData(), "", limitMs,
                    extra, cpu < limitMs ? "met" : "MISSED");
    };
    for (const Case& c : kCases) {
        const QByteArray content = c.make ? LabelFile::joinLines(c.make()) : c.content();
        const QString path = QDir(dir).filePath(
            QString::fromLatin1(c.name).remove(QRegularExpression("[^A-Za-z0-9]")) +
            QStringLiteral(".etq"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            return 1;
        file.close();
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--case"), QString::fromLatin1(c.name), path});
        const bool finished = child.waitForFinished(180000);
        const QList<QByteArray> figures = child.readAllStandardOutput().simplified().split(' ');
        const double kib = QFileInfo(path).size() / 1024.0;
        if (!finished || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0 ||
            figures.size() < 3) {
            if (!finished)
                child.kill();
            std::printf("%-24s %9.0f %16s %9s  MISSED\n", c.name, kib,
                        finished ? "crashed" : "over 180 s", "");
            continue;
        }
        const double cpu = figures[0].split('/').value(1).toDouble();
        const double peak = figures.last().toDouble();
        const bool met = cpu < c.limitMs && peak < c.limitMiB;
        std::printf("%-24s %9.0f %16s %9.1f  < %.0f ms", c.name, kib, figures[0].constData(), peak,
                    c.limitMs);
        if (c.limitMiB < 1e9)
            std::printf(", < %.0f MiB", c.limitMiB);
        std::printf(" %s\n", met ? "met" : "MISSED");
        if (figures.size() == 7 && QByteArray(c.name).startsWith("100,000")) {
            report("  move step (median)", figures[2], 200);
            report("  Annuler (median)", figures[3], 200);
            const double history = figures[4].toDouble();
            std::printf("%-24s %9s %16s %9.2f  < 100 MiB %s\n", "  100 undo steps, memory", "", "",
                        history, history < 100 ? "met" : "MISSED");
            report("  Annuler of 100 (median)", figures[5], 200);
        }
        if (figures.size() == 5 && QByteArray(c.name).startsWith("1 MB"))
            std::printf("%-24s %9s %16s %9s  (width %s px)\n", "  text extent", "",
                        figures[2].constData(), "", figures[3].constData());
    }
    return 0;
}
