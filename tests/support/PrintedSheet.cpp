#include "PrintedSheet.h"

#include <QDir>
#include <QFile>
#include <QFont>
#include <QImage>
#include <QImageReader>
#include <QPainterPath>
#include <QProcess>
#include <QRawFont>
#include <QRectF>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <vector>

namespace PrintedSheet {

namespace {

constexpr double kMillimetresPerInch = 25.4;
constexpr double kFrameTolerance = 0.2;
constexpr double kCircleTolerance = 0.3;
constexpr double kTextTolerance = 0.1;
// The labels' texts are smaller than this, their frames larger.
constexpr double kTextSize = 5;

// A 1-unit black pen, a clear brush and Arial 12: the frames' and the text's style.
const QByteArray kStyle = "100FFFFFF00100000000000000000C0Arial";

void writeLabel(const QString& path, const QList<QByteArray>& lines) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(lines.join("\r\n") + "\r\n") < 0)
        qFatal("cannot write %s", qPrintable(path));
}

QString describe(const QRectF& box) {
    return QStringLiteral("%1 x %2 mm at %3, %4")
        .arg(box.width(), 0, 'f', 2)
        .arg(box.height(), 0, 'f', 2)
        .arg(box.left(), 0, 'f', 2)
        .arg(box.top(), 0, 'f', 2);
}

// One page of the PDF as poppler draws it within an area, without anti-aliasing.
class Raster {
public:
    Raster(const QString& pdf, const QRectF& area, int dpi) : perMm_(dpi / kMillimetresPerInch) {
        QTemporaryDir dir;
        origin_ =
            QPoint(int(std::floor(area.left() * perMm_)), int(std::floor(area.top() * perMm_)));
        const QSize size(int(std::ceil(area.width() * perMm_)),
                         int(std::ceil(area.height() * perMm_)));
        const QString base = dir.filePath(QStringLiteral("page"));
        QProcess::execute(QStringLiteral("pdftoppm"), {"-q",
                                                       "-f",
                                                       "1",
                                                       "-l",
                                                       "1",
                                                       "-r",
                                                       QString::number(dpi),
                                                       "-x",
                                                       QString::number(origin_.x()),
                                                       "-y",
                                                       QString::number(origin_.y()),
                                                       "-W",
                                                       QString::number(size.width()),
                                                       "-H",
                                                       QString::number(size.height()),
                                                       "-gray",
                                                       "-aa",
                                                       "no",
                                                       "-aaVector",
                                                       "no",
                                                       "-singlefile",
                                                       pdf,
                                                       base});
        image_ = QImage(base + QStringLiteral(".pgm")).convertToFormat(QImage::Format_Grayscale8);
    }

    int width() const { return image_.width(); }
    int height() const { return image_.height(); }
    bool contains(QPoint p) const { return image_.rect().contains(p); }
    bool dark(int x, int y) const { return image_.constScanLine(y)[x] < 128; }
    double x(int column) const { return (origin_.x() + column) / perMm_; }
    double y(int row) const { return (origin_.y() + row) / perMm_; }

    // How many pixels of one kind (ink or white) follow one another from `from` on, one step
    // at a time, and whether they reach the area's edge.
    struct Run {
        int length = 0;
        bool toEdge = false;
    };
    Run run(QPoint from, QPoint step, bool ink) const {
        Run found;
        for (QPoint p = from; contains(p) && dark(p.x(), p.y()) == ink; p += step)
            ++found.length;
        found.toEdge = !contains(from + step * found.length);
        return found;
    }

    QPoint pixel(QPointF mm) const {
        return QPoint(int(std::floor(mm.x() * perMm_)), int(std::floor(mm.y() * perMm_))) - origin_;
    }
    QRectF millimetres(const QRect& box) const {
        return QRectF(QPointF(x(box.left()), y(box.top())),
                      QPointF(x(box.right() + 1), y(box.bottom() + 1)));
    }
    double millimetres(int pixels) const { return pixels / perMm_; }
    // The middle of a pixel, which may be a fraction, in millimetres.
    QPointF centre(QPointF pixel) const {
        return (QPointF(origin_) + pixel + QPointF(0.5, 0.5)) / perMm_;
    }

