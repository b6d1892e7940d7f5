#include "FileSizeLimit.h"
#include "HelpViewer.h"
#include "LabelFile.h"
#include "MainFormFixture.h"
#include "PrintedSheet.h"
#include "TFusion.h"
#include "TNouveau.h"
#include "UserError.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>

namespace {

const QByteArray kEllipseLine = " 0ELLIPSE 010010050050\t100FFFFFF00100000000000000000C0Arial";

using Probe = std::function<void(MainFormFixture&, QAction*)>;

// Remembers the dialog a modal run showed, and answers it.
struct ShownDialog {
    QString name;
    QString title;
    QString texts;
    std::function<int(QDialog*)> answer(int result) {
        return [this, result](QDialog* d) {
            name = d->objectName();
            title = d->windowTitle();
            for (QLabel* label : d->findChildren<QLabel*>())
                texts += label->text() + '|';
            return result;
        };
    }
};

QList<int> boxValues(QDialog* dialog) {
    QList<int> values;
    for (int i = 1; i <= 4; ++i)
        values.append(dialog->findChild<SpinEdit*>(QStringLiteral("SpinEdit%1").arg(i))->value());
    return values;
}

void openFile(MainFormFixture& f, const QString& name) {
    f.script->fileAnswers.enqueue(f.path(name));
    f.form->FileOpenItemClick();
}

} // namespace

class TestMainCommands : public QObject {
    Q_OBJECT
private slots:
    void everyMenuEntry();
    void menuHelpContexts();
    void toolBarButtonsAreTheMenuCommands();
    void newWithTheFormatDialog();
    void newStopsWhenTheSaveQuestionIsCancelled();
    void openReadsTheChosenFile();
    void openCancelledAtTheSaveQuestionReadsNothing();
    void openOfAnUnreadableFileChangesNothing();
    void resizeShowsTheLastFormatChosenWithNew();
    void resizeChangesTheHeaderOnlyWhenAccepted();
    void newAndResizeGiveTheLabelTheSheetChosen();
    void quitAsksAboutChangesAndFailuresAreReported();
    void saveOnAFullDiskKeepsTheOldFileAndTheChanges();
    void previewZoomGoesBackToTheLabelOnly();
    void thePrintDialogAsksWhereOnThePartlyUsedSheet();
};

