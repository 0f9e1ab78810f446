#include "commands/SetList.h"
#include "commands/Stage.h"
#include "platform/PageMetrics.h"

#include "support/GuiApp.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <random>

using namespace versino;
using versino::testing::TempDir;
using versino::testing::writeAll;

namespace {

std::vector<StageSong> songs(int n) {
    std::vector<StageSong> out;
    for (int i = 0; i < n; ++i) {
        SongDocument doc;
        doc.InstallDefaultFonts();
        doc.TitelEdit().setText("Lied " + std::to_string(i + 1));
        doc.TextEdit().setText("<C>la la\r\n<G>li li\r\n");
        out.push_back(stageSong(doc, QStringLiteral("/l/%1.vsn").arg(i + 1)));
    }
    return out;
}

// One measuring page for the whole program, made once the GUI application is there.
PageMeasures& measures() {
    static PageMetrics* page = (versino::testing::guiApp(), new PageMetrics);
    return page->surface();
}

class Stage : public ::testing::Test {
protected:
    PageMeasures& metrics = measures();
};

const int kTurnKeys[] = {Qt::Key_PageDown, Qt::Key_Down,   Qt::Key_Right, Qt::Key_Space, Qt::Key_Return,
                         Qt::Key_PageUp,   Qt::Key_Up,     Qt::Key_Left,  Qt::Key_Backspace, Qt::Key_Home,
                         Qt::Key_End,      Qt::Key_5,      Qt::Key_1,     Qt::Key_0,     Qt::Key_Escape,
                         Qt::Key_A};

// Any key sequence keeps the view inside the list, and a forward turn that moved is undone by a
// back turn, in every mode and for every length of list.
TEST_F(Stage, anyKeysKeepTheViewInsideAndForwardThenBackReturns) {
    std::mt19937 random(26);
    for (int n : {1, 2, 3, 7}) {
        for (StageModel::Mode mode : {StageModel::Mode::WholePage, StageModel::Mode::PageWidth,
                                      StageModel::Mode::TwoSongs}) {
            StageModel stage(songs(n), metrics);
            stage.setMode(mode);
            const int halves = mode == StageModel::Mode::PageWidth ? 2 : 1;
            for (int step = 0; step < 400; ++step) {
                const int key = kTurnKeys[random() % std::size(kTurnKeys)];
                stage.keyPress(key, false, std::uint64_t(step) * 2);
                stage.keyRelease(key, false, std::uint64_t(step) * 2 + 1);
                ASSERT_GE(stage.current(), 0);
                ASSERT_LT(stage.current(), n);
                ASSERT_GE(stage.half(), 0);
                ASSERT_LT(stage.half(), halves);
                if (stage.typedNumber().isEmpty()) {
                    const int song = stage.current(), half = stage.half();
                    if (stage.forward()) {
                        ASSERT_TRUE(stage.back());
                        ASSERT_EQ(stage.current(), song);
                        ASSERT_EQ(stage.half(), half);
                    }
                }
            }
        }
    }
}

// A held pedal turns once, however its repeats arrive; a second tread turns again.
TEST_F(Stage, heldKeyTurnsOnceOnItsPress) {
    struct Event {
        bool press;
        bool autoRepeat;
        std::uint64_t time;
    };
    struct Case {
        const char* name;
        std::vector<Event> events;
        int turns;
    };
    const Case cases[] = {
        {"tap", {{true, false, 10}, {false, false, 90}}, 1},
        {"press alone turns", {{true, false, 10}}, 1},
        {"marked repeats", {{true, false, 10}, {true, true, 500}, {true, true, 530}, {false, false, 560}}, 1},
        {"repeats with marked releases",
         {{true, false, 10}, {false, true, 500}, {true, true, 500}, {false, true, 530}, {true, true, 530}}, 1},
        // X11 without the mark: pairs of release and press with one timestamp.
        {"unmarked pairs", {{true, false, 10}, {false, false, 500}, {true, false, 500}, {false, false, 530},
                            {true, false, 530}, {false, false, 700}}, 1},
        {"press while down", {{true, false, 10}, {true, false, 400}}, 1},
        {"two treads", {{true, false, 10}, {false, false, 90}, {true, false, 300}, {false, false, 380}}, 2},
        // Synthetic events without timestamps are taken as they come.
        {"untimed taps", {{true, false, 0}, {false, false, 0}, {true, false, 0}, {false, false, 0}}, 2},
        {"two treads, then held",
         {{true, false, 10}, {false, false, 90}, {true, false, 91}, {false, false, 600}, {true, false, 600}}, 2},
    };
    for (const Case& c : cases) {
        StageModel stage(songs(10), metrics);
        // A key still down when the window lost the keyboard is not held any more.
        stage.keyPress(Qt::Key_PageDown, false, 1);
        stage.forgetHeldKeys();
        stage.jumpTo(0);
        for (const Event& e : c.events) {
            if (e.press)
                stage.keyPress(Qt::Key_PageDown, e.autoRepeat, e.time);
            else
                stage.keyRelease(Qt::Key_PageDown, e.autoRepeat, e.time);
        }
        EXPECT_EQ(stage.current(), c.turns) << c.name;
    }
}

TEST_F(Stage, digitsThenReturnJumpToThatNumber) {
    struct Case {
        std::vector<int> keys;
        int song; // 0-based, after starting on song 3
        StageModel::Outcome last;
    };
    using O = StageModel::Outcome;
    const Case cases[] = {
        {{Qt::Key_1, Qt::Key_2, Qt::Key_Return}, 11, O::Turned},
        {{Qt::Key_1, Qt::Key_Enter}, 0, O::Turned},
        {{Qt::Key_0, Qt::Key_Return}, 2, O::Typing},
        {{Qt::Key_9, Qt::Key_9, Qt::Key_Return}, 2, O::Typing},
        {{Qt::Key_1, Qt::Key_7, Qt::Key_Backspace, Qt::Key_Return}, 0, O::Turned},
        {{Qt::Key_7, Qt::Key_Escape}, 2, O::Typing},
        {{Qt::Key_7, Qt::Key_Escape, Qt::Key_Escape}, 2, O::Leave},
        // A turning key forgets the number and turns.
        {{Qt::Key_7, Qt::Key_Right}, 3, O::Turned},
        {{Qt::Key_End}, 19, O::Turned},
        {{Qt::Key_Home, Qt::Key_Home}, 0, O::Ignored},
        {{Qt::Key_3, Qt::Key_Return}, 2, O::Typing},
    };
    for (const Case& c : cases) {
        StageModel stage(songs(20), metrics);
        stage.jumpTo(2);
        O last = O::Ignored;
        std::uint64_t t = 0;
        for (int key : c.keys) {
            last = stage.keyPress(key, false, ++t);
            stage.keyRelease(key, false, ++t);
        }
        EXPECT_EQ(stage.current(), c.song) << c.keys.size();
        EXPECT_EQ(last, c.last) << c.song;
        EXPECT_TRUE(stage.typedNumber().isEmpty() || c.last == O::Typing);
    }
}

// However far the view travels, only the songs around it stay composed, and those are ready
// before the turn reaches them.
TEST_F(Stage, composesAheadAndForgetsTheRest) {
    StageModel stage(songs(30), metrics);
    std::mt19937 random(7);
    for (int step = 0; step < 60; ++step) {
        stage.composeAhead();
        EXPECT_LE(stage.composedCount(), StageModel::kMaxComposed);
        const int from = stage.current();
        if (from + 1 < stage.count()) {
            EXPECT_TRUE(stage.isComposed(from + 1));
        }
        if (from > 0) {
            EXPECT_TRUE(stage.isComposed(from - 1));
        }
        if (random() % 4 == 0)
            stage.jumpTo(int(random() % 30));
        else
            stage.forward();
    }
}

TEST_F(Stage, setListGivesKeysNotesAndTheBar) {
    TempDir dir;
    writeAll(dir.str("heimweg.vsn"), "[Titel]\r\nHeimweg\r\n[Text]\r\n<F>weit <C>weg\r\n");
    writeAll(dir.str("abschied.vsn"), "[Titel]\r\nAbschied\r\n[Refrain]\r\n<H7>la\r\n[Text]\r\n>>Refrain\r\n");
    writeAll(dir.str("ohne.vsn"), "[Titel]\r\n\r\n[Text]\r\nnur Text\r\n");
    writeAll(dir.str("abend.vsl"), "heimweg.vsn\n#Transponieren: +2\n#Notiz: leise anfangen\nabschied.vsn\n"
                                   "#Transponieren: -1\nfehlt.vsn\nohne.vsn\n");
    std::vector<QString> problems;
    std::vector<StageSong> loaded = loadStageSongs({dir.path("abend.vsl")}, problems);
    ASSERT_EQ(loaded.size(), 3u);
    EXPECT_EQ(problems.size(), 1u);
    EXPECT_EQ(loaded[0].key, "G (+2)");
    EXPECT_EQ(loaded[0].note, "leise anfangen");
    EXPECT_EQ(loaded[0].doc->TextEdit().text(), "<G>weit <D>weg\r\n");
    EXPECT_EQ(loaded[1].key, "B7 (-1)"); // German notation: H7 down a semitone
    EXPECT_EQ(loaded[2].key, "");
    EXPECT_EQ(loaded[2].title(), "ohne.vsn");
    StageModel stage(std::move(loaded), metrics);
    EXPECT_EQ(stage.barText(), QString::fromUtf8("1/3 · Heimweg · G (+2) · Als Nächstes: Abschied"));
    EXPECT_EQ(stage.windowTitle(), QString::fromUtf8("Versino – Bühne – 1/3 Heimweg"));
    stage.jumpTo(2);
    EXPECT_EQ(stage.barText(), QString::fromUtf8("3/3 · ohne.vsn"));
}

} // namespace