    // The boxes of 4-connected ink that lies wholly within `area` (millimetres).
    QList<QRectF> shapesWithin(const QRectF& area) const {
        const QRect within =
            QRect(pixel(area.topLeft()), pixel(area.bottomRight())) & image_.rect();
        std::vector<quint8> seen(size_t(width()) * size_t(height()), 0);
        QList<QRectF> boxes;
        for (int y = within.top(); y <= within.bottom(); ++y)
            for (int x = within.left(); x <= within.right(); ++x)
                if (!seen[size_t(y) * width() + x] && dark(x, y)) {
                    const QRect box = shape({x, y}, seen);
                    if (within.contains(box))
                        boxes.append(millimetres(box));
                }
        return boxes;
    }

private:
    // The box of the 4-connected ink around a point.
    QRect shape(QPoint seed, std::vector<quint8>& seen) const {
        QRect box(seed, QSize(1, 1));
        std::vector<QPoint> stack{seed};
        seen[size_t(seed.y()) * width() + seed.x()] = 1;
        while (!stack.empty()) {
            const QPoint p = stack.back();
            stack.pop_back();
            box |= QRect(p, QSize(1, 1));
            for (const QPoint n :
                 {p + QPoint(-1, 0), p + QPoint(1, 0), p + QPoint(0, -1), p + QPoint(0, 1)}) {
                if (!contains(n))
                    continue;
                quint8& mark = seen[size_t(n.y()) * width() + n.x()];
                if (!mark && dark(n.x(), n.y())) {
                    mark = 1;
                    stack.push_back(n);
                }
            }
        }
        return box;
    }

    QImage image_;
    QPoint origin_;
    double perMm_;
};

struct Findings {
    QStringList failures;

    void expectNear(const QString& what, double got, double want, double tolerance) {
        if (std::abs(got - want) > tolerance)
            failures << QStringLiteral("%1 is %2 mm, not %3 ± %4 mm")
                            .arg(what)
                            .arg(got, 0, 'f', 2)
                            .arg(want, 0, 'f', 2)
                            .arg(tolerance);
    }
    void expectBox(const QString& what, const QRectF& box, const QRectF& want, double tolerance) {
        const bool near = std::abs(box.left() - want.left()) <= tolerance &&
                          std::abs(box.top() - want.top()) <= tolerance &&
                          std::abs(box.width() - want.width()) <= tolerance &&
                          std::abs(box.height() - want.height()) <= tolerance;
        if (!near)
            failures << QStringLiteral("%1 is %2, not %3 (± %4 mm)")
                            .arg(what, describe(box), describe(want))
                            .arg(tolerance);
    }
};

// A closed outline measured from a point inside it: the white from there to the line on each
// side, widened by the line's width. Where a neighbour's line touches a side that side looks
// wider, and where the sheet's edge cuts it narrower, so the narrowest side that the edge does
// not cut gives the width. Empty when the point is on ink or no line surrounds it.
QRectF outline(const Raster& raster, QPointF inside) {
    const QPoint seed = raster.pixel(inside);
    if (!raster.contains(seed))
        return {};
    const QPoint steps[] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
    int white[4];
    for (int i = 0; i < 4; ++i) {
        const Raster::Run run = raster.run(seed, steps[i], false);
        if (run.length == 0 || run.toEdge)
            return {};
        white[i] = run.length;
    }
    const QRect inner(QPoint(seed.x() - white[0] + 1, seed.y() - white[2] + 1),
                      QPoint(seed.x() + white[1] - 1, seed.y() + white[3] - 1));
    int line = 0;
    int cut = 0;
    for (int i = 0; i < 4; ++i) {
        const Raster::Run run = raster.run(seed + steps[i] * white[i], steps[i], true);
        if (!run.toEdge)
            line = line == 0 ? run.length : std::min(line, run.length);
        else
            cut = std::max(cut, run.length);
    }
    const double width = raster.millimetres(line == 0 ? cut : line);
    return raster.millimetres(inner).adjusted(-width, -width, width, width);
}

