// The page check: what the paper cannot hold, found on the recording surface's measures (a lyric
// byte 12 wide, rows 48 high, chord rows 40; the page 4800 x 6800 unless a test narrows it).

#include "print/PageCheck.h"
#include "print/BmpFiles.h"
#include "support/FakeSurface.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace versino;
using versino::testing::FakeSurface;

namespace {

class PageCheck : public ::testing::Test {
protected:
    SongDocument doc;
    FakeSurface metrics;

    PageCheck() {
        doc.TitelFont = {"Titel", FontStyle::Bold, 0, 24};
        doc.InterpretFont = {"Interpret", 0, 0, 18};
        doc.TextFont = {"Text", 0, 0, 12};
        doc.AkkordFont = {"Akkord", 0, 255, 10};
    }
    std::vector<PageFinding> check() { return CheckPage(doc, metrics); }
    static std::string lines(int from, int to, const std::string& text) {
        std::string s;
        for (int i = from; i <= to; ++i)
            s += text + std::to_string(i) + "\r\n";
        return s;
    }
};

std::string show(const std::vector<PageFinding>& f) {
    std::string s;
    for (const PageFinding& x : f)
        s += std::to_string(int(x.field)) + ":" + std::to_string(x.line) + ": " + x.text.toStdString() + "\n";
    return s;
}

TEST_F(PageCheck, songThatFitsHasNoFindingsAndNothingIsDrawn) {
    doc.TitelEdit().setText("Titel");
    doc.InterpretEdit().setText("Wer");
    doc.RefrainEdit().setText("<G>la la\r\n");
    doc.TextEdit().setText("<Am>eins <D°7>zwei\r\n>>Refrain\r\n>>neue Spalte\r\ndrei");
    doc.NachspielEdit().setText("Ende");
    const std::vector<PageFinding> f = check();
    EXPECT_TRUE(f.empty()) << show(f);
    EXPECT_FALSE(runsOffPage(f));
    EXPECT_TRUE(metrics.cells.empty());
}

// The body starts at 250: row n of plain lines stands at 250 + 48 n. On a page 1000 high rows
// 1 to 14 fit (row 14 ends at 970), row 15 would end at 1018.
TEST_F(PageCheck, linesBelowThePageAreNamedAsOneRange) {
    metrics.height = 1000;
    doc.TextEdit().setText(lines(1, 40, "z") + "\r\n\r\n");
    const std::vector<PageFinding> f = check();
    ASSERT_EQ(f.size(), 1u) << show(f);
    EXPECT_EQ(f[0].kind, PageFindingKind::BelowPage);
    EXPECT_EQ(f[0].field, FieldId::Text);
    EXPECT_EQ(f[0].line, 15);
    EXPECT_EQ(f[0].text, QString::fromUtf8("Zeilen 15\u201340 passen nicht mehr auf die Seite."));
    EXPECT_TRUE(runsOffPage(f));
}

TEST_F(PageCheck, aNewColumnBringsLinesBackOntoThePage) {
    metrics.height = 1000;
    doc.TextEdit().setText(lines(1, 15, "z") + ">>neue Spalte\r\n" + lines(17, 30, "z") + "z31\r\n");
    doc.NachspielEdit().setText("Ende");
    const std::vector<PageFinding> f = check();
    ASSERT_EQ(f.size(), 3u) << show(f);
    EXPECT_EQ(f[0].text, QString::fromUtf8("Zeile 15 passt nicht mehr auf die Seite."));
    EXPECT_EQ(f[1].text, QString::fromUtf8("Zeile 31 passt nicht mehr auf die Seite."));
    EXPECT_EQ(f[2].field, FieldId::Nachspiel);
    EXPECT_EQ(f[2].kind, PageFindingKind::BelowPage);
}

// A chorus called below the page counts as its directive's line; its own lines cut at the right
// edge are named once in the chorus, however often it is called.
TEST_F(PageCheck, textPastTheRightEdgeIsNamedInItsField) {
    metrics.width = 1000;
    doc.TitelEdit().setText(std::string(100, 'T'));
    doc.RefrainEdit().setText("kurz\r\n" + std::string(80, 'r') + "\r\n");
    doc.TextEdit().setText("kurz\r\nkurz <G>" + std::string(70, 'x') + "<Am>\r\n>>Refrain\r\n>>Refrain");
    const std::vector<PageFinding> f = check();
    ASSERT_EQ(f.size(), 3u) << show(f);
    EXPECT_EQ(f[0].field, FieldId::Titel);
    EXPECT_EQ(f[1].field, FieldId::Text);
    EXPECT_EQ(f[1].line, 2);
    EXPECT_EQ(f[2].field, FieldId::Refrain);
    EXPECT_EQ(f[2].line, 2);
    for (const PageFinding& x : f)
        EXPECT_EQ(x.kind, PageFindingKind::PastRightEdge);
    EXPECT_TRUE(runsOffPage(f));
}

TEST_F(PageCheck, chordAloneRightOfThePageIsNamed) {
    metrics.width = 1000;
    doc.TextEdit().setText(std::string(66, 'x') + "<Am>");
    const std::vector<PageFinding> f = check();
    ASSERT_EQ(f.size(), 1u) << show(f);
    EXPECT_EQ(f[0].kind, PageFindingKind::PastRightEdge);
}

TEST_F(PageCheck, emptyBlocksAndOpenChordsAreNamedWithTheirLines) {
    doc.RefrainEdit().setText("<G offen\r\n");
    doc.TextEdit().setText(">>Refrain\r\n>>Bridge\r\n<D>gut\r\nab<C°7\r\n>>Refrain2");
    const std::vector<PageFinding> f = check();
    ASSERT_EQ(f.size(), 4u) << show(f);
    EXPECT_EQ(f[0].kind, PageFindingKind::EmptyBlock);
    EXPECT_EQ(f[0].line, 2);
    EXPECT_EQ(f[1].kind, PageFindingKind::OpenChord);
    EXPECT_EQ(f[1].line, 4);
    EXPECT_EQ(f[2].kind, PageFindingKind::EmptyBlock);
    EXPECT_EQ(f[2].line, 5);
    EXPECT_EQ(f[3].kind, PageFindingKind::OpenChord);
    EXPECT_EQ(f[3].field, FieldId::Refrain);
    EXPECT_EQ(f[3].line, 1);
    EXPECT_FALSE(runsOffPage(f));
}

TEST_F(PageCheck, pictureLeftOutOrUnreadableIsNamed) {
    QTemporaryDir dir;
    doc.TextEdit().setText("x");
    const auto only = [this](PageFindingKind kind) {
        const std::vector<PageFinding> f = check();
        EXPECT_EQ(f.size(), 1u) << show(f);
        EXPECT_TRUE(!f.empty() && f[0].kind == kind && f[0].field == FieldId::Graphik) << show(f);
        return f.empty() ? QString() : f[0].text;
    };
    doc.GraphikEdit().setText(dir.filePath("fehlt.bmp").toStdString());
    EXPECT_TRUE(only(PageFindingKind::PictureUnreadable).contains("File not found"));

    const QString jpeg = dir.filePath("bild.bmp");
    versino::testing::writeBytes(jpeg, "\xFF\xD8\xFF\xE0 not a bitmap");
    doc.GraphikEdit().setText(jpeg.toStdString());
    only(PageFindingKind::PictureUnreadable);

    const QString bmp = dir.filePath("echt.bmp");
    versino::testing::writeBytes(bmp, versino::testing::bmpBytes(30, 20));
    doc.GraphikEdit().setText(bmp.toStdString());
    EXPECT_TRUE(check().empty());
    metrics.height = 398; // the text ends at 346 and y at 398: no room is left

    only(PageFindingKind::PictureNoRoom);
}

// Lines below a full page are counted, not measured: a song of 100,000 lines costs what a page
// costs.
TEST_F(PageCheck, linesBelowAFullPageAreNotMeasured) {
    std::string lyrics;
    for (int i = 0; i < 100000; ++i)
        lyrics += "<G>eine Zeile <D°7>mit Akkorden\r\n";
    doc.TextEdit().setText(lyrics);
    const std::vector<PageFinding> f = check();
    ASSERT_EQ(f.size(), 1u) << show(f);
    EXPECT_EQ(f[0].text.right(30), QString::fromUtf8("100000 passen nicht mehr auf die Seite.").right(30));
    const auto measures = std::count_if(metrics.calls.begin(), metrics.calls.end(), [](const std::string& c) {
        return c.rfind("width", 0) == 0 || c.rfind("height", 0) == 0;
    });
    EXPECT_LT(measures, 2000);
}

} // namespace