void TestMainCommands::everyMenuEntry() {
    ShownDialog shown;
    const Probe later = [](MainFormFixture&, QAction* a) { QVERIFY(!a->isEnabled()); };
    const Probe modal = [&](MainFormFixture& f, QAction* a) {
        f.script->modalAnswers.enqueue(shown.answer(QDialog::Rejected));
        a->trigger();
        QCOMPARE(f.script->modalRuns, 1);
    };
    const Probe helpPage = [](MainFormFixture& f, QAction* a) {
        a->trigger();
        QVERIFY(f.form->helpViewer()->isVisible());
    };
    struct Row {
        const char* menu;
        const char* caption;
        const char* hint;
        const char* shortcut;
        Probe probe;
        // What the probe left to compare, if anything.
        std::function<QString(MainFormFixture&)> outcome = {};
        QString expected = {};
    };
    auto pageName = [](MainFormFixture& f) {
        return f.form->helpViewer()->currentPage().fileName();
    };
    auto lines = [](MainFormFixture& f) {
        return QString::number(f.etiq().document().Lines.size());
    };
    // A rectangle, then an ellipse, with these marks and a selection; then the command.
    auto selectedThen = [](QStringList marks) -> Probe {
        return [marks](MainFormFixture& f, QAction* a) {
            const QByteArray objects[2] = {kRectLine, kEllipseLine};
            for (int i = 0; i < marks.size(); ++i)
                f.addObject(marks[i].toLatin1() + objects[i].mid(1));
            f.etiq().HasSelection = true;
            a->trigger();
        };
    };
    const Probe selectedAndShown = [&](MainFormFixture& f, QAction* a) {
        f.addObject('*' + kRectLine.mid(1));
        f.etiq().HasSelection = true;
        modal(f, a);
    };
    auto marks = [](MainFormFixture& f) {
        QString text;
        for (const QByteArray& line : f.etiq().document().Lines.mid(2))
            text += QChar(line[0]);
        return text;
    };
    auto groupDigits = [](MainFormFixture& f) {
        QString text;
        for (const QByteArray& line : f.etiq().document().Lines.mid(2))
            text += QChar(line[1]);
        return text;
    };
    // The first letter of each object's keyword, in drawing order.
    auto kinds = [](MainFormFixture& f) {
        QString text;
        for (const QByteArray& line : f.etiq().document().Lines.mid(2))
            text += QChar(line[2]);
        return text;
    };
    const QList<Row> rows = {
        {"&Fichier", "&Nouveau...", "Créer un nouveau fichier", "",
         [&](MainFormFixture& f, QAction* a) {
             f.addObject(kRectLine);
             f.script->messageAnswers.enqueue(QMessageBox::No);
             modal(f, a);
         },
         [&](MainFormFixture& f) { return shown.title + lines(f); }, "Nouveau2"},
        {"&Fichier", "&Ouvrir...", "Ouvrir un fichier existant", "",
         [](MainFormFixture&, QAction* a) { a->trigger(); },
         [](MainFormFixture& f) { return f.script->fileCaptions.join(','); }, "Ouvrir"},
        {"&Fichier", "&Enregistrer", "Enregistrer le fichier en cours", "Ctrl+S",
         [](MainFormFixture& f, QAction* a) {
             f.etiq().document().FileName = f.path("a.etq");
             f.addObject(kRectLine);
             a->trigger();
         },
         [](MainFormFixture& f) {
             return QString::number(fileBytes(f.path("a.etq")).count('\n') +
                                    f.script->fileCaptions.size());
         },
         "3"},
        {"&Fichier", "Enregistrer &sous...", "Enregistrer le fichier en cours sous...", "",
         [](MainFormFixture& f, QAction* a) {
             f.etiq().document().FileName = f.path("a.etq");
             f.script->fileAnswers.enqueue(f.path("b"));
             a->trigger();
         },
         [](MainFormFixture& f) {
             return QString("%1%2")
                 .arg(QFile::exists(f.path("a.etq")))
                 .arg(QFile::exists(f.path("b.etq")));
         },
         "01"},
        {"&Fichier", "&Configuration imprimante...", "Configurer l'imprimante", "", modal,
         [&](MainFormFixture&) { return shown.title; }, "Configuration de l'imprimante"},
        {"&Fichier", "&Mise en page...", "Définir les marges", "", modal,
         [&](MainFormFixture&) { return shown.title; }, "Mise en page"},
        {"&Fichier", "&Aperçu avant impression", "Aperçu avant impression", "", modal,
         [&](MainFormFixture&) { return shown.title; }, "Aperçu avant impression"},
        {"&Fichier", "&Imprimer...", "Imprimer", "", modal,
         [&](MainFormFixture&) { return shown.title; }, "Imprimer"},
        {"&Fichier", "&Page de calibrage...",
         "Imprimer une page pour mesurer le décalage de l'imprimante", "", modal,
         [&](MainFormFixture&) { return shown.title; }, "Page de calibrage"},
        {"&Fichier", "E&xporter en PDF...", "Enregistrer la planche d'étiquettes en PDF", "",
         [](MainFormFixture& f, QAction* a) {
             f.script->fileAnswers.enqueue(f.path("planche"));
             a->trigger();
         },
         [](MainFormFixture& f) {
             return f.script->fileFilters.join(',') + ' ' +
                    fileBytes(f.path("planche.pdf")).left(5) +
                    PrintedSheet::qpdfProblems(f.path("planche.pdf"));
         },
         "Documents PDF (*.pdf) %PDF-"},
        {"&Fichier", "Exporter l'é&tiquette en image...",
         "Enregistrer le dessin de l'étiquette en image PNG ou SVG", "",
         [](MainFormFixture& f, QAction* a) {
             f.script->fileAnswers.enqueue(f.path("dessin"));
             a->trigger();
         },
         [](MainFormFixture& f) {
             const QSize size = QImage(f.path("dessin.png")).size();
             return f.script->fileFilters.join(',') +
                    QString(" %1x%2").arg(size.width()).arg(size.height());
         },
         "Image PNG (*.png);;Image SVG (*.svg) 278x166"},
        {"&Fichier", "&Fusion...", "Imprimer une étiquette par ligne d'une liste d'adresses", "",
         [](MainFormFixture& f, QAction* a) {
             f.script->fileAnswers.enqueue(QFINDTESTDATA("../../examples/adresses.csv"));
             f.script->modalAnswers.enqueue([](QDialog* dialog) {
                 auto* fusion = static_cast<TFusion*>(dialog);
                 fusion->BrowseClick();
                 fusion->OkButton->click();
                 return fusion->result();
             });
             a->trigger();
         },
         [](MainFormFixture& f) {
             return QFileInfo(f.etiq().document().MergeFile).fileName() +
                    QString(" %1").arg(f.etiq().document().Modified);
         },
         "adresses.csv 1"},
        {"&Fichier", "&Quitter", "Quitter l'application", "",
         [](MainFormFixture&, QAction* a) { a->trigger(); },
         [](MainFormFixture& f) {
             return QString("%1 ").arg(f.form->isVisible()) + fileBytes(f.path("Vorlap.ini"));
         },
         "0 0 0 0 0 100\r\n"},
        {"&Edition", "&Annuler", "annuler modification", "Ctrl+Z",
         [](MainFormFixture& f, QAction* a) {
             f.etiq().document().edit([](LineList& lines) { lines.append(kRectLine); });
             a->trigger();
         },
         lines, "2"},
        {"&Edition", "&Rétablir", "Rétablir la modification annulée", "Ctrl+Y",
         [](MainFormFixture& f, QAction* a) {
             f.etiq().document().edit([](LineList& lines) { lines.append(kRectLine); });
             f.etiq().Annuler();
             a->trigger();
         },
         lines, "3"},
        {"&Edition", "&Couper", "Couper dans le Presse-papiers", "Ctrl+X",
         [](MainFormFixture& f, QAction* a) {
             f.etiq().document().Lines.append('*' + kRectLine.mid(1));
             f.etiq().HasSelection = true;
             a->trigger();
         },
         [&](MainFormFixture& f) { return lines(f) + f.form->ObjectClipboard.value(0); },
         "2" + kRectLine},
        {"&Edition", "Co&pier", "Copier dans le Presse-papiers", "Ctrl+C",
         [](MainFormFixture& f, QAction* a) {
             f.etiq().document().Lines.append('*' + kRectLine.mid(1));
             f.etiq().HasSelection = true;
             a->trigger();
         },
         [&](MainFormFixture& f) { return lines(f) + f.form->ObjectClipboard.value(0); },
         "3" + kRectLine},
        {"&Edition", "C&oller", "Coller depuis le Presse-papiers", "Ctrl+V",
         [](MainFormFixture& f, QAction* a) {
             f.form->ObjectClipboard = {kEllipseLine};
             a->trigger();
         },
         [](MainFormFixture& f) { return QString(f.etiq().document().Lines.last()); },
         kEllipseLine},
        {"&Edition", "&Supprimer", "Supprimer l'objet", "Del", selectedThen({"*"}), marks, ""},
        {"&Edition", "&Tout sélectionner", "Sélectionner tous les objets", "",
         selectedThen({" ", "#"}), marks, "**"},
        {"&Edition", "Tout &désélectionner", "Désélectionne tous les objets", "",
         selectedThen({"*", "#"}), marks, " #"},
        {"&Edition", "&Verrouiller", "Verrouiller l'objet", "", selectedThen({"*", " "}), marks,
         "# "},
        {"&Edition", "Deverro&uiller tout", "Déverrouiller tous les objets", "",
         selectedThen({"#", "*"}), marks, "  "},
        {"&Edition", "&Grouper", "Grouper les objets sélectionnés", "Ctrl+G",
         selectedThen({"*", "*"}), groupDigits, "11"},
        {"&Edition", "Dissoc&ier", "Dissocier les objets sélectionnés", "Ctrl+Shift+G",
         [](MainFormFixture& f, QAction* a) {
             f.etiq().document().Lines.append(QByteArray("*3") + kRectLine.mid(2));
             f.etiq().HasSelection = true;
             a->trigger();
         },
         groupDigits, "0"},
        {"&Outils", "&Effacer l'étiquette", "Efface le dessin", "",
         [](MainFormFixture& f, QAction* a) {
             f.etiq().document().Lines.append(kRectLine);
             a->trigger();
         },
         [&](MainFormFixture& f) {
             return lines(f) + QString::number(f.etiq().document().Modified);
         },
         "21"},
        {"&Outils", "&Redimensionner", "Redimensionner l'étiquette", "", modal,
         [&](MainFormFixture&) { return shown.name + ' ' + shown.title; },
         "Nouveau Redimensionner"},
        {"&Outils", "A&vant plan", "Mettre en avant plan", "", selectedThen({"*", " "}), kinds,
         "ER"},
        {"&Outils", "&Arrière plan", "Mettre en arrière plan", "", selectedThen({" ", "*"}), kinds,
         "ER"},
        {"&Outils", "&Un dessous", "", "", selectedThen({" ", "*"}), kinds, "ER"},
        {"&Outils", "Un &dessus", "", "", selectedThen({"*", " "}), kinds, "ER"},
        {"&Outils", "&Position...", "Modifier position", "", selectedAndShown,
         [&](MainFormFixture&) { return shown.title; }, "Position de l'objet"},
        {"&Outils", "&Taille...", "Modifier taille", "", selectedAndShown,
         [&](MainFormFixture&) { return shown.title; }, "Dimensions de l'objet"},
        {"&Outils", "&Modifier...", "Modifier objet", "", selectedAndShown,
         [&](MainFormFixture&) { return shown.title; }, "Modifier objet"},
        {"&Outils", "&Fond de page...", "Fond de page", "Ctrl+Shift+F", modal,
         [&](MainFormFixture&) { return shown.title; }, "Fond de page"},
        {"&Affichage", "&Palette des couleurs", "Afficher la palette des couleurs", "",
         [](MainFormFixture&, QAction* a) { a->trigger(); },
         [](MainFormFixture& f) { return QString::number(f.find("Panel3")->isVisible()); }, "0"},
        {"&Affichage", "&Redessiner", "", "",
         [](MainFormFixture& f, QAction* a) {
             f.etiq().canvas().setBrushStyle(BrushSolid);
             f.etiq().canvas().setBrushColor(0);
             f.etiq().canvas().fillRect(0, 0, 50, 50);
             a->trigger();
         },
         [](MainFormFixture& f) { return f.etiq().surface().pixelColor(10, 10).name(); },
         "#ffffff"},
        {"&Affichage", "&Liste des objets", "Afficher la liste des objets", "", modal},
        {"&Affichage", "&Propriétés", "Attributs de l'image", "", modal},
        {"&Utilitaires", "&Calendrier", "Calendrier", "", modal,
         [&](MainFormFixture&) { return shown.title; }, "Calendrier"},
        {"&Utilitaires", "C&alculatrice", "Calculatrice", "", modal,
         [&](MainFormFixture&) { return shown.title; }, "Calculatrice"},
        {"&Utilitaires", "&Horloge", "Horloge", "", modal,
         [&](MainFormFixture&) { return shown.title; }, "Horloge"},
        {"&?", "&Index", "Sommaire de l'aide", "", helpPage, pageName, "sommaire.html"},
        {"&?", "&Rechercher", "&Rechercher dans l'aide", "", helpPage,
         [](MainFormFixture& f) {
             const HelpViewer* v = f.form->helpViewer();
             return QString::number(v->findChild<QTabWidget*>()->currentIndex()) +
                    v->findChild<QLineEdit*>("SearchField")->text();
         },
         "1"},
        {"&?", "&Utiliser l'aide", "Comment utiliser l'aide", "", helpPage, pageName,
         "utiliser-aide.html"},
        {"&?", "&A propos", "Informations sur le logiciel, version", "", modal,
         [&](MainFormFixture&) { return shown.name + ' ' + shown.texts; },
         "AboutBox |Vorlap 2002|Version 3.0|"},
    };

    auto entries = [](TMainForm& form) {
        QList<QPair<QString, QAction*>> list;
        for (QAction* title : form.menuBar()->actions())
            for (QAction* item : title->menu()->actions())
                if (!item->isSeparator())
                    list.append({title->text(), item});
        return list;
    };
    QCOMPARE(entries(*MainFormFixture().form).size(), rows.size());
    for (int i = 0; i < rows.size(); ++i) {
        const Row& row = rows[i];
        MainFormFixture f;
        shown = {};
        const auto [menu, action] = entries(*f.form).at(i);
        QCOMPARE(menu, QString::fromUtf8(row.menu));
        QCOMPARE(action->text(), QString::fromUtf8(row.caption));
        QCOMPARE(action->statusTip(), QString::fromUtf8(row.hint));
        QCOMPARE(action->shortcut(), QKeySequence(QString::fromUtf8(row.shortcut)));
        row.probe(f, action);
        if (QTest::currentTestFailed())
            QFAIL(row.caption);
        // A disabled entry would do nothing, so each outcome also shows the entry works.
        const QString outcome = row.outcome ? row.outcome(f) : QString();
        QVERIFY2(outcome == row.expected, qPrintable(QString(row.caption) + ": " + outcome));
        // Only the save question of "Nouveau" may come up.
        QCOMPARE(f.script->messages.size(), i == 0 ? 1 : 0);
    }
}

