#pragma once

#include <QGuiApplication>

namespace versino::testing {

// The one GUI application object of a test program that measures or paints text, made on first use
// (so that listing the tests needs none) and left alive to the end of the process: destroying it
// among static objects crashes.
inline QGuiApplication& guiApp() {
    if (!QGuiApplication::instance()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char arg0[] = "versino_tests";
        static char* argv[] = {arg0, nullptr};
        new QGuiApplication(argc, argv);
    }
    return *qGuiApp;
}

} // namespace versino::testing
