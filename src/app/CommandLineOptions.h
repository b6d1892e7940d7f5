#pragma once

#include "PageSetup.h"

#include <QPointF>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// What the command line asks for:
//   vorlap [FILE.etq]                  the designer
//   vorlap --png OUT.png FILE.etq      the label's drawing surface as a PNG
//   vorlap --svg OUT.svg FILE.etq      the same drawing as an SVG, at the label's size
//   vorlap --pdf OUT.pdf [--dpi N] [--zoom Z] [--margins L,T,R,B] [--copies N] FILE.etq
//   vorlap --print [--printer NAME] [--copies N] [--zoom Z] [--margins L,T,R,B] FILE.etq
//   vorlap --calibration-page (--pdf OUT.pdf | --print [--printer NAME]) [--offset X,Y]
//   vorlap --list-sheets
//   vorlap --help
struct CommandLineOptions {
    enum class Mode { Designer, Png, Svg, Pdf, Print, Help, ListSheets };

    static constexpr int kDefaultDpi = 300;
    static constexpr int kMinDpi = 30;
    // Beyond this a page drawn as an image would take gigabytes.
    static constexpr int kMaxDpi = 2400;
    static constexpr int kMaxCopies = 999;
    // No sheet holds more labels than this.
    static constexpr int kMaxCells = 65025;

    Mode mode = Mode::Designer;
    QString output;
    QString file; // empty only for the designer without a label, and for --help
    int dpi = kDefaultDpi;
    std::optional<int> zoom;
    std::optional<std::array<int, 4>> margins; // left, top, right, bottom in mm
    int copies = 1;
    QString printer; // empty: the default printer
    QString sheet;   // a catalogue code; empty: the label's own stock, if any
    QString merge;   // an address list; empty: the label's own list, if any
    int first = 1;   // the first cell printed, from 1, across rows
    int count = -1;  // how many cells; fewer than 0: to the end of the sheet
    QPointF offset;  // the printer's offset in millimetres
    // The calibration page instead of a label's sheet.
    bool calibrationPage = false;
    // Why the arguments cannot be run, in French; empty when they can.
    QString error;

    // The arguments as QCoreApplication::arguments() gives them, the program's name first.
    static CommandLineOptions parse(const QStringList& arguments);
    // Before any QApplication exists, to know whether a display is needed.
    static CommandLineOptions parse(int argc, char** argv);
    // The arguments with file names kept whole, even those that are not UTF-8, which
    // QCoreApplication::arguments() would spoil.
    static QStringList arguments(int argc, char** argv);
    // The French help text listing every option.
    static QString usage();

    // Whether the run ends without a window: an export, a print or the help.
    bool isCommandLineRun() const { return mode != Mode::Designer; }
    // The page setup of the settings file (SettingsFile::load), with the zoom and margins
    // given on the command line put over it.
    PageSetupValues pageSetup(const QString& startDirectory) const;
};