void TestMainCommands::menuHelpContexts() {
    MainFormFixture f;
    // A command added to the table without its handler would only show greyed out.
    for (const CommandEntry& entry : commandEntries())
        QVERIFY2(f.form->handles(entry.command), qPrintable(entry.caption));
    const QList<QPair<int, QString>> expected = {
        {3, "fichier.html"},   {4, "edition.html"},     {6, "outils.html"},
        {7, "affichage.html"}, {8, "utilitaires.html"}, {10, "menu-aide.html"},
    };
    for (int i = 0; i < expected.size(); ++i) {
        QMenu* menu = f.form->menu(i);
        QCOMPARE(menu->property("helpContext").toInt(), expected[i].first);
        QTest::keyClick(menu, Qt::Key_F1); // F1 while the menu is open
        QCOMPARE(f.form->helpViewer()->currentPage().fileName(), expected[i].second);
    }
}

void TestMainCommands::toolBarButtonsAreTheMenuCommands() {
    MainFormFixture f;
    const QList<std::tuple<const char*, Command, const char*>> buttons = {
        {"NewButton", Command::FileNew, "Nouveau"},
        {"OpenButton", Command::FileOpen, "Ouvrir"},
        {"SaveButton", Command::FileSave, "Enregistrer"},
        {"PrintButton", Command::Print, "Imprimer"},
        {"PreviewButton", Command::Preview, "Aperçu avant impression"},
        {"UndoButton", Command::Undo, "Annuler"},
        {"RedoButton", Command::Redo, "Rétablir"},
        {"CutButton", Command::Cut, "Couper"},
        {"CopyButton", Command::Copy, "Copier"},
        {"PasteButton", Command::Paste, "Coller"},
        {"BackgroundButton", Command::Background, "Fond de page"},
    };
    for (const auto& [name, command, hint] : buttons) {
        auto* button = f.find<QToolButton>(name);
        QCOMPARE(button->defaultAction(), f.form->action(command));
        QCOMPARE(button->toolTip(), QString::fromUtf8(hint));
    }
    QVERIFY(f.find("PrintButton")->isEnabled());
    // Rétablir also answers to Ctrl+Maj+Z.
    QCOMPARE(f.form->action(Command::Redo)->shortcuts(),
             (QList<QKeySequence>{QKeySequence("Ctrl+Y"), QKeySequence("Ctrl+Shift+Z")}));
    f.click("OpenButton");
    QCOMPARE(f.script->fileCaptions, QStringList{"Ouvrir"});
}

