#include "CommandTable.h"

namespace {

enum MenuIndex { Fichier, Edition, Outils, Affichage, Utilitaires, Aide };

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

CommandEntry entry(int menu, Command command, const char* objectName, const char* caption,
                   const char* hint, const char* shortcut = "", const char* buttonHint = "") {
    CommandEntry e;
    e.menu = menu;
    e.command = command;
    e.objectName = text(objectName);
    e.caption = text(caption);
    e.hint = text(hint);
    e.shortcut = QKeySequence(text(shortcut), QKeySequence::PortableText);
    e.buttonHint = text(buttonHint);
    return e;
}

CommandEntry alsoKey(CommandEntry e, const char* shortcut) {
    e.otherShortcut = QKeySequence(text(shortcut), QKeySequence::PortableText);
    return e;
}

CommandEntry separated(CommandEntry e) {
    e.separatorBefore = true;
    return e;
}

QList<CommandEntry> buildTable() {
    using C = Command;
    return {
        entry(Fichier, C::FileNew, "FileNewItem", "&Nouveau...", "Créer un nouveau fichier", "",
              "Nouveau"),
        entry(Fichier, C::FileOpen, "FileOpenItem", "&Ouvrir...", "Ouvrir un fichier existant", "",
              "Ouvrir"),
        entry(Fichier, C::FileSave, "FileSaveItem", "&Enregistrer",
              "Enregistrer le fichier en cours", "Ctrl+S", "Enregistrer"),
        entry(Fichier, C::FileSaveAs, "FileSaveAsItem", "Enregistrer &sous...",
              "Enregistrer le fichier en cours sous..."),
        separated(entry(Fichier, C::PrinterSetup, "PrinterSetupItem",
                        "&Configuration imprimante...", "Configurer l'imprimante")),
        entry(Fichier, C::PageSetup, "Miseenpage1", "&Mise en page...", "Définir les marges"),
        entry(Fichier, C::Preview, "PreviewItem", "&Aperçu avant impression",
              "Aperçu avant impression", "", "Aperçu avant impression"),
        entry(Fichier, C::Print, "PrintItem", "&Imprimer...", "Imprimer", "", "Imprimer"),
        entry(Fichier, C::CalibrationPage, "CalibrationPageItem", "&Page de calibrage...",
              "Imprimer une page pour mesurer le décalage de l'imprimante"),
        // "&image" would share its letter with "&Imprimer...".
        separated(entry(Fichier, C::ExportPdf, "ExportPdfItem", "E&xporter en PDF...",
                        "Enregistrer la planche d'étiquettes en PDF")),
        entry(Fichier, C::ExportImage, "ExportImageItem", "Exporter l'é&tiquette en image...",
              "Enregistrer le dessin de l'étiquette en image PNG ou SVG"),
        entry(Fichier, C::Merge, "MergeItem", "&Fusion...",
              "Imprimer une étiquette par ligne d'une liste d'adresses"),
        separated(entry(Fichier, C::Quit, "FileExitItem", "&Quitter", "Quitter l'application")),

        entry(Edition, C::Undo, "EditUndoItem", "&Annuler", "annuler modification", "Ctrl+Z",
              "Annuler"),
        alsoKey(entry(Edition, C::Redo, "EditRedoItem", "&Rétablir",
                      "Rétablir la modification annulée", "Ctrl+Y", "Rétablir"),
                "Ctrl+Shift+Z"),
        separated(entry(Edition, C::Cut, "EditCutItem", "&Couper", "Couper dans le Presse-papiers",
                        "Ctrl+X", "Couper")),
        entry(Edition, C::Copy, "EditCopyItem", "Co&pier", "Copier dans le Presse-papiers",
              "Ctrl+C", "Copier"),
        entry(Edition, C::Paste, "EditPasteItem", "C&oller", "Coller depuis le Presse-papiers",
              "Ctrl+V", "Coller"),
        entry(Edition, C::Delete, "EditDeleteItem", "&Supprimer", "Supprimer l'objet", "Del"),
        separated(entry(Edition, C::SelectAll, "SelectAllItem", "&Tout sélectionner",
                        "Sélectionner tous les objets")),
        entry(Edition, C::DeselectAll, "DeselectAllItem", "Tout &désélectionner",
              "Désélectionne tous les objets"),
        separated(entry(Edition, C::Lock, "LockItem", "&Verrouiller", "Verrouiller l'objet")),
        entry(Edition, C::UnlockAll, "UnlockAllItem", "Deverro&uiller tout",
              "Déverrouiller tous les objets"),
        separated(entry(Edition, C::Group, "GroupItem", "&Grouper",
                        "Grouper les objets sélectionnés", "Ctrl+G")),
        entry(Edition, C::Ungroup, "UngroupItem", "Dissoc&ier", "Dissocier les objets sélectionnés",
              "Ctrl+Shift+G"),

        entry(Outils, C::ClearLabel, "ClearLabelItem", "&Effacer l'étiquette", "Efface le dessin"),
        entry(Outils, C::Resize, "Redimensionner1", "&Redimensionner",
              "Redimensionner l'étiquette"),
        separated(entry(Outils, C::ToFront, "ToFrontItem", "A&vant plan", "Mettre en avant plan")),
        entry(Outils, C::ToBack, "ToBackItem", "&Arrière plan", "Mettre en arrière plan"),
        entry(Outils, C::OneDown, "OneDownItem", "&Un dessous", ""),
        entry(Outils, C::OneUp, "OneUpItem", "Un &dessus", ""),
        separated(entry(Outils, C::Position, "PositionItem", "&Position...", "Modifier position")),
        entry(Outils, C::Size, "SizeItem", "&Taille...", "Modifier taille"),
        entry(Outils, C::Modify, "Modifier1", "&Modifier...", "Modifier objet"),
        entry(Outils, C::Background, "BackgroundItem", "&Fond de page...", "Fond de page",
              "Ctrl+Shift+F", "Fond de page"),

        entry(Affichage, C::Palette, "PaletteItem", "&Palette des couleurs",
              "Afficher la palette des couleurs"),
        entry(Affichage, C::Redraw, "RedrawItem", "&Redessiner", ""),
        separated(entry(Affichage, C::ObjectList, "ObjectListItem", "&Liste des objets",
                        "Afficher la liste des objets")),
        entry(Affichage, C::Properties, "PropertiesItem", "&Propriétés", "Attributs de l'image"),

        entry(Utilitaires, C::Calendar, "CalendarItem", "&Calendrier", "Calendrier"),
        entry(Utilitaires, C::Calculator, "CalculatorItem", "C&alculatrice", "Calculatrice"),
        entry(Utilitaires, C::Clock, "ClockItem", "&Horloge", "Horloge"),

        entry(Aide, C::HelpIndex, "HelpContentsItem", "&Index", "Sommaire de l'aide"),
        entry(Aide, C::HelpSearch, "HelpSearchItem", "&Rechercher", "&Rechercher dans l'aide"),
        entry(Aide, C::HelpHowTo, "HelpHowToUseItem", "&Utiliser l'aide",
              "Comment utiliser l'aide"),
        separated(entry(Aide, C::About, "HelpAboutItem", "&A propos",
                        "Informations sur le logiciel, version")),
    };
}

} // namespace

const QList<MenuEntry>& menuEntries() {
    static const QList<MenuEntry> menus = {
        {QStringLiteral("&Fichier"), 3},     {QStringLiteral("&Edition"), 4},
        {QStringLiteral("&Outils"), 6},      {QStringLiteral("&Affichage"), 7},
        {QStringLiteral("&Utilitaires"), 8}, {QStringLiteral("&?"), 10},
    };
    return menus;
}

const QList<CommandEntry>& commandEntries() {
    static const QList<CommandEntry> table = buildTable();
    return table;
}
