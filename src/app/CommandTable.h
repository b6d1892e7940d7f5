#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>

// Every command of the main menu. The label window carries most of them out; an entry
// whose command has no handler yet is shown greyed out.
enum class Command {
    FileNew,
    FileOpen,
    FileSave,
    FileSaveAs,
    PrinterSetup,
    PageSetup,
    Preview,
    Print,
    CalibrationPage,
    ExportPdf,
    ExportImage,
    Merge,
    Quit,
    Undo,
    Redo,
    Cut,
    Copy,
    Paste,
    Delete,
    SelectAll,
    DeselectAll,
    Lock,
    UnlockAll,
    Group,
    Ungroup,
    ClearLabel,
    Resize,
    ToFront,
    ToBack,
    OneDown,
    OneUp,
    Position,
    Size,
    Modify,
    Background,
    Palette,
    Redraw,
    ObjectList,
    Properties,
    Calendar,
    Calculator,
    Clock,
    HelpIndex,
    HelpSearch,
    HelpHowTo,
    About,
};

struct MenuEntry {
    QString title;
    // The help page a press of F1 opens while the menu is open.
    int helpContext = 0;
};

struct CommandEntry {
    int menu = 0; // index into menuEntries()
    Command command = Command::FileNew;
    QString objectName;
    QString caption;
    QString hint;
    QKeySequence shortcut;
    // Another key for the same command, where users know two.
    QKeySequence otherShortcut;
    // Hint of the tool-bar button that runs the same command, empty when there is none.
    QString buttonHint;
    bool separatorBefore = false;
};

const QList<MenuEntry>& menuEntries();
const QList<CommandEntry>& commandEntries();
