#include "SheetCatalogue.h"

const SheetCatalogue& SheetCatalogue::standard() {
    static const SheetCatalogue catalogue;
    return catalogue;
}

void SheetCatalogue::read(QByteArrayView, const QString&) {}

const SheetStock* SheetCatalogue::find(QStringView code) const {
    for (const SheetStock& entry : entries_)
        if (entry.code.compare(code, Qt::CaseInsensitive) == 0)
            return &entry;
    return nullptr;
}

QList<const SheetStock*> SheetCatalogue::search(const QString&) const {
    return {};
}
