#include "LabelCommands.h"

#include "BusyCursor.h"
#include "Dialogs.h"
#include "ErrorReportingApplication.h"
#include "LabelFile.h"
#include "LineEdits.h"
#include "Selection.h"
#include "UserError.h"

#include <QFileInfo>
#include <QWidget>

namespace {

// Which selected lines an arrow key moves: nudges of the same objects make one undo step.
QByteArray selectedSet(const LineList& lines) {
    QByteArray set = "nudge";
    for (qsizetype i = 2; i < lines.size(); ++i)
        if (Selection::isSelected(lines[i]))
            set += ' ' + QByteArray::number(i);
    return set;
}

} // namespace

SheetJob LabelCommands::sheetJob() const {
    SheetJob job;
    job.setup = pageSetup();
    job.lines = doc_.Lines;
    job.stock = doc_.Stock;
    job.first = FirstCell;
    job.count = CellCount;
    job.offset = PrinterOffset;
    job.mergeFile = doc_.MergeFile;
    job.name = caption();
    return job;
}

void LabelCommands::setStock(const std::optional<SheetStock>& stock) {
    if (stock == doc_.Stock)
        return;
    doc_.Stock = stock;
    // The partly used sheet was counted on the old sheet.
    FirstCell = 0;
    CellCount = -1;
    doc_.setModified(true);
}

void LabelCommands::setMergeFile(const QString& path) {
    if (path == doc_.MergeFile)
        return;
    doc_.MergeFile = path;
    doc_.setModified(true);
}

void LabelCommands::SetPage(int left, int top, int right, int bottom, int zoom) {
    MarginLeft = left;
    MarginTop = top;
    MarginRight = right;
    MarginBottom = bottom;
    Zoom = zoom;
}

void LabelCommands::moveSelectionBy(int dx, int dy) {
    // Arrow keys: a run of nudges of the same objects is one step to undo, under the
    // mouse's 0..4095 rule.
    runObjectCommand(
        ObjectCommands::kMoveOrResize,
        [&](LineList& lines) {
            ObjectCommands::editSelected(
                lines, 1, [&](const QByteArray& line) { return LineEdits::MoveXY(line, dx, dy); });
        },
        selectedSet(doc_.Lines));
}

bool LabelCommands::hasSelectionOrSays(ObjectCommands::Rule::WithoutSelection without) {
    using Without = ObjectCommands::Rule::WithoutSelection;
    if (HasSelection || without == Without::Run)
        return true;
    if (without == Without::Message)
        Dialogs::information(commandWindow(), QStringLiteral("Aucun objet sélectionné"));
    return false;
}

bool LabelCommands::runObjectCommand(const ObjectCommands::Rule& rule,
                                     const std::function<void(LineList&)>& edit,
                                     QByteArrayView run) {
    if (!hasSelectionOrSays(rule.withoutSelection) || doc_.Lines.size() < rule.leastLines)
        return false;
    doc_.edit(edit, run);
    return true;
}

void LabelCommands::AvPlan() {
    runObjectCommand(ObjectCommands::kToFront, ObjectCommands::bringToFront);
}

void LabelCommands::ArPlan() {
    runObjectCommand(ObjectCommands::kToBack, ObjectCommands::sendToBack);
}

void LabelCommands::UnDessus() {
    runObjectCommand(ObjectCommands::kOneUp, ObjectCommands::oneUp);
}

void LabelCommands::UnDessous() {
    runObjectCommand(ObjectCommands::kOneDown, ObjectCommands::oneDown);
}

void LabelCommands::Supprimer() {
    runObjectCommand(ObjectCommands::kDelete, ObjectCommands::removeSelected);
}

void LabelCommands::ToutSel() {
    doc_.mark([](LineList& lines) {
        Selection::selectAll(lines);
        return true;
    });
    HasSelection = true;
    SelectionBox = Selection::box(doc_.Lines);
}

void LabelCommands::Verrouiller() {
    runObjectCommand(ObjectCommands::kLock, ObjectCommands::lockSelected);
}

