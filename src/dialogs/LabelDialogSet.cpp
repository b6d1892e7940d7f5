#include "LabelDialogSet.h"

LabelDialogSet::LabelDialogSet(QWidget* parent)
    : Editext(parent), List(parent), Attributs(parent) {}

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
