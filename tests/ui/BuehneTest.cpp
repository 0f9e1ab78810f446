#include "ui/Buehne.h"

#include "formats/LayoutFile.h"
#include "ui/Liederbuch.h"

#include "support/TempDir.h"
#include "FormFixture.h"
#include "UiTestSupport.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

using namespace versino;
using versino::testing::TempDir;
using versino::ui::TBuehneForm;

namespace {

std::vector<StageSong> evening() {
    std::vector<StageSong> out;
    const char* titles[] = {"Heimweg", "Abschied", "Morgenrot"};
    for (const char* title : titles) {
        SongDocument doc;
        doc.InstallDefaultFonts();
        doc.TitelEdit().setText(title);
        doc.TextEdit().setText("<F>weit <C>weg\r\n");
        out.push_back(stageSong(doc, QStringLiteral("/l/%1.vsn").arg(QLatin1String(title)), 2, QStringLiteral("leise")));
    }
    return out;
}

class Buehne : public ::testing::Test {
protected:
    Buehne() {
        versino::testing::uiApp();
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config.path());
    }
    // A key as the window gets it, with the event's timestamp.
    static void key(QWidget* w, int k, bool press, quint64 time, bool autoRepeat = false) {
        QKeyEvent event(press ? QEvent::KeyPress : QEvent::KeyRelease, k, Qt::NoModifier, QString(), autoRepeat);
        event.setTimestamp(time);
        QApplication::sendEvent(w, &event);
    }
    static void tap(QWidget* area, double x) {
        const QPointF at(x, area->height() / 2.0);
        QMouseEvent press(QEvent::MouseButtonPress, at, area->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(area, &press);
    }
    TempDir config;
};

TEST_F(Buehne, titleFollowsTheSongAndEscapeLeaves) {
    QPointer<TBuehneForm> stage = new TBuehneForm(evening());
    stage->resize(1280, 800);
    stage->show();
    EXPECT_EQ(stage->windowTitle(), QString::fromUtf8("Versino – Bühne – 1/3 Heimweg"));
    key(stage, Qt::Key_PageDown, true, 10);
    key(stage, Qt::Key_PageDown, false, 20);
    EXPECT_EQ(stage->windowTitle(), QString::fromUtf8("Versino – Bühne – 2/3 Abschied"));
    const QLabel* info = stage->findChild<QLabel*>(QStringLiteral("Info"));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->text(), QString::fromUtf8("2/3 · Abschied · G (+2) · Als Nächstes: Morgenrot"));
    EXPECT_EQ(stage->findChild<QLabel*>(QStringLiteral("Notiz"))->text(), "leise");
    key(stage, Qt::Key_Escape, true, 30);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(stage.isNull());
}

TEST_F(Buehne, tapOnTheOuterThirdsTurns) {
    struct Case {
        double share; // of the width
        int song;     // after starting on the second song
    };
    const Case cases[] = {{0.05, 0}, {0.32, 0}, {0.34, 1}, {0.5, 1}, {0.66, 1}, {0.67, 2}, {0.99, 2}};
    for (const Case& c : cases) {
        auto* stage = new TBuehneForm(evening());
        stage->resize(1200, 800);
        stage->show();
        stage->model().jumpTo(1);
        QWidget* area = stage->childAt(600, 300);
        ASSERT_TRUE(area);
        tap(area, c.share * area->width());
        EXPECT_EQ(stage->model().current(), c.song) << c.share;
        stage->close();
    }
}

TEST_F(Buehne, nightModeIsRememberedAndDrawsLightOnDark) {
    auto* first = new TBuehneForm(evening());
    first->resize(1000, 700);
    first->show();
    const QImage day = first->grabPageArea();
    key(first, Qt::Key_N, true, 1);
    EXPECT_TRUE(first->night());
    const QImage night = first->grabPageArea();
    first->close();
    // The sheet's middle: white by day, dark at night.
    const QPoint middle(day.width() / 2, day.height() / 2);
    EXPECT_GT(qGray(day.pixel(middle)), 200);
    EXPECT_LT(qGray(night.pixel(middle)), 60);
    auto* second = new TBuehneForm(evening());
    EXPECT_TRUE(second->night());
    second->setNight(false);
    second->close();
    auto* third = new TBuehneForm(evening());
    EXPECT_FALSE(third->night());
    third->close();
}

TEST_F(Buehne, twoSongsOnlyOnAWideScreen) {
    struct Case {
        QSize size;
        bool two;
    };
    for (const Case& c : {Case{{1920, 1080}, true}, Case{{1080, 1920}, false}, Case{{1280, 800}, true}, Case{{1024, 768}, false},
                          Case{{800, 1000}, false}}) {
        auto* stage = new TBuehneForm(evening());
        stage->resize(c.size);
        stage->show();
        key(stage, Qt::Key_Z, true, 1);
        EXPECT_EQ(stage->model().mode() == StageModel::Mode::TwoSongs, c.two) << c.size.width();
        stage->close();
    }
}

class StageWindows : public versino::testing::FormFixture {
protected:
    StageWindows() { QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config.path()); }
    static TBuehneForm* openStage() {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* stage = qobject_cast<TBuehneForm*>(w); stage && stage->isVisible())
                return stage;
        return nullptr;
    }
    TempDir config;
};

TEST_F(StageWindows, editorShowsItsSongAndTheSongbookItsListFromTheCurrentSong) {
    setText("TitelEdit", QStringLiteral("Im Editor"));
    setText("TextEdit", QStringLiteral("<C>la\n"));
    action("Buehnenansicht")->trigger();
    TBuehneForm* fromEditor = openStage();
    ASSERT_TRUE(fromEditor);
    EXPECT_EQ(fromEditor->windowTitle(), QString::fromUtf8("Versino – Bühne – 1/1 Im Editor"));
    fromEditor->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    TempDir dir;
    for (const char* title : {"Zebra", "Adler", "Berg"}) {
        SongDocument song;
        song.InstallDefaultFonts();
        song.TitelEdit().setText(title);
        song.TextEdit().setText("<F>weit\r\n");
        versino::testing::writeAll(dir.str(QString::fromLatin1(title) + ".vsn"), formatLayout(song));
    }
    versino::testing::writeAll(dir.str("abend.vsl"),
                               "Zebra.vsn\nAdler.vsn\n#Transponieren: +2\n#Notiz: leise\nBerg.vsn\n");
    action("Liederbuch")->trigger();
    ui::TLiederbuchForm* book = form->findChild<ui::TLiederbuchForm*>();
    ASSERT_TRUE(book->openList(dir.path("abend.vsl")));
    auto* list = book->findChild<QTreeWidget*>("SongList");
    EXPECT_EQ(list->topLevelItem(0)->text(ui::TLiederbuchForm::KeyColumn), "F");
    EXPECT_EQ(list->topLevelItem(1)->text(ui::TLiederbuchForm::KeyColumn), "G (+2)");
    EXPECT_EQ(list->topLevelItem(1)->text(ui::TLiederbuchForm::NoteColumn), "leise");
    list->setCurrentItem(list->topLevelItem(1));
    QTest::mouseClick(book->findChild<QPushButton*>("BuehneBtn"), Qt::LeftButton);
    TBuehneForm* stage = openStage();
    ASSERT_TRUE(stage);
    EXPECT_EQ(stage->model().barText(), QString::fromUtf8("1/2 · Adler · G (+2) · Als Nächstes: Berg"));
    stage->close();
}

} // namespace