void TestMainCommands::newWithTheFormatDialog() {
    MainFormFixture f;
    f.script->modalAnswers.enqueue(formatAnswer({"100", "50", "3", "4"}));
    f.form->FileNewItemClick();
    QCOMPARE(f.etiq().document().Lines, newLabel(100, 50, 3, 4));
    QCOMPARE(f.etiq().frameSize(), QSize(400, 200));
    QVERIFY(!f.etiq().document().Modified);

    // "Annuler" still clears the label, in the format chosen before.
    f.etiq().document().FileName = f.path("x.etq");
    f.etiq().document().Lines.append(kRectLine);
    f.script->modalAnswers.enqueue(formatAnswer({"120", "60"}, "Button1"));
    f.form->FileNewItemClick();
    QCOMPARE(f.etiq().document().Lines, newLabel(100, 50, 3, 4));
    QVERIFY(f.etiq().document().FileName.isEmpty());

    // The test is "wider than 10": 10 itself keeps the format before.
    f.script->modalAnswers.enqueue(formatAnswer({"10", "80", "0", "0"}));
    f.form->FileNewItemClick();
    QCOMPARE(f.etiq().document().Lines, newLabel(100, 50, 3, 4));
    QCOMPARE(f.form->LabelFormat.width, 100);

    f.script->modalAnswers.enqueue(formatAnswer({"126", "126", "0", "0"}));
    f.form->FileNewItemClick();
    QVERIFY(f.etiq().CdLabel);
    QCOMPARE(f.etiq().frameSize(), QSize(378, 378));

    // The new label takes the tool bar's state and the page setup.
    f.click("EllipseButton");
    f.click("DotPen");
    f.form->PageSetup = {5, 6, 7, 8, 150};
    f.etiq().Tool = TEtiq::ToolLine;
    f.form->FileNewItemClick();
    QCOMPARE(f.etiq().Tool, int(TEtiq::ToolEllipse));
    QCOMPARE(f.etiq().canvas().penStyle(), int(PenDot));
    QCOMPARE((QList<int>{f.etiq().MarginLeft, f.etiq().MarginBottom, f.etiq().Zoom}),
             (QList<int>{5, 8, 150}));
}

