// Fitting that puts one ">>neue Spalte" where it makes both columns the shortest, and the places of
// the songs of a book when some take two pages.
#include "commands/BookPlan.h"
#include "commands/FitToPage.h"
#include "document/Notation.h"
#include "platform/PageMetrics.h"
#include "print/PageCheck.h"
#include "support/GuiApp.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <random>
#include <sstream>

using namespace versino;

namespace {

std::vector<std::string> wordsOf(const std::string& lyrics) {
    std::vector<std::string> words;
    for (const std::string& line : lines::split(lyrics)) {
        if (notation::directiveOf(line) != notation::Directive::None)
            continue;
        std::istringstream in(line);
        for (std::string w; in >> w;)
            words.push_back(w);
    }
    std::sort(words.begin(), words.end());
    return words;
}

// The largest text size at which the song fits in one column, found by trying every size.
int largestWithoutColumn(const SongDocument& doc, PageMeasures& metrics, int from, int difference) {
    SongDocument copy;
    copy.copySongFrom(doc);
    for (int size = from; size >= kMinFitTextPoints; --size) {
        copy.TextFont.size = size;
        copy.AkkordFont.size = size - difference;
        if (!runsOffPage(CheckPage(copy, metrics)))
            return size;
    }
    return -1;
}

TEST(FitColumn, neverEndsSmallerThanOneColumnAndKeepsEveryWord) {
    versino::testing::guiApp();
    PageMetrics metrics;
    std::mt19937 rng(41);
    const auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    int withColumn = 0;
    for (int round = 0; round < 40; ++round) {
        SongDocument doc;
        doc.InstallDefaultFonts();
        std::string lyrics;
        const int lines = 30 + pick(110);
        for (int i = 0; i < lines; ++i) {
            lyrics += pick(5) == 0 ? "\r\n" : pick(12) == 0 ? ">>Refrain\r\n" : "<Am>Vers " + std::to_string(i) + " und <G>" + std::string(std::size_t(pick(30)), 'x') + "\r\n";
        }
        if (pick(6) == 0)
            lyrics.insert(0, ">>neue Spalte\r\n");
        doc.TextEdit().setText(lyrics);
        doc.RefrainEdit().setText("<C>Chorus\r\n");
        doc.TextFont.size = 12 + pick(8);
        doc.AkkordFont.size = doc.TextFont.size - 2;
        const int from = doc.TextFont.size;
        const int oneColumn = largestWithoutColumn(doc, metrics.surface(), from, 2);
        const FitOutcome fit = fitToOnePage(doc, metrics.surface());
        const std::string after = doc.TextEdit().text();
        EXPECT_EQ(wordsOf(after), wordsOf(lyrics)) << round;
        if (fit.columnAt > 0) {
            ++withColumn;
            EXPECT_EQ(after, withColumnBreak(lyrics, std::size_t(fit.columnAt - 1))) << round;
            EXPECT_EQ(lyrics.find(">>neue Spalte"), std::string::npos) << "a song with a column keeps its own";
            EXPECT_TRUE(fit.message.startsWith(QStringLiteral("Zweite Spalte ab Zeile %1").arg(fit.columnAt)));
        } else {
            EXPECT_EQ(after, lyrics) << round;
        }
        if (fit.result == FitResult::Fitted) {
            EXPECT_GE(doc.TextFont.size, oneColumn) << round;
            EXPECT_FALSE(runsOffPage(CheckPage(doc, metrics.surface()))) << round;
        } else if (fit.result == FitResult::AlreadyFits) {
            EXPECT_EQ(oneColumn, from);
        } else {
            EXPECT_EQ(oneColumn, -1);
        }
    }
    EXPECT_GT(withColumn, 5) << "the property was tried on songs that took the column";
}

TEST(FitColumn, aColumnAtTheCurrentSizesKeepsThemAndSaysWhere) {
    versino::testing::guiApp();
    PageMetrics metrics;
    SongDocument doc;
    doc.InstallDefaultFonts();
    std::string lyrics;
    for (int verse = 0; verse < 18; ++verse)
        lyrics += "Eins\r\nZwei\r\nDrei\r\nVier\r\n\r\n";
    doc.TextEdit().setText(lyrics);
    const int text = doc.TextFont.size;
    const FitOutcome fit = fitToOnePage(doc, metrics.surface());
    ASSERT_EQ(fit.result, FitResult::Fitted);
    EXPECT_EQ(doc.TextFont.size, text);
    // 18 verses of five rows: the column starts after the ninth verse's blank line.
    EXPECT_EQ(fit.columnAt, 46);
    EXPECT_EQ(fit.message, QStringLiteral("Zweite Spalte ab Zeile 46"));
    EXPECT_EQ(doc.TextEdit().lineList().at(45), ">>neue Spalte");
}

TEST(BookPlan, twoPageSongsFacePagesAndEverySongHasItsOwn) {
    std::mt19937 rng(8);
    for (int round = 0; round < 300; ++round) {
        std::vector<int> counts(std::size_t(1 + rng() % 12));
        for (int& c : counts)
            c = rng() % 3 == 0 ? 2 : 1;
        const int first = 1 + int(rng() % 4);
        int blanks[2] = {0, 0};
        for (const bool keepOrder : {true, false}) {
            const BookPlan plan = planSongPages(counts, first, keepOrder);
            std::vector<int> owner(std::size_t(plan.pages), -2);
            int page = first;
            for (const int song : plan.sequence) {
                const int n = song < 0 ? 1 : counts[std::size_t(song)];
                if (song >= 0) {
                    EXPECT_EQ(plan.firstPage[std::size_t(song)], page);
                    if (n == 2) {
                        EXPECT_EQ(page % 2, 0) << "a song of two pages starts on a left-hand page";
                    }
                } else {
                    ++blanks[keepOrder ? 0 : 1];
                }
                for (int k = 0; k < n; ++k)
                    owner[std::size_t(page - first + k)] = song;
                page += n;
            }
            EXPECT_EQ(page - first, plan.pages);
            std::vector<int> songs;
            for (const int s : plan.sequence)
                if (s >= 0)
                    songs.push_back(s);
            std::vector<int> sorted = songs;
            std::sort(sorted.begin(), sorted.end());
            ASSERT_EQ(int(sorted.size()), int(counts.size()));
            for (std::size_t i = 0; i < sorted.size(); ++i)
                EXPECT_EQ(sorted[i], int(i)) << "each song once";
            if (keepOrder) {
                EXPECT_TRUE(std::is_sorted(songs.begin(), songs.end()));
            }
            EXPECT_EQ(std::count(owner.begin(), owner.end(), -2), 0);
        }
        EXPECT_LE(blanks[1], blanks[0]) << "moving songs forward never leaves more pages blank";
    }
}

} // namespace
