#include "VorlapHelp.h"

#include <QFile>

namespace {

QUrl page(const QString& name) {
    return QUrl(QStringLiteral("qrc:/help/") + name);
}

// Lines "title TAB page" of a list shipped with the help pages.
QList<HelpBook::Entry> readList(const QString& resource) {
    QList<HelpBook::Entry> entries;
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return entries;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const int tab = line.indexOf(QLatin1Char('\t'));
        if (tab <= 0)
            continue;
        entries.append({line.left(tab).trimmed(), page(line.mid(tab + 1).trimmed())});
    }
    return entries;
}

} // namespace

QUrl vorlapHelpPage(int context) {
    switch (context) {
    case 3:
        return page(QStringLiteral("fichier.html"));
    case 4:
        return page(QStringLiteral("edition.html"));
    case 6:
        return page(QStringLiteral("outils.html"));
    case 7:
        return page(QStringLiteral("affichage.html"));
    case 8:
        return page(QStringLiteral("utilitaires.html"));
    case 10:
        return page(QStringLiteral("menu-aide.html"));
    default:
        return QUrl();
    }
}

HelpBook vorlapHelpBook() {
    HelpBook book;
    book.title = QStringLiteral("Aide de Vorlap");
    book.contents = page(QStringLiteral("sommaire.html"));
    book.howToUse = page(QStringLiteral("utiliser-aide.html"));
    book.topics = readList(QStringLiteral(":/help/sommaire.txt"));
    book.keywords = readList(QStringLiteral(":/help/motscles.txt"));
    for (int context : {3, 4, 6, 7, 8, 10})
        book.contexts.insert(context, vorlapHelpPage(context));
    return book;
}