void LabelCommands::Deverrouiller() {
    runObjectCommand(ObjectCommands::kUnlockAll, ObjectCommands::unlockAll);
}

void LabelCommands::Grouper() {
    bool full = false;
    runObjectCommand(ObjectCommands::kGroup,
                     [&](LineList& lines) { full = !ObjectCommands::groupSelected(lines); });
    if (full)
        Dialogs::information(
            commandWindow(),
            QStringLiteral("Les neuf groupes (1 à 9) sont déjà pris : dissociez-en un"));
}

void LabelCommands::Dissocier() {
    runObjectCommand(ObjectCommands::kGroup, ObjectCommands::ungroupSelected);
}

void LabelCommands::Position() {
    if (!hasSelectionOrSays(ObjectCommands::kMoveOrResize.withoutSelection))
        return;
    const QPoint move = dialogs_ ? dialogs_->moveOf(SelectionBox) : QPoint();
    if (move.isNull())
        return;
    // An object that would leave 0..4095 stays where it is, as under the mouse.
    runObjectCommand(ObjectCommands::kMoveOrResize, [&](LineList& lines) {
        ObjectCommands::editSelected(lines, 1, [&](const QByteArray& line) {
            return LineEdits::MoveXY(line, move.x(), move.y());
        });
    });
}

void LabelCommands::Taille() {
    if (!hasSelectionOrSays(ObjectCommands::kMoveOrResize.withoutSelection))
        return;
    const QPoint change = dialogs_ ? dialogs_->resizeOf(SelectionBox) : QPoint();
    if (change.isNull())
        return;
    // Each object grows or shrinks at its own right and bottom edges, from the bottom-right
    // handle; each text is scaled from its own font size.
    constexpr int kBottomRightHandle = 4;
    runObjectCommand(ObjectCommands::kMoveOrResize, [&](LineList& lines) {
        ObjectCommands::editSelected(lines, 2, [&](const QByteArray& line) {
            int fontSize = 0;
            return LineEdits::RedimXY(line, change.x(), change.y(), kBottomRightHandle, fontSize);
        });
    });
}

void LabelCommands::Modifier() {
    if (!hasSelectionOrSays(ObjectCommands::kMoveOrResize.withoutSelection))
        return;
    const qsizetype marked = Selection::single(doc_.Lines);
    if (Selection::count(doc_.Lines) >= 2) {
        Dialogs::information(commandWindow(), QStringLiteral("Sélection multiple non modifiable"));
        return;
    }
    if (!dialogs_)
        return;
    const QByteArray edited =
        dialogs_->modifyObject(marked >= 0 ? doc_.Lines[marked] : QByteArray());
    if (edited.isEmpty() || marked < 0)
        return;
    runObjectCommand(ObjectCommands::kMoveOrResize,
                     [&](LineList& lines) { lines[marked] = edited; });
}

void LabelCommands::FondPage() {
    if (doc_.Lines.size() < 2 || !dialogs_)
        return;
    const QByteArray record = dialogs_->background(doc_.Lines[1]);
    if (!record.isEmpty())
        doc_.edit([&](LineList& lines) { lines[1] = record; });
}

void LabelCommands::Copier(LineList& clipboard) {
    if (hasSelectionOrSays(ObjectCommands::kCopy.withoutSelection))
        clipboard = ObjectCommands::copySelected(doc_.Lines);
}

void LabelCommands::Couper(LineList& clipboard) {
    runObjectCommand(ObjectCommands::kCut, [&](LineList& lines) {
        clipboard = ObjectCommands::copySelected(lines);
        ObjectCommands::removeSelected(lines);
    });
}

void LabelCommands::Coller(const LineList& clipboard) {
    if (clipboard.isEmpty())
        return;
    runObjectCommand(ObjectCommands::kPaste, [&](LineList& lines) { lines.append(clipboard); });
}

void LabelCommands::Annuler() {
    if (doc_.undo())
        selectionFromMarks();
}

void LabelCommands::Retablir() {
    if (doc_.redo())
        selectionFromMarks();
}

