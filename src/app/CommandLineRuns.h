#pragma once

#include "CommandLineOptions.h"

#include <QString>

// The runs of the command line that need no window: the label's drawing surface as a PNG,
// the printed sheet as a PDF or on a printer, and the help. Messages go to stderr, in
// French; each returns the process exit status (0 done, 1 failed, 2 a bad command line).
int runCommandLine(const CommandLineOptions& options, const QString& startDirectory);

// `vorlap --png OUT.png FILE.etq`: draws the label as the label window does, with the tool
// bar at its start values, and writes the drawing surface as a PNG.
int exportPng(const QString& labelPath, const QString& pngPath);

// Inside a catch block for a std::exception: prints why the run stopped ("vorlap: " and the
// error's text, "Mémoire insuffisante" when memory ran out) and returns the exit status 1.
int exportFailed();
