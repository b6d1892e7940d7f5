#pragma once

#include "LineCodec.h"
#include "PageSetup.h"
#include "SheetStock.h"

#include <QPointF>
#include <QString>

#include <optional>

// What one preview, print or export of the sheet is made of.
struct SheetJob {
    PageSetupValues setup;
    LineList lines;
    // The sheet of pre-cut labels; none: the sheet computed from the label's size on A4.
    std::optional<SheetStock> stock;
    // A partly used sheet: the cells before `first` (counted across rows from 0) stay blank,
    // and `count` cells print from it; fewer than 0: to the end of the sheet.
    int first = 0;
    int count = -1;
    // The printer's feed error in millimetres, made good on paper only.
    QPointF offset;
    // The title of the PDF and the name of the print job.
    QString name;
    // The address list printed one row a label, from `first` on, sheet after sheet (and
    // `count` rows at most); empty: every cell the same.
    QString mergeFile;
};
