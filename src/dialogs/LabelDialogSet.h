#pragma once

#include "BarcodeDialog.h"
#include "LabelDialogs.h"
#include "TAttributs.h"
#include "TCouleur.h"
#include "TDimObj.h"
#include "TEcran.h"
#include "TEditext.h"
#include "TFond.h"
#include "TList.h"
#include "TModif.h"
#include "TMotif.h"
#include "TPosit.h"

// The label window's dialogs, created once and reused for the whole run.
class LabelDialogSet : public LabelDialogs {
public:
    explicit LabelDialogSet(QWidget* parent = nullptr);

    QString editText() override;
    int objectList(LineList& lines) override;
    void properties(const QString& fileName, const LineList& lines) override;
    int preview(SheetJob& job) override;
    void print(const SheetJob& job, int copies) override;
    QByteArray modifyObject(const QByteArray& line) override;
    QPoint moveOf(const LabelRect& selection) override;
    QPoint resizeOf(const LabelRect& selection) override;
    QByteArray background(const QByteArray& record) override;
    std::optional<NewBarcode> newBarcode() override;

    // The printer the sheet is laid out for and printed on.
    void setPrinter(PrintDevice* printer) { printer_ = printer; }

    TEditext Editext;
    TList List;
    TAttributs Attributs;
    TEcran Ecran;
    // The background dialog opens the pattern and gradient dialogs, so they come first.
    TMotif Motif;
    TCouleur Couleur;
    TFond Fond;
    // The main window hands Modif its font names (Initfont) before each "Modifier...".
    TModif Modif;
    TPosit Posit;
    TDimObj DimObj;
    BarcodeDialog Barcode;

private:
    PrintDevice* printer_ = nullptr;
};