// Each frame's outline, found from a point just inside the corner where it should be, at its
// corner and of its size, and the text inside the first.
QStringList checkFrames(const QString& pdf, const QRectF& area, const QList<QPointF>& corners,
                        const QSizeF& size, double textHeight) {
    const Raster raster(pdf, area, 1200);
    Findings findings;
    QRectF first;
    for (int i = 0; i < corners.size(); ++i) {
        const QString name = QStringLiteral("frame %1").arg(i + 1);
        const QRectF frame = outline(raster, corners[i] + QPointF(1, 1));
        if (frame.isNull())
            findings.failures << QStringLiteral("no %1 around %2, %3 mm")
                                     .arg(name)
                                     .arg(corners[i].x() + 1)
                                     .arg(corners[i].y() + 1);
        else
            findings.expectBox(name, frame, QRectF(corners[i], size), kFrameTolerance);
        if (i == 0)
            first = frame;
    }
    QList<QRectF> texts;
    for (const QRectF& box : raster.shapesWithin(first))
        if (box.width() < kTextSize && box.height() < kTextSize)
            texts.append(box);
    if (texts.size() != 1)
        findings.failures << QStringLiteral("%1 shapes inside the first frame, not the H alone")
                                 .arg(texts.size());
    else
        findings.expectNear(QStringLiteral("the H's height"), texts[0].height(), textHeight,
                            kTextTolerance);
    return findings.failures;
}

QStringList checkCircle(const QString& pdf, const QRectF& area, const QRectF& want) {
    const Raster raster(pdf, area, 600);
    const QRectF circle = outline(raster, want.center());
    if (circle.isNull())
        return {QStringLiteral("no circle around %1, %2 mm")
                    .arg(want.center().x())
                    .arg(want.center().y())};
    Findings findings;
    findings.expectBox(QStringLiteral("the circle"), circle, want, kCircleTolerance);
    return findings.failures;
}

// The middle of the band of lines or columns that hold the most ink: a cross's arm across all
// of them stands far above the other arm's and a label's few pixels each.
std::optional<double> busiestBand(const std::vector<int>& counts, int least) {
    const int most = counts.empty() ? 0 : *std::max_element(counts.begin(), counts.end());
    if (most < least)
        return std::nullopt;
    double sum = 0;
    double weight = 0;
    for (size_t i = 0; i < counts.size(); ++i)
        if (counts[i] * 2 >= most) {
            sum += double(i) * counts[i];
            weight += counts[i];
        }
    return sum / weight;
}

} // namespace

QList<QRectF> framesAround(const QString& pdf, const QList<QPointF>& insides, int dpi) {
    // A whole page at a fine resolution is more than Qt's default limit for a picture.
    QImageReader::setAllocationLimit(1024);
    const Raster raster(pdf, QRectF(0, 0, 210, 297), dpi);
    QList<QRectF> frames;
    for (const QPointF& inside : insides)
        frames.append(outline(raster, inside));
    return frames;
}

double pixelMillimetres(int dpi) {
    return kMillimetresPerInch / dpi;
}

QRectF frameAround(const QString& pdf, const QRectF& area, QPointF inside, int dpi) {
    return outline(Raster(pdf, area, dpi), inside);
}

QList<std::optional<QPointF>> crossCentres(const QString& pdf, const QList<QPointF>& near,
                                           int dpi) {
    constexpr double kReach = 6;
    // An arm is 10 mm long; most of it must show.
    constexpr double kLeastArm = 8;
    const int least = int(kLeastArm * dpi / kMillimetresPerInch);
    QList<std::optional<QPointF>> centres;
    for (const QPointF& point : near) {
        // Only the cross's square is drawn: a whole page at a fine resolution is large.
        const Raster raster(pdf, QRectF(point - QPointF(kReach, kReach), QSizeF(2, 2) * kReach),
                            dpi);
        std::vector<int> columns(size_t(raster.width()), 0);
        std::vector<int> rows(size_t(raster.height()), 0);
        for (int y = 0; y < raster.height(); ++y)
            for (int x = 0; x < raster.width(); ++x)
                if (raster.dark(x, y)) {
                    ++columns[size_t(x)];
                    ++rows[size_t(y)];
                }
        const std::optional<double> x = busiestBand(columns, least);
        const std::optional<double> y = busiestBand(rows, least);
        if (x && y)
            centres.append(raster.centre(QPointF(*x, *y)));
        else
            centres.append(std::nullopt);
    }
    return centres;
}

