#include "CommandTable.h"
#include "HelpViewer.h"
#include "MainFormFixture.h"
#include "VorlapHelp.h"

#include <QDirIterator>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTextDocument>
#include <QToolButton>

namespace {

QString resourceText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QStringList helpPages() {
    QStringList pages;
    for (QDirIterator it(":/help", {"*.html"}); it.hasNext();)
        pages.append(it.next());
    return pages;
}

QString plainText(const QString& page) {
    QTextDocument document;
    document.setHtml(resourceText(page));
    return document.toPlainText();
}

// Whether "page.html#anchor" names a shipped page and an anchor on it.
bool targetExists(const QUrl& url) {
    const QString html = resourceText(":/help/" + url.fileName());
    return !html.isEmpty() &&
           (!url.hasFragment() || html.contains(QString("name=\"%1\"").arg(url.fragment())));
}

} // namespace

class TestHelp : public QObject {
    Q_OBJECT
private slots:
    void contentsIndexAndHowToUse();
    void searchFindsTheNearestKeyword();
    void everyLinkKeywordAndTopicLeadsSomewhere();
    void theHelpCoversEveryCommandToolAndDialog();
};

void TestHelp::contentsIndexAndHowToUse() {
    HelpViewer viewer(vorlapHelpBook());
    auto* tabs = viewer.findChild<QTabWidget*>("HelpTabs");
    viewer.showContents();
    QVERIFY(viewer.isVisible());
    QCOMPARE(viewer.currentPage().fileName(), QString("sommaire.html"));
    QCOMPARE(tabs->currentIndex(), 0);
    viewer.findChild<QLineEdit*>("SearchField")->setText("trait");
    viewer.showSearch(QString());
    QCOMPARE(tabs->currentIndex(), 1);
    QCOMPARE(viewer.findChild<QLineEdit*>("SearchField")->text(), QString());
    QCOMPARE(viewer.findChild<QListWidget*>("KeywordList")->currentRow(), -1);
    viewer.showHowToUse();
    QCOMPARE(viewer.currentPage().fileName(), QString("utiliser-aide.html"));
    viewer.showContext(99); // a number the help does not know: the contents
    QCOMPARE(viewer.currentPage().fileName(), QString("sommaire.html"));
}

void TestHelp::searchFindsTheNearestKeyword() {
    HelpViewer viewer(vorlapHelpBook());
    viewer.showSearch(QString());
    auto* field = viewer.findChild<QLineEdit*>("SearchField");
    auto* list = viewer.findChild<QListWidget*>("KeywordList");
    for (int i = 1; i < list->count(); ++i) // sorted without regard to case or accents
        QVERIFY(helpSearchKey(list->item(i - 1)->text()) <= helpSearchKey(list->item(i)->text()));
    QTest::keyClicks(field, "rect");
    QCOMPARE(list->currentItem()->text(), QString("Rectangle"));
    field->clear();
    QTest::keyClicks(field, "SELEC");
    QCOMPARE(list->currentItem()->text(), QString("Sélectionner"));
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(viewer.currentPage().fileName(), QString("selection.html"));
    QCOMPARE(viewer.currentPage().fragment(), QString("selectionner"));
}

void TestHelp::everyLinkKeywordAndTopicLeadsSomewhere() {
    const HelpBook book = vorlapHelpBook();
    QVERIFY(book.keywords.size() > 50 && book.topics.size() > 10);
    for (const HelpBook::Entry& entry : book.keywords + book.topics)
        QVERIFY2(targetExists(entry.page), qPrintable(entry.title));
    for (int context : {3, 4, 6, 7, 8, 10})
        QVERIFY(targetExists(vorlapHelpPage(context)));

    static const QRegularExpression link("href=\"([^\"]+\\.html[^\"]*)\"");
    QSet<QString> linked;
    for (const QString& page : helpPages()) {
        for (auto match = link.globalMatch(resourceText(page)); match.hasNext();) {
            const QUrl target(match.next().captured(1));
            QVERIFY2(targetExists(target), qPrintable(page + " -> " + target.toString()));
            linked.insert(target.fileName());
        }
    }
    for (const QString& page : helpPages()) // every page is reachable from another
        QVERIFY2(linked.contains(QFileInfo(page).fileName()) || page.endsWith("sommaire.html"),
                 qPrintable(page));
}

void TestHelp::theHelpCoversEveryCommandToolAndDialog() {
    QString text;
    for (const QString& page : helpPages())
        text += plainText(page) + '\n';
    for (const CommandEntry& entry : commandEntries()) {
        QString caption = entry.caption;
        caption.remove('&').remove("...");
        QVERIFY2(text.contains(caption), qPrintable(caption));
    }
    MainFormFixture f;
    for (QToolButton* button : f.form->findChildren<QToolButton*>())
        // The solid fill button's hint keeps its old misspelling; the help names it right.
        if (!button->toolTip().isEmpty() && button->objectName() != "SolidBrush")
            QVERIFY2(text.contains(button->toolTip(), Qt::CaseInsensitive),
                     qPrintable(button->toolTip()));
    for (const char* words :
         {"Format de l'étiquette", "Espacement horizontal", "Modifier objet", "Position de l'objet",
          "Dimensions de l'objet", "Propriétés de l'image", "Editeur de texte", "Dégradés",
          "Epaisseur de trait", "Couleur du crayon", "Couleur de remplissage", "Vorlap.ini",
          "04602A000000", " 0BLANK", "CR LF", "Windows-1252", "Position : (x,y)"})
        QVERIFY2(text.contains(QString::fromUtf8(words), Qt::CaseInsensitive), words);
    // The background entry's key is documented with the entry.
    QVERIFY(plainText(":/help/outils.html").contains("Fond de page"));
    QVERIFY(plainText(":/help/outils.html").contains("Ctrl+Maj+F"));
}

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
