#pragma once

#include "ui/Appearance.h"

#include <QApplication>
#include <QKeyEvent>
#include <QString>
#include <QTemporaryDir>
#include <QWidget>

namespace versino::testing {

// The one application object of a widget test program, created on first use so that listing the
// tests needs no display.
inline QApplication& uiApp() {
    static int argc = 1;
    static char arg0[] = "ui_tests";
    static char* argv[] = {arg0, nullptr};
    static QApplication* app = [] {
        auto* a = new QApplication(argc, argv);
        versino::ui::setupAppearance();
        return a;
    }();
    return *app;
}

// Types text that may hold characters no keyboard key stands for (QTest only knows ASCII keys).
inline void typeText(QWidget* target, const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        QString ch(text.at(i));
        if (text.at(i).isHighSurrogate() && i + 1 < text.size())
            ch.append(text.at(++i));
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, ch);
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, ch);
        QApplication::sendEvent(target, &release);
    }
}

} // namespace versino::testing
