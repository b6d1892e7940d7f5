#pragma once

#include <QList>
#include <QPointF>
#include <QSizeF>
#include <QString>

class PrintDevice;
class QPainter;

// The calibration page: crosses and rulers at known millimetres from the paper's edge, and in
// French how to measure where they landed and what to enter in "Mise en page", so that a
// printer's feed error can be made good.

// The crosses' centres in millimetres from the paper's top-left corner, as meant: in each
// corner, one 20 mm and one 50 mm from both edges of that corner.
QList<QPointF> calibrationCrosses(QSizeF paperMillimetres);

// Draws the page on a painter whose origin is the paper's top-left corner, at the device's
// pixels per millimetre across and down. Everything moves by `offset` millimetres, the
// printer's calibration, which the page states with the printer's name (none: a file).
void drawCalibrationPage(QPainter& painter, QSizeF paperMillimetres, QPointF pixelsPerMm,
                         QPointF offset, const QString& printer);

// One job of one page on the device; throws UserError when it cannot be printed.
void printCalibrationPage(PrintDevice& device, QPointF offset, const QString& printer);
