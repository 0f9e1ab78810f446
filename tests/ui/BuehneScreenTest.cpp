// The stage view on a real X server (Xvfb): what reaches the screen, and a held key as X11
// delivers it. Run through xvfb-run by CTest.
#include "print/PagePainting.h"
#include "ui/Buehne.h"

#include "UiTestSupport.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace versino;
using versino::ui::TBuehneForm;

namespace {

std::vector<StageSong> evening() {
    std::vector<StageSong> out;
    for (const char* title : {"Heimweg", "Abschied", "Morgenrot", "Zugabe"}) {
        SongDocument doc;
        doc.InstallDefaultFonts();
        doc.TitelEdit().setText(title);
        doc.InterpretEdit().setText("Versino");
        std::string text;
        for (int i = 0; i < 20; ++i)
            text += "<G>Zeile <D>mit <e>Akkorden " + std::to_string(i) + "\r\n";
        doc.TextEdit().setText(text);
        out.push_back(stageSong(doc, QStringLiteral("/l/%1.vsn").arg(QLatin1String(title))));
    }
    return out;
}

class BuehneScreen : public ::testing::Test {
protected:
    BuehneScreen() {
        versino::testing::uiApp();
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config.path());
    }
    void SetUp() override {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            GTEST_SKIP() << "needs an X server";
        stage = new TBuehneForm(evening());
        stage->showOnStage(nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(stage));
        // Let the window manager-less server settle the full-screen geometry and paint.
        QTest::qWait(300);
    }
    void TearDown() override {
        if (stage)
            stage->close();
    }
    QTemporaryDir config;
    TBuehneForm* stage = nullptr;
};

// What the screen shows of the page is the printed page, scaled to the screen's height.
TEST_F(BuehneScreen, screenShowsThePrintedPageScaled) {
    QScreen* screen = stage->screen();
    const QImage shot = screen->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shot.size(), screen->geometry().size());
    QWidget* area = stage->childAt(stage->width() / 2, 10);
    ASSERT_TRUE(area);
    const QRect onScreen(area->mapToGlobal(QPoint(0, 0)) - screen->geometry().topLeft(), area->size());
    const ComposedPage& page = stage->model().page(0).page;
    const QSize size = QSize(page.width, page.height).scaled(onScreen.size(), Qt::KeepAspectRatio);
    EXPECT_EQ(size.height(), onScreen.height());
    const QImage printed = pageImage(page, size).convertToFormat(QImage::Format_RGB32);
    const QImage part = shot.copy(onScreen.left() + (onScreen.width() - size.width()) / 2,
                                  onScreen.top() + (onScreen.height() - size.height()) / 2, size.width(),
                                  size.height());
    EXPECT_EQ(part, printed);
    EXPECT_EQ(shot.pixel(onScreen.left() + 1, onScreen.top() + 1), qRgb(0, 0, 0));
}

// A key held down on X11 repeats as releases and presses with one timestamp: the stage turns once.
TEST_F(BuehneScreen, heldKeyTurnsOnce) {
    const QString xdotool = QStandardPaths::findExecutable(QStringLiteral("xdotool"));
    if (xdotool.isEmpty())
        GTEST_SKIP() << "xdotool is not installed";
    stage->activateWindow();
    QTest::qWait(100);
    QProcess::execute(xdotool, {QStringLiteral("keydown"), QStringLiteral("Next")});
    // Long enough for the server's repeat to start (its delay is 660 ms) and run for a while.
    QTest::qWait(1500);
    QProcess::execute(xdotool, {QStringLiteral("keyup"), QStringLiteral("Next")});
    QTest::qWait(200);
    EXPECT_EQ(stage->model().current(), 1);
    QProcess::execute(xdotool, {QStringLiteral("key"), QStringLiteral("Next")});
    QTest::qWait(200);
    EXPECT_EQ(stage->model().current(), 2);
}

} // namespace
