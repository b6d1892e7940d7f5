#pragma once

#include "LabelDialogs.h"
#include "LabelDocument.h"
#include "ObjectCommands.h"
#include "PageSetup.h"
#include "SheetJob.h"

#include <QByteArrayView>
#include <QPointF>

#include <functional>

class QWidget;

// The commands of the menus over the label document and its selection: object commands,
// clipboard, undo and redo, the dialogs that edit objects, preview and print. Each is an
// edit of the document, which records it for "Annuler" and has the window redrawn. The label
// window is one of these; it adds the surface, the mouse and the keyboard.
class LabelCommands {
public:
    virtual ~LabelCommands() = default;

    void setLabelDialogs(LabelDialogs* dialogs) { dialogs_ = dialogs; }
    LabelDocument& document() { return doc_; }
    const LabelDocument& document() const { return doc_; }

    // Runs an edit of the selected objects once the rule is met: a selection (or the message
    // "Aucun objet sélectionné"), enough lines. Returns whether the edit ran. Edits with the
    // same `run` in a row are one step to undo.
    bool runObjectCommand(const ObjectCommands::Rule& rule,
                          const std::function<void(LineList&)>& edit, QByteArrayView run = {});

    void Copier(LineList& clipboard);
    void Couper(LineList& clipboard);
    void Coller(const LineList& clipboard);
    // One step back, one step forth; many of each.
    void Annuler();
    void Retablir();

    void AvPlan();
    void ArPlan();
    void UnDessus();
    void UnDessous();
    void Supprimer();
    void ToutSel();
    void Verrouiller();
    void Deverrouiller();
    // The selected objects become one group, or leave theirs.
    void Grouper();
    void Dissocier();
    void Position();
    void Taille();
    void Modifier();
    void Liste();
    void Proprietes();
    // The arrow keys: moves the selection; a run of them is one step to undo.
    void moveSelectionBy(int dx, int dy);
    // The page background.
    void FondPage();
    // The sheet preview; the zoom chosen there becomes this label's.
    void Apercu();
    // Prints the sheet, `copies` times.
    void Imprime(int copies);

    // Clears the label: one step to undo.
    void Effacer();
    // Throws UserError and changes nothing when the file cannot be read.
    void Charge(const QString& path);
    // The same with the file's content already read from `path`.
    void Charge(const QString& path, LineList content);
    // Mode 0 save, 1 save under a new name. Returns whether the label is stored (false when
    // the user cancelled the name); throws UserError when the file cannot be written.
    bool Sauve(int mode);
    bool SaveAs();
    // Asks whether to save a changed label; false means stop (cancelled, or the save did not
    // happen).
    bool SaveQuery();
    void FormCloseQuery(bool& canClose);

    void SetPage(int left, int top, int right, int bottom, int zoom);
    // The label's sheet of pre-cut labels, none for the computed sheet; a change of the label.
    void setStock(const std::optional<SheetStock>& stock);
    // The address list the label is printed from; empty: none.
    void setMergeFile(const QString& path);
    // What a preview, print or export of the sheet is made of now.
    SheetJob sheetJob() const;
    PageSetupValues pageSetup() const {
        return {MarginLeft, MarginTop, MarginRight, MarginBottom, Zoom};
    }

    // The selection mode: whether the objects marked '*' are the selection the commands act
    // on, and the box round them.
    bool HasSelection = false;
    LabelRect SelectionBox;
    int MarginLeft = 0;
    int MarginTop = 0;
    int MarginRight = 0;
    int MarginBottom = 0;
    int Zoom = 100;
    // The partly used sheet: the first cell printed (from 0, across rows) and how many
    // (fewer than 0: to the end); the printer's calibration offset in millimetres.
    int FirstCell = 0;
    int CellCount = -1;
    QPointF PrinterOffset;

protected:
    // The window the messages and dialogs belong to.
    virtual QWidget* commandWindow() = 0;
    // The marks go, and whatever the window keeps of the selection with them.
    virtual void Deselectionne() = 0;
    // The title the label goes by, for a print job.
    virtual QString caption() const = 0;
    virtual void showSelectionCursor(bool selected) = 0;
    // Shows the label again: after a save its name, after opening one the whole of it.
    virtual void showLabel(bool reopened) = 0;

    // False, after the message the rule asks for, when there is no selection.
    bool hasSelectionOrSays(ObjectCommands::Rule::WithoutSelection without);
    // After "Annuler" or "Rétablir": the selection is what the marks brought back say.
    void selectionFromMarks();

    LabelDocument doc_;
    LabelDialogs* dialogs_ = nullptr;
};