void TestMainCommands::newStopsWhenTheSaveQuestionIsCancelled() {
    MainFormFixture f;
    f.addObject(kRectLine);
    const LineList before = f.etiq().document().Lines;
    f.script->messageAnswers.enqueue(QMessageBox::Cancel);
    f.form->FileNewItemClick();
    QCOMPARE(f.script->modalRuns, 0);
    QCOMPARE(f.etiq().document().Lines, before);
    QVERIFY(f.etiq().document().Modified);
}

void TestMainCommands::openReadsTheChosenFile() {
    MainFormFixture f;
    f.form->PageSetup = {1, 2, 3, 4, 120};
    const LineList label = newLabel(100, 50, 10, 5) + LineList{kRectLine};
    LabelFile::write(f.path("cent.etq"), label);
    openFile(f, "cent.etq");
    QCOMPARE(f.etiq().document().Lines, label);
    QCOMPARE(f.etiq().document().FileName, f.path("cent.etq"));
    QCOMPARE(f.etiq().document().LabelWidth, 100);
    QCOMPARE(f.etiq().Zoom, 120);
    // The title carries a "*" from the first change until the label is saved.
    QCOMPARE(f.shownTitle(), QString("cent.etq - Vorlap"));
    f.etiq().ToutSel();
    f.etiq().Supprimer();
    QCOMPARE(f.shownTitle(), QString("cent.etq* - Vorlap"));
    f.etiq().Sauve(0);
    QCOMPARE(f.shownTitle(), QString("cent.etq - Vorlap"));
    f.etiq().Annuler();
    QCOMPARE(f.shownTitle(), QString("cent.etq* - Vorlap"));
    f.etiq().Effacer();
    f.etiq().SetNew();
    QCOMPARE(f.shownTitle(), QString("cent.etq - Vorlap"));
}

