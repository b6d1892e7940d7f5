#pragma once

#include <QStringList>

class TEtiq;

// Opens the label named on the command line, if any; a file that cannot be read is
// reported and the window keeps its new label.
void openFromCommandLine(TEtiq& window, const QStringList& arguments);
