#pragma once

#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>

// Texts in metafiles need Qt's font database, which needs an application object.
inline void startFuzzApplication(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication application(*argc, *argv);
}

// Qt trims its font and glyph caches from a timer; the program's event loop runs it, and
// so must a fuzz program that draws texts, or the caches grow with every size it tries.
inline void runPendingEvents() {
    QCoreApplication::processEvents();
}

// Fontconfig keeps its caches until the process ends, which the leak check at exit
// would report on every run. Included once per fuzz program.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\n";
}

// A broken promise of the code under test: libFuzzer records the input as a crash.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