// Diagrams: a chord Versino cannot read is named where it first stands and gets none; where the
// band runs out of page, the diagrams left out are named, and the song counts as not fitting, so
// that fitting it to the page makes room for the band.
TEST_F(PageCheck, diagramsWithoutRoomOrWithoutAReadableChordAreNamed) {
    SongOptions options;
    options.diagrams = "gitarre";
    doc.setOptions(options);
    doc.RefrainEdit().setText("<Hallo>la <G>la\r\n");
    doc.TextEdit().setText("<Am>eins <D7>zwei\r\n>>Refrain\r\n<C>drei");
    std::vector<PageFinding> f = check();
    ASSERT_EQ(f.size(), 1u) << show(f);
    EXPECT_EQ(f[0].kind, PageFindingKind::NoDiagram);
    EXPECT_EQ(f[0].field, FieldId::Refrain);
    EXPECT_EQ(f[0].line, 1);
    EXPECT_NE(f[0].text.indexOf(QStringLiteral("\u201EHallo\u201C")), -1);
    EXPECT_FALSE(runsOffPage(f));

    // The lyrics end at 658 and the band starts two rows lower, at 706: a row of guitar diagrams
    // (name 40, gap 12, figure 438) ends at 1196.
    for (const auto& [height, leftOut] : {std::pair{1196, 0}, std::pair{1195, 4}}) {
        metrics.height = height;
        f = check();
        int named = 0;
        for (const PageFinding& x : f)
            named += x.kind == PageFindingKind::DiagramNoRoom;
        EXPECT_EQ(named, leftOut) << height << "\n" << show(f);
        EXPECT_EQ(runsOffPage(f), leftOut > 0) << height;
    }
}