void TestMainCommands::openCancelledAtTheSaveQuestionReadsNothing() {
    MainFormFixture f;
    LabelFile::write(f.path("autre.etq"), newLabel(100, 50) + LineList{kEllipseLine});
    f.etiq().document().FileName = f.path("mien.etq");
    f.addObject(kRectLine);
    const LineList before = f.etiq().document().Lines;
    // The file is chosen first: cancelling that asks nothing.
    f.form->FileOpenItemClick();
    QVERIFY(f.script->messages.isEmpty());

    f.script->messageAnswers.enqueue(QMessageBox::Cancel);
    openFile(f, "autre.etq");
    QCOMPARE(f.script->messages.size(), 1);
    QCOMPARE(f.script->messages[0].text, QString("Enregistrer modifications dans mien.etq ?"));
    QCOMPARE(f.etiq().document().Lines, before);
    QCOMPARE(f.etiq().document().FileName, f.path("mien.etq"));
    QVERIFY(f.etiq().document().Modified);
}

void TestMainCommands::openOfAnUnreadableFileChangesNothing() {
    MainFormFixture f;
    f.script->modalAnswers.enqueue(formatAnswer({"100", "50", "0", "0"}));
    f.form->FileNewItemClick();
    f.etiq().document().FileName = f.path("garde.etq");
    f.etiq().document().Lines.append(kRectLine);
    const LineList before = f.etiq().document().Lines;
    f.script->fileAnswers.enqueue(f.path("absent.etq"));
    f.form->action(Command::FileOpen)->trigger();
    QCOMPARE(f.script->messages.size(), 1);
    QCOMPARE(f.script->messages[0].text,
             QString("Ne peut ouvrir le fichier %1").arg(f.path("absent.etq")));
    QCOMPARE(f.etiq().document().Lines, before);
    QCOMPARE(f.etiq().document().FileName, f.path("garde.etq"));
    QCOMPARE(f.etiq().document().LabelWidth, 100);
    QCOMPARE(f.etiq().document().LabelHeight, 50);
}

