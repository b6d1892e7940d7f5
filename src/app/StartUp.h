#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class TMainForm;

// Starts the designer: the splash, the application title, every form once, then the main
// window shown maximised on the label named on the command line, if any. The caller runs
// the event loop. startDir is where the settings file lives.
std::unique_ptr<TMainForm> startDesigner(const QStringList& arguments, const QString& startDir);

// Qt's own dialogs and buttons speak French, as the rest of the program does ("Oui", "Non",
// "Annuler"; the file and colour dialogs). Returns whether Qt's translation was found.
bool installFrenchTranslations();
