// Fit to one page against the real page measures: the largest sizes that fit, never below 6 points.
#include "commands/FitToPage.h"
#include "platform/PageMetrics.h"
#include "print/PageCheck.h"
#include "print/SongPages.h"
#include "support/GuiApp.h"

#include <QGuiApplication>
#include <gtest/gtest.h>

using namespace versino;

namespace {

class FitToPage : public ::testing::Test {
protected:
    FitToPage() {
        versino::testing::guiApp();
        metrics = std::make_unique<PageMetrics>();
        doc.InstallDefaultFonts();
    }

    void lyrics(int lines, int width) {
        std::string text;
        for (int i = 1; i <= lines; ++i)
            text += "<Am>Zeile " + std::string(std::size_t(width), 'x') + "<G7>" + std::to_string(i) + "\r\n";
        doc.TextEdit().setText(text);
    }

    bool offPage(int text, int chord) {
        const FontSetting keepText = doc.TextFont, keepChord = doc.AkkordFont;
        doc.TextFont.size = text;
        doc.AkkordFont.size = chord;
        const bool off = runsOffPage(CheckPage(doc, metrics->surface()));
        doc.TextFont = keepText;
        doc.AkkordFont = keepChord;
        return off;
    }

    SongDocument doc;
    std::unique_ptr<PageMetrics> metrics;
};

TEST_F(FitToPage, findsTheLargestFittingSizesKeepingTheirDifference) {
    // Too long, too wide, and both: each is fitted to the largest size that leaves nothing off the page.
    for (const auto& [lines, width] : {std::pair{45, 10}, std::pair{10, 100}, std::pair{40, 80}}) {
        lyrics(lines, width);
        doc.TextFont.size = 16;
        doc.AkkordFont.size = 12;
        doc.TitelFont.size = 30;
        doc.Modified = false;
        const FitOutcome fit = fitToOnePage(doc, metrics->surface());
        ASSERT_EQ(fit.result, FitResult::Fitted) << lines << "x" << width;
        const int text = doc.TextFont.size;
        EXPECT_EQ(fit.message, QStringLiteral("Text 16 \u2192 %1 Punkt, Akkorde 12 \u2192 %2 Punkt").arg(text).arg(text - 4));
        EXPECT_EQ(text - doc.AkkordFont.size, 4);
        EXPECT_FALSE(offPage(text, text - 4));
        EXPECT_TRUE(offPage(text + 1, text - 3)) << "one point more would not fit";
        EXPECT_EQ(doc.TitelFont.size, 30);
        EXPECT_TRUE(doc.Modified);
    }
}

TEST_F(FitToPage, neverGoesBelowSixPointsAndChangesNothingWhenEvenThatFails) {
    lyrics(400, 5);
    doc.TextFont.size = 12;
    doc.AkkordFont.size = 10;
    doc.Modified = false;
    EXPECT_EQ(fitToOnePage(doc, metrics->surface()).result, FitResult::CannotFit);
    EXPECT_EQ(doc.TextFont.size, 12);
    EXPECT_EQ(doc.AkkordFont.size, 10);
    EXPECT_FALSE(doc.Modified);
}

TEST_F(FitToPage, namesTheLineWhenOnlyATooWideLineKeepsTheSongFromFitting) {
    const std::string wide(700, 'w');
    std::string tooLong;
    for (int i = 0; i < 400; ++i)
        tooLong += "<Am>Zeile\r\n";
    const struct {
        std::string title, lyrics;
        const char* says;
    } cases[] = {
        {"", tooLong, kCannotFitMessage},
        {"", "Eins\r\n" + wide + "\r\nDrei\r\n",
         "Der Song passt nicht auf eine Seite, weil eine Zeile zu breit ist: Songtext, Zeile 2 \u201Ewwwwwwwww"},
        {"", "Eins\r\n<C>" + wide + "\r\n" + wide + "\r\n" + wide + "\r\n", "Auch 2 weitere Zeilen sind zu breit."},
        {wide, "Eins\r\n", "zu breit ist: Titel \u201Ewww"},
        {"", tooLong + wide, kCannotFitMessage},
    };
    for (const auto& c : cases) {
        doc.TitelEdit().setText(c.title);
        doc.TextEdit().setText(c.lyrics);
        doc.TextFont.size = 12;
        doc.AkkordFont.size = 10;
        const FitOutcome fit = fitToOnePage(doc, metrics->surface());
        EXPECT_EQ(fit.result, FitResult::CannotFit);
        EXPECT_TRUE(fit.message.contains(QString::fromUtf8(c.says))) << fit.message.toStdString();
    }
}

// Fitting hands back the page its trials composed: it must be the page the fitted song composes
// to, for a song fitted in one column, one given a second column, and one that asked for two pages.
TEST_F(FitToPage, theFittedPagesAreTheFittedSongsOwnComposition) {
    const auto same = [](const std::vector<ComposedPage>& a, const std::vector<ComposedPage>& b) {
        const auto cells = [](const ComposedPage& p) {
            std::vector<std::tuple<int, int, int, int, FontSetting, std::string>> out;
            for (const PlacedText& t : p.texts)
                out.emplace_back(t.x, t.y, t.width, t.height, t.font, t.text);
            return out;
        };
        return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](auto& x, auto& y) {
                   return cells(x) == cells(y) && x.diagrams.size() == y.diagrams.size();
               });
    };
    // Two verses of `lines` lines each, a blank line between them where a second column can start.
    for (const auto& [lines, width, twoPages, diagrams] :
         {std::tuple{23, 10, false, ""}, std::tuple{26, 4, false, ""}, std::tuple{26, 4, true, "gitarre"},
          std::tuple{5, 100, true, ""}}) {
        lyrics(lines, width);
        doc.TextEdit().setText(doc.TextEdit().text() + "\r\n" + doc.TextEdit().text());
        doc.TextFont.size = 16;
        doc.AkkordFont.size = 12;
        SongOptions options = doc.options();
        options.pages = twoPages ? 2 : 1;
        options.diagrams = diagrams;
        doc.setOptions(options);
        std::vector<ComposedPage> pages = composeSong(doc, metrics->surface());
        ASSERT_EQ(fitComposedSong(doc, metrics->surface(), pages).result, FitResult::Fitted) << lines << diagrams;
        EXPECT_EQ(pages.size(), 1u) << lines;
        EXPECT_TRUE(same(pages, composeSong(doc, metrics->surface()))) << lines << "x" << width << " " << twoPages;
    }
}

} // namespace