void TestMainCommands::resizeShowsTheLastFormatChosenWithNew() {
    MainFormFixture f;
    LabelFile::write(f.path("cent.etq"), newLabel(100, 50));
    QList<int> offered;
    auto look = [&](QDialog* d) {
        offered = boxValues(d);
        return int(QDialog::Rejected);
    };
    openFile(f, "cent.etq");
    f.script->modalAnswers.enqueue(look);
    f.form->Redimensionner1Click();
    QCOMPARE(offered, (QList<int>{70, 42, 0, 0}));

    f.script->modalAnswers.enqueue(formatAnswer({"80", "40", "1", "2"}));
    f.form->FileNewItemClick();
    openFile(f, "cent.etq");
    f.script->modalAnswers.enqueue(look);
    f.form->Redimensionner1Click();
    QCOMPARE(offered, (QList<int>{80, 40, 1, 2}));
}

void TestMainCommands::resizeChangesTheHeaderOnlyWhenAccepted() {
    MainFormFixture f;
    LabelFile::write(f.path("cent.etq"), newLabel(100, 50) + LineList{kRectLine});
    openFile(f, "cent.etq");
    // Cancelled, or 10 mm wide: nothing changes.
    f.script->modalAnswers.enqueue(formatAnswer({"90"}, "Button1"));
    f.form->Redimensionner1Click();
    f.script->modalAnswers.enqueue(formatAnswer({"10", "20", "0", "0"}));
    f.form->Redimensionner1Click();
    QCOMPARE(f.etiq().document().Lines, newLabel(100, 50) + LineList{kRectLine});
    QVERIFY(!f.etiq().document().Modified);

    f.script->modalAnswers.enqueue(formatAnswer({"90", "45", "2", "3"}));
    f.form->Redimensionner1Click();
    QCOMPARE(f.etiq().document().Lines, newLabel(90, 45, 2, 3) + LineList{kRectLine});
    QVERIFY(f.etiq().document().Modified);
    QCOMPARE(f.form->LabelFormat.width, 90);
}

void TestMainCommands::newAndResizeGiveTheLabelTheSheetChosen() {
    MainFormFixture f;
    // Found in the installed catalogue with the search field, as a user would.
    f.script->modalAnswers.enqueue([](QDialog* d) {
        d->findChild<QLineEdit*>("PlancheFiltre")->setText("L7163");
        d->findChild<QComboBox*>("Planche")->setCurrentIndex(1);
        d->findChild<QPushButton*>("Button2")->click();
        return d->result();
    });
    f.form->FileNewItemClick();
    QVERIFY(f.etiq().document().Stock);
    QCOMPARE(f.etiq().document().Stock->code, QString("L7163"));
    // 99.1 x 38.1 mm, 101.6 apart across: 99 x 38 mm with 2 mm between.
    QCOMPARE(f.etiq().document().Lines, newLabel(99, 38, 2, 0));
    QVERIFY(!f.etiq().document().Modified);

    // "Redimensionner" shows the label's sheet; "Calculée (A4)" takes it away.
    QString shown;
    f.script->modalAnswers.enqueue([&](QDialog* d) {
        auto* list = d->findChild<QComboBox*>("Planche");
        shown = list->currentText();
        list->setCurrentIndex(0);
        d->findChild<SpinEdit*>("SpinEdit1")->setText("80");
        d->findChild<QPushButton*>("Button2")->click();
        return d->result();
    });
    f.form->Redimensionner1Click();
    QVERIFY(shown.startsWith("L7163 — "));
    QVERIFY(!f.etiq().document().Stock);
    QCOMPARE(f.etiq().document().Lines, newLabel(80, 38, 2, 0));
    QVERIFY(f.etiq().document().Modified);
}

