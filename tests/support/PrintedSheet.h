#pragma once

#include <QImage>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// A printed sheet measured from outside the program: poppler rasterises the PDF at a
// resolution of the test's choosing, and the lines and shapes are found in its pixels. Every
// figure is in millimetres from the paper's top-left corner.
namespace PrintedSheet {

// A label file written for the true-size checks, the page setup to print it with, and what
// one printed sheet of it must show.
struct TrueSizeCase {
    QString name;
    QString label;
    QStringList options;
    // What differs on the sheet, with the figures measured; empty when all is in place.
    std::function<QStringList(const QString& pdf)> check;
};

// Writes the labels into `dir`: "cadre.etq", 70 x 37 mm with a frame on its border and a
// 12-point "H" inside, and "cd.etq", a CD label with a circle on its border. The cases print
// the first at zoom 100 without margins, with margins of 10 and 15 mm and at zoom 50, and the
// second at zoom 100.
QList<TrueSizeCase> trueSizeCases(const QString& dir);

// The outline of the frame around each point (millimetres) on the PDF's first page rasterised
// at `dpi`; an empty rectangle where no frame surrounds it.
QList<QRectF> framesAround(const QString& pdf, const QList<QPointF>& insides, int dpi);
// One raster pixel at `dpi`, in millimetres.
double pixelMillimetres(int dpi);
// The outline of the closed frame around a point inside it, its line included, on the first
// page rasterised at `dpi` within `area`; null when no frame surrounds the point.
QRectF frameAround(const QString& pdf, const QRectF& area, QPointF inside, int dpi);

// The centre of the cross (two thin lines about 10 mm long, across and down) within 6 mm of
// each point, on the first page rasterised at `dpi`; none where no cross is.
QList<std::optional<QPointF>> crossCentres(const QString& pdf, const QList<QPointF>& near, int dpi);

// What `qpdf --check` finds wrong in the PDF: empty when it finds the file sound.
QString qpdfProblems(const QString& pdf);

// Every page of the PDF as poppler draws it at `dpi`, anti-aliased and in colour.
QList<QImage> pageImages(const QString& pdf, int dpi);

// The cap height of Arial (fontconfig's match for it) at `points`, from the font's own outline.
double capHeightMillimetres(double points);

} // namespace PrintedSheet
