#pragma once

#include "LabelDialogs.h"
#include "TAttributs.h"
#include "TEditext.h"
#include "TList.h"

// The label window's dialogs, created once and reused for the whole run.
class LabelDialogSet : public LabelDialogs {
public:
    explicit LabelDialogSet(QWidget* parent = nullptr);

    QString editText() override;
    int objectList(LineList& lines) override;
    void properties(const QString& fileName, const LineList& lines) override;

    TEditext Editext;
    TList List;
    TAttributs Attributs;
};
