// Full redraw of two generated labels: one of pictures, one of many vector objects.
// Prints the median redraw with and without the picture cache, the load time, and the
// median step of a move drag.
#include "LabelFile.h"
#include "LineCodec.h"
#include "TEtiq.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QByteArray styles(QRandomGenerator& rng) {
    StyleBlock s;
    s.brushStyle = int(rng.bounded(8));
    s.brushColor = rng.bounded(0x1000000u);
    s.penStyle = int(rng.bounded(7));
    s.penWidth = 1 + int(rng.bounded(3));
    s.penColor = rng.bounded(0x1000000u);
    s.fontColor = rng.bounded(0x1000000u);
    s.fontSize = 8 + int(rng.bounded(16));
    s.fontStyle = LineCodec::fontStyleFromDigit(int(rng.bounded(5)));
    s.fontName = rng.bounded(2) ? "Arial" : "Times New Roman";
    return LineCodec::writeStyles(s);
}

LineList pictureLabel() {
    QRandomGenerator rng(7);
    LineList lines{LineCodec::writeHeader({300, 100, 0, 0}), " 0BLANK"};
    for (int i = 0; i < 40; ++i) {
        QImage picture(200, 109, QImage::Format_RGB32);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                picture.setPixel(x, y, qRgb((x * 7 + i) & 255, (y * 5) & 255, (x ^ y) & 255));
        const int left = (i % 8) * 140;
        const int top = (i / 8) * 75;
        lines.append(" 0BITMAP " + LineCodec::writeRect(left, top, left + 130, top + 70) +
                     LineCodec::writePicture(picture) + '\t' + styles(rng));
    }
    return lines;
}

LineList vectorLabel() {
    QRandomGenerator rng(11);
    LineList lines{LineCodec::writeHeader({200, 100, 0, 0}), " 0BLANK"};
    const char* keywords[] = {"LINE", "LINEU", "RECT",  "ELLIPSE", "ROUNDRECT", "ARCL",
                              "ARCH", "ARCLU", "ARCHU", "POLYG",   "POLYL",     "TEXT"};
    for (int i = 0; i < 3000; ++i) {
        const QByteArray keyword = keywords[i % 12];
        const int l = int(rng.bounded(700));
        const int t = int(rng.bounded(330));
        const int r = l + 5 + int(rng.bounded(90));
        const int b = t + 5 + int(rng.bounded(60));
        QByteArray kind;
        if (keyword == "POLYG" || keyword == "POLYL") {
            QList<QPoint> points;
            for (int p = 0; p < 8; ++p)
                points.append(QPoint(l + int(rng.bounded(r - l)), t + int(rng.bounded(b - t))));
            kind = LineCodec::writePoints(points);
        } else if (keyword == "TEXT") {
            kind = "\xC9tiquette " + QByteArray::number(i);
        }
        lines.append(" 0" + keyword + ' ' + LineCodec::writeRect(l, t, r, b) + kind + '\t' +
                     styles(rng));
    }
    return lines;
}

double medianMs(TEtiq& etiq, int runs) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        etiq.Dessine();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void measure(const char* name, const LineList& lines, const QString& path) {
    LabelFile::write(path, lines);
    TEtiq etiq;
    QElapsedTimer timer;
    timer.start();
    etiq.Charge(path);
    const double loadMs = timer.nsecsElapsed() / 1e6;
    etiq.setPictureCacheEnabled(true);
    etiq.Dessine();
    const double cached = medianMs(etiq, 31);
    etiq.setPictureCacheEnabled(false);
    const double uncached = medianMs(etiq, 11);
    std::printf("%-15s %5lld lines %8.1f KiB  load %7.2f ms  redraw cached %7.2f ms  "
                "uncached %7.2f ms  (x%.1f)\n",
                name, qint64(lines.size()), LabelFile::joinLines(lines).size() / 1024.0, loadMs,
                cached, uncached, uncached / cached);
}

// One step of a move drag: frames erased, selected lines moved, frames drawn again.
void measureDragStep(const LineList& lines, const QString& path) {
    LabelFile::write(path, lines);
    TEtiq etiq;
    etiq.Charge(path);
    for (int i = 0; i < 50; ++i)
        etiq.document().Lines[2 + i * 60][0] = '*';
    etiq.HasSelection = true;
    etiq.Dessine();
    std::vector<double> times;
    for (int i = 0; i < 201; ++i) {
        const int step = (i % 2) ? 1 : -1;
        QElapsedTimer timer;
        timer.start();
        etiq.AnchorPoint = QPoint(100, 100);
        etiq.CurrentPoint = QPoint(100 + step, 100 + step);
        etiq.Affsel();
        etiq.Deplace();
        etiq.Affsel();
        etiq.canvas().flush();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    std::printf("drag step      3000 objects, 50 selected: median %.3f ms\n",
                times[times.size() / 2]);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    measure("picture label", pictureLabel(), dir.filePath("pictures.etq"));
    measure("vector label", vectorLabel(), dir.filePath("vectors.etq"));
    measureDragStep(vectorLabel(), dir.filePath("drag.etq"));
    return 0;
}