double capHeightMillimetres(double points) {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(1000);
    const QRawFont raw = QRawFont::fromFont(font);
    const QList<quint32> glyphs = raw.glyphIndexesForString(QStringLiteral("H"));
    if (glyphs.isEmpty())
        qFatal("no H in the font Arial stands for");
    const double em = raw.pathForGlyph(glyphs[0]).boundingRect().height() / 1000;
    return em * points / 72 * kMillimetresPerInch;
}

QList<TrueSizeCase> trueSizeCases(const QString& dir) {
    // 70 x 37 mm at 4 label pixels a millimetre: 280 x 148, "118" and "094" in hex.
    const QString frame = QDir(dir).filePath(QStringLiteral("cadre.etq"));
    writeLabel(frame, {"046025000000", " 0BLANK", " 0RECT 000000118094\t" + kStyle,
                       " 0TEXT 08C0280F0078H\t" + kStyle});
    // 126 x 126 mm at 3 pixels a millimetre: 378, "17A".
    const QString cd = QDir(dir).filePath(QStringLiteral("cd.etq"));
    writeLabel(cd, {"07E07E000000", " 0BLANK", " 0ELLIPSE 00000017A17A\t" + kStyle});

    const double h = capHeightMillimetres(12);
    const auto frames = [](const QRectF& area, const QList<QPointF>& corners, const QSizeF& size,
                           double text) {
        return [=](const QString& pdf) { return checkFrames(pdf, area, corners, size, text); };
    };
    return {
        {QStringLiteral("zoom 100, margins 0"),
         frame,
         {"--zoom", "100", "--margins", "0,0,0,0"},
         // The third frame's right side lies on the paper's edge at 210 mm, where Qt's A4
         // page, 595 points wide, has already ended (209.9 mm): the first two are measured.
         frames(QRectF(0, 0, 210, 45), {{0, 0}, {70, 0}}, {70, 37}, h)},
        {QStringLiteral("zoom 100, margins 10 and 15 mm"),
         frame,
         {"--zoom", "100", "--margins", "10,15,0,0"},
         frames(QRectF(0, 0, 210, 60), {{10, 15}, {80, 15}}, {70, 37}, h)},
        {QStringLiteral("zoom 50, margins 0"),
         frame,
         {"--zoom", "50", "--margins", "0,0,0,0"},
         frames(QRectF(0, 0, 80, 25), {{0, 0}}, {35, 18.5}, h / 2)},
        {QStringLiteral("CD label, zoom 100, margins 0"),
         cd,
         {"--zoom", "100", "--margins", "0,0,0,0"},
         [](const QString& pdf) {
             return checkCircle(pdf, QRectF(0, 0, 210, 130), QRectF(0, 0, 126, 126));
         }},
    };
}

QString qpdfProblems(const QString& pdf) {
    QProcess qpdf;
    qpdf.setProcessChannelMode(QProcess::MergedChannels);
    qpdf.start(QStringLiteral("qpdf"), {QStringLiteral("--check"), pdf});
    if (!qpdf.waitForStarted())
        return QStringLiteral("qpdf is not installed (Debian package qpdf)");
    qpdf.waitForFinished(60000);
    const QString output = QString::fromUtf8(qpdf.readAll());
    // 2 for errors, 3 for warnings: both are faults of the file.
    if (qpdf.exitStatus() != QProcess::NormalExit || qpdf.exitCode() != 0)
        return pdf + QStringLiteral(": ") + output;
    return {};
}

QList<QImage> pageImages(const QString& pdf, int dpi) {
    QTemporaryDir dir;
    const QString base = dir.filePath(QStringLiteral("page"));
    QProcess::execute(QStringLiteral("pdftoppm"), {"-q", "-r", QString::number(dpi), pdf, base});
    // pdftoppm numbers the pages with as many digits as the last one has.
    QStringList files = QDir(dir.path()).entryList({QStringLiteral("page-*.ppm")}, QDir::Files);
    std::sort(files.begin(), files.end(), [](const QString& a, const QString& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    QList<QImage> pages;
    for (const QString& file : files)
        pages.append(QImage(dir.filePath(file)).convertToFormat(QImage::Format_RGB32));
    return pages;
}

} // namespace PrintedSheet
