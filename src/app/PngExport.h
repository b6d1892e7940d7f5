#pragma once

#include <QString>

// `vorlap --png OUT.png FILE.etq`: draws the label as the label window does, with the tool
// bar at its start values, and writes the drawing surface as a PNG. Messages go to stderr.
// Returns the process exit code.
int exportPng(const QString& labelPath, const QString& pngPath);

// Inside a catch block for a std::exception: prints why the export stopped ("vorlap: " and the
// error's text, "Mémoire insuffisante" when memory ran out) and returns the exit code 1.
int exportFailed();

// Whether the arguments ask for an export, so that no display is needed.
bool isPngExport(int argc, char** argv);
