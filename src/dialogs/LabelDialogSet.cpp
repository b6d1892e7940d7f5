#include "LabelDialogSet.h"

#include "Dialogs.h"
#include "PrintDevice.h"
#include "UserError.h"

LabelDialogSet::LabelDialogSet(QWidget* parent)
    : Editext(parent), List(parent), Attributs(parent), Ecran(parent), Motif(parent),
      Couleur(parent), Fond(Motif, Couleur, parent), Modif(parent), Posit(parent), DimObj(parent),
      Barcode(parent) {}

QString LabelDialogSet::editText() {
    Editext.Init();
    Editext.Execute();
    return Editext.Result();
}

int LabelDialogSet::objectList(LineList& lines) {
    List.Init(lines);
    List.Execute();
    return List.Result(lines);
}

void LabelDialogSet::properties(const QString& fileName, const LineList& lines) {
    Attributs.Init(fileName, lines);
    Attributs.Execute();
}

int LabelDialogSet::preview(SheetJob& job) {
    Ecran.setPrinter(printer_);
    Ecran.Init(job);
    Dialogs::runModal(&Ecran);
    Ecran.FormClose();
    job.first = Ecran.firstCell();
    job.count = Ecran.cellCount();
    return Ecran.Result();
}

void LabelDialogSet::print(const SheetJob& job, int copies) {
    if (!printer_)
        throw UserError(QStringLiteral("Aucune imprimante"));
    printer_->setDocumentName(job.name);
    Ecran.setPrinter(printer_);
    Ecran.Init2(job);
    Ecran.Imprime(*printer_, copies);
}

QByteArray LabelDialogSet::modifyObject(const QByteArray& line) {
    Modif.Init(line);
    Modif.Execute();
    return Modif.Result();
}

QPoint LabelDialogSet::moveOf(const LabelRect& selection) {
    Posit.Init(selection);
    Posit.Execute();
    int dx = 0;
    int dy = 0;
    Posit.Result(dx, dy);
    return {dx, dy};
}

QPoint LabelDialogSet::resizeOf(const LabelRect& selection) {
    DimObj.Init(selection);
    DimObj.Execute();
    int dw = 0;
    int dh = 0;
    DimObj.Result(dw, dh);
    return {dw, dh};
}

QByteArray LabelDialogSet::background(const QByteArray& record) {
    Fond.Init(record);
    Fond.Execute();
    return Fond.Result();
}

std::optional<NewBarcode> LabelDialogSet::newBarcode() {
    Barcode.Init();
    Barcode.Execute();
    return Barcode.Result();
}
