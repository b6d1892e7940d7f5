#pragma once

#include "LineCodec.h"
#include "PageSetup.h"
#include "SheetJob.h"

#include <QPoint>
#include <QString>

#include <optional>

// What the new-barcode dialog gives: the kind data of the line (symbology, blank, data) and
// whether the human-readable text shows.
struct NewBarcode {
    QByteArray kindData;
    bool humanReadable = true;
};

// The dialogs the label window opens; they live above it, so it reaches them through this.
class LabelDialogs {
public:
    virtual ~LabelDialogs() = default;
    // The text editor: the typed line, empty when nothing was typed or it was cancelled.
    virtual QString editText() = 0;
    // The object list over `lines`: changes them when the user closed it by a choice or
    // "Fermer"; returns the chosen line's index, or -1 for none.
    virtual int objectList(LineList& lines) = 0;
    // The new-barcode dialog, for the box just drawn; nothing when cancelled.
    virtual std::optional<NewBarcode> newBarcode() = 0;
    // The label's properties.
    virtual void properties(const QString& fileName, const LineList& lines) = 0;
    // The sheet preview of the job, modally; returns the zoom it was left with, and leaves in
    // the job the first cell and count chosen there.
    virtual int preview(SheetJob& job) = 0;
    // Prints the job's sheet on the program's printer, `copies` times, under the job's name;
    // throws UserError when the job cannot be made.
    virtual void print(const SheetJob& job, int copies) = 0;
    // "Modifier objet" on one object line (empty when no line is marked): the edited line,
    // empty when cancelled.
    virtual QByteArray modifyObject(const QByteArray& line) = 0;
    // "Position de l'objet" for the selection box: the move typed, (0, 0) when cancelled.
    virtual QPoint moveOf(const LabelRect& selection) = 0;
    // "Dimensions de l'objet" for the selection box: the change of width and height typed,
    // (0, 0) when cancelled.
    virtual QPoint resizeOf(const LabelRect& selection) = 0;
    // "Fond de page" on the background record: the new record, empty when cancelled.
    virtual QByteArray background(const QByteArray& record) = 0;
};