void LabelCommands::selectionFromMarks() {
    // The step brought back its own selection: the window follows the marks. The box of a
    // selection that stays was made again with the redraw.
    const bool marked = Selection::count(doc_.Lines) > 0;
    if (marked != HasSelection) {
        HasSelection = marked;
        SelectionBox = marked ? Selection::box(doc_.Lines) : Selection::kNone;
    }
    showSelectionCursor(HasSelection);
}

void LabelCommands::Liste() {
    if (!dialogs_)
        return;
    LineList edited = doc_.Lines;
    const int chosen = dialogs_->objectList(edited);
    // A list closed without moving or deleting anything changed nothing to undo or save.
    doc_.edit([&](LineList& lines) { lines = edited; });
    if (chosen >= 2 && chosen < doc_.Lines.size() && doc_.Lines[chosen].size() > 1) {
        // The object chosen in the list becomes the selection.
        Deselectionne();
        HasSelection = true;
        doc_.mark([&](LineList& lines) {
            lines[chosen][0] = Selection::kSelected;
            return true;
        });
    }
}

void LabelCommands::Proprietes() {
    if (dialogs_)
        dialogs_->properties(doc_.FileName, doc_.Lines);
}

void LabelCommands::Apercu() {
    if (!dialogs_)
        return;
    SheetJob job = sheetJob();
    Zoom = dialogs_->preview(job);
    FirstCell = job.first;
    CellCount = job.count;
    commandWindow()->setFocus(Qt::OtherFocusReason);
}

void LabelCommands::Imprime(int copies) {
    if (dialogs_)
        dialogs_->print(sheetJob(), copies);
}

void LabelCommands::Effacer() {
    doc_.edit([&](LineList& lines) { lines = LineCodec::newLabel(doc_.format()); });
}

void LabelCommands::Charge(const QString& path) {
    {
        const BusyCursor busy;
        // A file that cannot be read throws here and leaves the window as it was.
        doc_.load(path);
    }
    showLabel(true);
}

void LabelCommands::Charge(const QString& path, LineList content) {
    doc_.adopt(path, std::move(content));
    showLabel(true);
}

bool LabelCommands::Sauve(int mode) {
    const QString nameBefore = doc_.FileName;
    if (doc_.FileName.isEmpty() || mode == 1) {
        // A cancelled name writes nothing, not even under the name held before.
        if (!SaveAs())
            return false;
    }
    if (doc_.FileName.isEmpty())
        return false;
    if (!doc_.Modified)
        return true;

    const QString path = LabelFile::withExtension(doc_.FileName);
    try {
        const BusyCursor busy;
        Deselectionne();
        doc_.save(path);
    } catch (const UserError&) {
        // The label stays changed and keeps the name it had, so nothing points at a file
        // that was never written.
        doc_.FileName = nameBefore;
        throw;
    }
    showLabel(false);
    return true;
}

bool LabelCommands::SaveAs() {
    const QString dir =
        doc_.FileName.isEmpty() ? QString() : QFileInfo(doc_.FileName).absolutePath();
    const QString chosen =
        Dialogs::saveFileName(commandWindow(), QStringLiteral("Enregistrer sous"), dir,
                              QStringLiteral("Fichiers étiquettes (*.etq)"));
    if (chosen.isEmpty())
        return false;
    doc_.FileName = LabelFile::withExtension(chosen);
    doc_.setModified(true);
    return true;
}

bool LabelCommands::SaveQuery() {
    if (!doc_.Modified)
        return true;
    const QString text = QStringLiteral("Enregistrer modifications dans ") +
                         QFileInfo(doc_.FileName).fileName() + QStringLiteral(" ?");
    const auto answer = Dialogs::warning(commandWindow(), text,
                                         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::No)
        return true;
    if (answer != QMessageBox::Yes)
        return false;
    // Going on after a save that did not happen would throw the changes away.
    try {
        return Sauve(0);
    } catch (const UserError& error) {
        reportError(error.message());
        return false;
    }
}

void LabelCommands::FormCloseQuery(bool& canClose) {
    canClose = SaveQuery();
}
