#include "commands/RunningOrder.h"
#include "commands/Songbook.h"
#include "commands/SongbookCommands.h"

#include "support/FakeSurface.h"
#include "support/GuiApp.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace versino;
using versino::testing::FakePrinter;
using versino::testing::FakeSurface;
using versino::testing::TempDir;
using versino::testing::writeAll;

namespace {

std::vector<BookSong> evening(int n) {
    std::vector<BookSong> songs;
    for (int i = 0; i < n; ++i) {
        BookSong song;
        song.file = QStringLiteral("/l/%1.vsn").arg(i);
        song.doc = std::make_unique<SongDocument>();
        song.doc->TitelEdit().setText(i % 7 == 3 ? std::string(120, 'W') : "Lied " + std::to_string(i + 1));
        song.key = i % 2 ? QStringLiteral("G (+2)") : QStringLiteral("Am");
        song.note = i % 3 ? QString() : QStringLiteral("leise anfangen");
        songs.push_back(std::move(song));
    }
    return songs;
}

// However many songs, the running order stays on its page, nothing covers anything, and more
// songs never get larger type; every song stands there as long as the smallest type holds them.
TEST(RunningOrder, staysOnItsPageWithTypeShrinkingAsTheListGrows) {
    int lastSize = 1000;
    for (int n : {1, 3, 12, 40, 90, 180, 400}) {
        FakeSurface page;
        drawPage(runningOrderPage(page, evening(n), QStringLiteral("Sommerfest")), page);
        int numbers = 0, rowSize = 0;
        for (std::size_t i = 0; i < page.cells.size(); ++i) {
            const FakeSurface::Cell& c = page.cells[i];
            EXPECT_GE(c.left, 0) << n;
            EXPECT_GE(c.top, 0) << n;
            EXPECT_LE(c.right, page.width) << n << " " << c.text;
            EXPECT_LE(c.bottom, page.height) << n << " " << c.text;
            for (std::size_t k = 0; k < i; ++k)
                EXPECT_FALSE(c.overlaps(page.cells[k])) << n << ": " << c.text << " / " << page.cells[k].text;
            if (c.text == std::to_string(numbers + 1) + ".") {
                ++numbers;
                rowSize = c.size;
            }
        }
        EXPECT_LE(rowSize, lastSize) << n;
        lastSize = rowSize;
        if (n <= 90)
            EXPECT_EQ(numbers, n);
        else
            EXPECT_GT(numbers, 90);
    }
}

// A set list's book prints each song transposed as its entry says, and its contents can follow
// the running order with number and key: the same keys the stage shows.
TEST(SetListBook, songsAreTransposedAndTheContentsFollowTheRunningOrder) {
    TempDir dir;
    writeAll(dir.str("zebra.vsn"), "[Titel]\r\nZebra\r\n[Text]\r\n<F>weit <C>weg\r\n");
    writeAll(dir.str("adler.vsn"), "[Titel]\r\nAdler\r\n[Text]\r\n<a>hoch\r\n");
    writeAll(dir.str("abend.vsl"), "zebra.vsn\n#Transponieren: +2\n#Notiz: leise\nadler.vsn\n");
    BookSource source = loadBookSources({dir.path("abend.vsl")});
    ASSERT_EQ(source.songs.size(), 2u);
    EXPECT_EQ(source.songs[0].doc->TextEdit().text(), "<G>weit <D>weg\r\n");
    EXPECT_EQ(source.songs[0].key, "G (+2)");
    EXPECT_EQ(source.songs[0].note, "leise");
    EXPECT_EQ(source.songs[1].key, "a");
    for (bool runningOrder : {false, true}) {
        BookOptions options;
        options.runningOrder = runningOrder;
        FakePrinter printer;
        printer.surface.keepDraws = true;
        printBook(source.songs, options, printer);
        std::vector<std::string> texts;
        for (const FakeSurface::Draw& d : printer.surface.drawn)
            texts.push_back(d.text);
        const auto at = [&](const std::string& t) { return std::find(texts.begin(), texts.end(), t) - texts.begin(); };
        if (runningOrder) {
            EXPECT_LT(at("1. Zebra"), at("2. Adler"));
            EXPECT_LT(at("G (+2)"), at("2. Adler"));
        } else {
            // Sorted by title, with performers instead of keys.
            EXPECT_LT(at("Adler"), at("Zebra"));
            EXPECT_EQ(at("G (+2)"), std::ptrdiff_t(texts.size()));
        }
    }
}

// The songbook window's rows carry each entry's transposition and note: shown as the key they
// give, changed, saved into the list and read back as they were.
TEST(SetListBook, rowsKeepTheirEntriesOptionsThroughSaveAndOpen) {
    versino::testing::guiApp();
    TempDir dir;
    writeAll(dir.str("zebra.vsn"), "[Titel]\r\nZebra\r\n[Text]\r\n<F>weit\r\n");
    writeAll(dir.str("adler.vsn"), "[Titel]\r\nAdler\r\n[Text]\r\n<a>hoch\r\n");
    writeAll(dir.str("abend.vsl"), "zebra.vsn\n#Transponieren: +2\n#Notiz: leise\nadler.vsn\n");
    versino::testing::ScriptedDialogs dialogs;
    SongbookCommands commands(dialogs, {[] {}});
    ASSERT_TRUE(commands.openList(dir.path("abend.vsl")));
    ASSERT_EQ(commands.rows().size(), 2u);
    EXPECT_EQ(commands.rows()[0].key, "G (+2)");
    EXPECT_EQ(commands.rows()[0].note, "leise");
    EXPECT_EQ(commands.rows()[1].key, "a");
    commands.setEntry(1, 30, " Capo 3!\n");
    EXPECT_EQ(commands.rows()[1].key, "gis (+11)");
    EXPECT_EQ(commands.rows()[1].note, "Capo 3!");
    EXPECT_TRUE(commands.isModified());
    ASSERT_TRUE(commands.SpeichernClick());
    EXPECT_EQ(versino::testing::readAll(dir.str("abend.vsl")),
              "zebra.vsn\n#Transponieren: +2\n#Notiz: leise\nadler.vsn\n#Transponieren: +11\n#Notiz: Capo 3!\n");
    SongbookCommands again(dialogs, {[] {}});
    ASSERT_TRUE(again.openList(dir.path("abend.vsl")));
    const std::vector<songlist::Entry> entries = again.entries(1);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].transpose, 11);
    EXPECT_EQ(entries[0].note, "Capo 3!");
}

} // namespace