void TestMainCommands::quitAsksAboutChangesAndFailuresAreReported() {
    MainFormFixture f;
    f.etiq().document().FileName = f.path("absent/dossier/x.etq");
    f.addObject(kRectLine);
    f.form->action(Command::FileSave)->trigger();
    QCOMPARE(f.script->messages.size(), 1);
    QVERIFY(f.script->messages[0].text.startsWith("Ne peut créer le fichier"));

    f.script->messageAnswers.enqueue(QMessageBox::Cancel);
    QVERIFY(!f.form->close());
    QVERIFY(f.form->isVisible());
    QVERIFY(!QFile::exists(f.path("Vorlap.ini")));
    f.script->messageAnswers.enqueue(QMessageBox::No);
    QVERIFY(f.form->close());
    QCOMPARE(f.script->messages[2].text, QString("Enregistrer modifications dans x.etq ?"));
    QVERIFY(QFile::exists(f.path("Vorlap.ini")));
}

void TestMainCommands::saveOnAFullDiskKeepsTheOldFileAndTheChanges() {
    MainFormFixture f;
    const QString path = f.path("petit.etq");
    LabelFile::write(path, newLabel(70, 42));
    const QByteArray before = fileBytes(path);
    openFile(f, "petit.etq");
    f.addObject(kRectLine);
    f.addObject(kEllipseLine);
    bool closed = true;
    {
        FileSizeLimit limit(before.size());
        QVERIFY(limit.active());
        f.form->runCommand(Command::FileSave);
        QCOMPARE(f.script->messages.size(), 1);
        QCOMPARE(f.script->messages[0].text, "Ne peut créer le fichier " + path);
        QVERIFY(f.etiq().document().Modified);
        QCOMPARE(fileBytes(path), before);

        // "Oui" to saving the changes at closing: the save fails, so the window stays.
        f.script->messageAnswers.enqueue(QMessageBox::Yes);
        closed = f.form->close();
    }
    QVERIFY(!closed);
    QVERIFY(f.form->isVisible());
    QCOMPARE(f.script->messages.size(), 3);
    QCOMPARE(f.script->messages[2].text, "Ne peut créer le fichier " + path);
    QCOMPARE(fileBytes(path), before);
    QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"petit.etq"});
}

void TestMainCommands::previewZoomGoesBackToTheLabelOnly() {
    MainFormFixture f;
    f.script->modalAnswers.enqueue([](QDialog* preview) {
        preview->findChild<SpinEdit*>("SpinEdit1")->setText("50");
        preview->findChild<QToolButton*>("SpeedButton5")->click();
        preview->findChild<QPushButton*>("Button1")->click();
        return preview->result();
    });
    f.form->runCommand(Command::Preview);
    QCOMPARE(f.etiq().Zoom, 50);
    QCOMPARE(f.form->PageSetup.zoom, 100);
    // The page setup shows the main window's zoom; confirmed, it goes to the label again.
    int shownZoom = 0;
    f.script->modalAnswers.enqueue([&](QDialog* setup) {
        shownZoom = setup->findChild<SpinEdit*>("SpinEdit5")->readValue();
        setup->findChild<QPushButton*>("Button2")->click();
        return setup->result();
    });
    f.form->runCommand(Command::PageSetup);
    QCOMPARE(shownZoom, 100);
    QCOMPARE(f.etiq().Zoom, 100);
}

void TestMainCommands::thePrintDialogAsksWhereOnThePartlyUsedSheet() {
    MainFormFixture f;
    // 70 x 42 mm: 21 cells. The tab offers them all, and what is chosen there goes to the label.
    int most = 0;
    f.script->modalAnswers.enqueue([&](QDialog* d) {
        auto* first = d->findChild<SpinEdit*>("FirstCellBox");
        auto* count = d->findChild<SpinEdit*>("CellCountBox");
        if (!first || !count)
            return int(QDialog::Rejected);
        most = first->maximum();
        first->setValue(5);
        count->setValue(4);
        return int(QDialog::Accepted);
    });
    try {
        f.form->PrintClick();
    } catch (const UserError&) {
        // No printer on a test machine: the choice is made before the job.
    }
    QCOMPARE(most, 21);
    QCOMPARE(f.etiq().FirstCell, 4);
    QCOMPARE(f.etiq().CellCount, 4);
    QCOMPARE(f.etiq().sheetJob().first, 4);
}

QTEST_MAIN(TestMainCommands)
#include "tst_maincommands.moc"
