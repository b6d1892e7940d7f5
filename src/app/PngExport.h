#pragma once

#include <QString>

// `vorlap --png OUT.png FILE.etq`: draws the label as the label window does, with the tool
// bar at its start values, and writes the drawing surface as a PNG. Messages go to stderr.
// Returns the process exit code.
int exportPng(const QString& labelPath, const QString& pngPath);

// Whether the arguments ask for an export, so that no display is needed.
bool isPngExport(int argc, char** argv);
