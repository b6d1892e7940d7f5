#pragma once

#include "HelpViewer.h"

// The program's help text, shipped inside it: contents, index and the pages the menus'
// context numbers lead to.
HelpBook vorlapHelpBook();

// The page for a help context number of the main menu; invalid for an unknown number.
QUrl vorlapHelpPage(int context);
