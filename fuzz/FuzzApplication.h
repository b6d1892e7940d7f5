#pragma once

#include <QGuiApplication>

// Texts in metafiles need Qt's font database, which needs an application object.
inline void startFuzzApplication(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication application(*argc, *argv);
}

// Fontconfig keeps its caches until the process ends, which the leak check at exit
// would report on every run. Included once per fuzz program.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\n";
}
