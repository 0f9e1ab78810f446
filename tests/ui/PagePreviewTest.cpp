// The page preview, the PDF export and fit-to-one-page from the main window.
#include "FormFixture.h"

#include "commands/FitToPage.h"
#include "formats/LayoutFile.h"
#include "platform/QtPrinter.h"
#include "print/ComposedPage.h"
#include "print/PagePainting.h"
#include "ui/PagePreview.h"
#include "ui/PreviewPlacement.h"

#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScreen>
#include <QTemporaryDir>

using namespace versino;
using namespace versino::testing;

namespace {

class Preview : public FormFixture {
protected:
    ui::PagePreview* open() {
        action("Seitenvorschau")->trigger();
        return form->findChild<ui::PagePreview*>();
    }

    // What `widget` shows in `rect`, pixel for pixel. A glyph's first drawing at a size differs by a
    // shade at its edges from the later ones out of the glyph cache, so it is drawn once before.
    static QImage shownIn(QWidget* widget, const QRect& rect) {
        widget->grab(rect);
        return widget->grab(rect).toImage().convertToFormat(QImage::Format_RGB32);
    }
    // The sheet as the preview shows it, with the ground around it.
    static QImage sheetOf(ui::PagePreview* p) {
        QWidget* sheet = p->findChild<QScrollArea*>()->widget();
        return shownIn(sheet, sheet->rect());
    }
    // The sheet that a preview of the same size, with the same note, shows for `song`.
    static QImage sheetFor(const SongDocument& song, ui::PagePreview* like) {
        ui::PagePreview reference;
        reference.setNote(like->findChild<QLabel*>(QStringLiteral("Hinweis"))->text());
        reference.resize(like->size());
        reference.showSong(song);
        reference.show();
        QApplication::processEvents(); // the first showing fits the page into the window
        return sheetOf(&reference);
    }
    // `lines` lyric lines with a chord each, ending in "\n".
    static QString lyricLines(int lines) {
        QString text;
        for (int i = 1; i <= lines; ++i)
            text += QStringLiteral("<Am>Zeile %1\n").arg(i);
        return text;
    }
    static SongDocument& withLyrics(SongDocument& song, int lines) {
        song.TextEdit().setText(lyricLines(lines).replace(QLatin1Char('\n'), QLatin1String("\r\n")).toStdString());
        return song;
    }

    // The finding rows below the page, as the user reads them.
    static QListWidget* findingsOf(ui::PagePreview* p) { return p->findChild<QListWidget*>(QStringLiteral("Befunde")); }
    // The first row that says lyric lines do not fit, and the lyric line it names.
    static std::pair<int, int> belowPageRow(ui::PagePreview* p) {
        const QListWidget* list = findingsOf(p);
        const QRegularExpression row(QStringLiteral("^Songtext, Zeile (\\d+): Zeilen? .* auf die Seite\\.$"));
        for (int i = 0; list && i < list->count(); ++i)
            if (const QRegularExpressionMatch m = row.match(list->item(i)->text()); m.hasMatch())
                return {i, m.captured(1).toInt()};
        return {-1, 0};
    }
    // The sheet's width on the screen: it follows the zoom.
    static int sheetWidth(ui::PagePreview* p) { return p->findChild<QScrollArea*>()->widget()->width(); }

    void lyrics(int lines) { textEdit()->setPlainText(lyricLines(lines)); }
};

TEST_F(Preview, opensOnceAsAWindowCaptionedWithTheSongAndFollowsItsName) {
    ui::PagePreview* p = open();
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(p->isWindow());
    EXPECT_TRUE(p->isVisible());
    EXPECT_EQ(p->windowTitle(), QStringLiteral("Seitenvorschau - [unbenannt]"));
    EXPECT_EQ(open(), p) << "choosing it again raises the open one";
    QTemporaryDir dir;
    dialogs.saveAnswers = {dir.filePath("Lied.vsn")};
    action("SpeichernAls")->trigger();
    EXPECT_EQ(p->windowTitle(), QStringLiteral("Seitenvorschau - [Lied.vsn]"));
}

TEST_F(Preview, redrawsAfterAShortPauseOnTypingAndOnAFontChange) {
    ui::PagePreview* p = open();
    showActive();
    SongDocument song;
    song.InstallDefaultFonts();
    const QImage empty = sheetFor(song, p);
    textEdit()->setFocus();
    QTest::keyClicks(textEdit(), QStringLiteral("Hallo"));
    EXPECT_TRUE(sheetOf(p) == empty) << "nothing is composed while the user types";
    QTest::qWait(ui::PagePreview::kPauseMs + 60);
    song.TextEdit().setText("Hallo");
    EXPECT_TRUE(sheetOf(p) == sheetFor(song, p));

    song.TextFont.size = 20;
    chooseFont("TextFont", song.TextFont);
    QTest::qWait(ui::PagePreview::kPauseMs + 60);
    EXPECT_TRUE(sheetOf(p) == sheetFor(song, p)) << "a font change without a field change still redraws";
}

TEST_F(Preview, listsWhatDoesNotFitAndAFindingLeadsToItsLine) {
    lyrics(120);
    ui::PagePreview* p = open();
    auto* list = findingsOf(p);
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(list->isVisible());
    const auto [below, line] = belowPageRow(p);
    ASSERT_GE(below, 0);
    EXPECT_GT(line, 20);
    emit list->itemActivated(list->item(below));
    EXPECT_EQ(textEdit()->textCursor().blockNumber(), line - 1);
}

TEST_F(Preview, aFindingHandsTheKeyboardToTheMainWindowAtThatLine) {
    lyrics(120);
    showActive();
    ui::PagePreview* p = open();
    auto* list = findingsOf(p);
    const auto [below, line] = belowPageRow(p);
    ASSERT_GE(below, 0);
    for (const bool byKey : {false, true}) {
        QTest::qWait(ui::PagePreview::kHandOverMs);
        p->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(p));
        form->showMinimized();
        textEdit()->setTextCursor(QTextCursor(textEdit()->document()));
        list->setFocus();
        list->setCurrentRow(below);
        if (byKey)
            QTest::keyClick(list, Qt::Key_Return);
        else
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(below)).center());
        EXPECT_FALSE(form->isMinimized()) << byKey;
        // Not qWaitForWindowActive: a window counts as active there while a window of its own is.
        EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == form.get(); })) << byKey;
        EXPECT_EQ(QApplication::focusWidget(), textEdit()) << byKey;
        EXPECT_EQ(textEdit()->textCursor().blockNumber(), line - 1) << byKey;
    }
    // A window manager that finishes activating the clicked preview only now: the keyboard goes back.
    p->activateWindow();
    QTest::qWait(100);
    EXPECT_EQ(QApplication::activeWindow(), form.get());

    // A finding of a single-line field leads to that field.
    lineEdit("GraphikEdit")->setText(QStringLiteral("fehlt.bmp"));
    p->refresh();
    list->setCurrentRow(list->count() - 1);
    ASSERT_TRUE(list->currentItem()->text().startsWith(QStringLiteral("Grafik: "))) << list->currentItem()->text().toStdString();
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), lineEdit("GraphikEdit"));
}

TEST_F(Preview, opensWhereItLeavesTheBeginningsOfTheLyricLinesInView) {
    showActive();
    const QRect screen = form->screen()->availableGeometry();
    // Where the screen is too narrow for both windows side by side, the preview opens readable
    // and so may hide some line beginnings (the placement's own table shows which).
    const bool room = screen.width() >= form->frameGeometry().width() + ui::kPreviewGap + ui::kMinPreviewWidth;
    const auto lyricStarts = [&] {
        const QRect lyrics(textEdit()->mapToGlobal(QPoint(0, 0)), textEdit()->size());
        return QRect(lyrics.topLeft(), QSize(lyrics.width() / 2, lyrics.height()));
    };
    ui::PagePreview* p = open();
    QRect starts = lyricStarts();
    EXPECT_TRUE(!room || !p->frameGeometry().intersects(starts)) << "opened at " << p->x() << "," << p->y();
    EXPECT_GE(p->frameGeometry().width(), std::min(ui::kMinPreviewWidth, screen.width()));
    EXPECT_TRUE(screen.contains(p->frameGeometry()));
    for (const bool coversStarts : {true, false}) {
        p->close();
        const QPoint moved = coversStarts ? starts.topLeft() : QPoint(starts.right() + 20, screen.top());
        p->move(moved);
        open();
        starts = lyricStarts();
        EXPECT_TRUE(!room || !p->frameGeometry().intersects(starts));
        if (!coversStarts) {
            EXPECT_EQ(p->pos(), moved) << "a place the user chose that hides nothing is kept";
        }
    }
}

TEST_F(Preview, escapeClosesItAndTheWholePageStaysInViewWhenItIsResized) {
    lyrics(10);
    ui::PagePreview* p = open();
    ASSERT_TRUE(QTest::qWaitForWindowActive(p));
    // A low screen opens the page at its width; the whole page is one button away.
    p->showWholePage();
    auto* scroll = p->findChild<QScrollArea*>();
    for (const QSize size : {QSize(420, 560), QSize(900, 1100), QSize(380, 900)}) {
        p->resize(size);
        QApplication::processEvents();
        const QSize room = scroll->viewport()->size(), page = scroll->widget()->size();
        EXPECT_TRUE(page.width() <= room.width() && page.height() <= room.height()) << size.width();
        EXPECT_TRUE(page.width() >= room.width() - 3 || page.height() >= room.height() - 3) << "as large as it fits";
    }
    QTest::keyClick(p, Qt::Key_Escape);
    EXPECT_FALSE(p->isVisible());
}

TEST_F(Preview, drawsExactlyWhatThePdfPageGets) {
    SongDocument song;
    song.InstallDefaultFonts();
    song.TitelEdit().setText("Abendlied");
    song.InterpretEdit().setText("Trad.");
    song.RefrainEdit().setText("<C>Schlaf, <G7>mein <C\xB0maj7>Kind\r\n");
    song.TextEdit().setText("<Am>Der Mond ist <D7>auf<G>ge<C>gangen\r\n>>Refrain\r\n>>neue Spalte\r\n"
                            "Refrain\r\n<E>die <Am>goldnen <E7>Sternlein\r\n");
    song.NachspielEdit().setText("Ende");
    song.AkkordFont.style = FontStyle::Bold;
    QTemporaryDir dir;
    WriteLayoutFile(song, dir.filePath("abendlied.vsn"));
    form->openAtStart({dir.filePath("abendlied.vsn")});
    chooseFont("AkkordFont", song.AkkordFont); // the file keeps no style
    ui::PagePreview* p = open();

    PdfBookPrinter pdf(dir.filePath("page.pdf"));
    const ComposedPage onPdf = composePage(song, pdf.beginDocument());
    pdf.endDocument();
    ASSERT_NO_THROW(pdf.finish());
    ASSERT_GT(onPdf.texts.size(), 10u);
    // Zoomed in as far as it goes, the sheet shows one pixel for each of the page's device units.
    QWidget* sheet = p->findChild<QScrollArea*>()->widget();
    for (int width = 0; width != sheet->width();) {
        width = sheet->width();
        QTest::keyClick(p, Qt::Key_Plus, Qt::ControlModifier);
    }
    const int margin = (sheet->width() - onPdf.width) / 2;
    ASSERT_TRUE(margin > 0 && margin < 100) << sheet->width();
    // The page as the PDF composed it, drawn strip by strip.
    for (int top = 0; top < onPdf.height; top += 1024) {
        const QRect strip(0, top, onPdf.width, std::min(1024, onPdf.height - top));
        const QImage shown = shownIn(sheet, strip.translated(margin, margin));
        QImage drawn(strip.size(), QImage::Format_RGB32);
        QPainter painter(&drawn);
        painter.translate(-strip.topLeft());
        paintPage(painter, onPdf);
        painter.end();
        EXPECT_TRUE(shown == drawn) << "same cells, same places, same fonts, from " << top;
    }
}

TEST_F(Preview, zoomsToTheWholePageAndToThePageWidth) {
    ui::PagePreview* p = open();
    p->resize(500, 700);
    p->showWholePage();
    const int whole = sheetWidth(p);
    p->showPageWidth();
    EXPECT_GT(sheetWidth(p), whole) << "a portrait page is narrower than it is high";
    const int width = sheetWidth(p);
    QTest::keyClick(p, Qt::Key_Plus, Qt::ControlModifier);
    EXPECT_GT(sheetWidth(p), width);
    QTest::keyClick(p, Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_NEAR(sheetWidth(p), width, 1);
}

TEST_F(Preview, exportWritesThePrintedPageAndLeavesNameAndModifiedAlone) {
    QTemporaryDir dir;
    dialogs.saveAnswers = {std::nullopt};
    action("ExportPdf")->trigger();
    EXPECT_EQ(dialogs.messages, std::vector<QString>{QStringLiteral("Ihr Song hat noch keinen Text!")});
    EXPECT_TRUE(dialogs.saveRequests.empty()) << "no dialog without lyrics";

    setText("TitelEdit", QStringLiteral("Abendlied"));
    lyrics(3);
    dialogs.saveAnswers = {dir.filePath("Abendlied.pdf")};
    action("ExportPdf")->trigger();
    ASSERT_EQ(dialogs.saveRequests.size(), 1u);
    EXPECT_EQ(dialogs.saveRequests[0].initialName, QStringLiteral("Abendlied.pdf"));
    EXPECT_EQ(dialogs.saveRequests[0].defaultExtension, QStringLiteral("pdf"));
    EXPECT_TRUE(dialogs.errors.empty());
    QFile pdf(dir.filePath("Abendlied.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.read(5) == "%PDF-");
    EXPECT_TRUE(untitled());
    EXPECT_TRUE(asksToSave());
}

TEST_F(Preview, fitLowersTextAndChordsTogetherAndSaysWhenThereIsNothingToDo) {
    lyrics(5);
    save();
    action("Einpassen")->trigger();
    EXPECT_EQ(dialogs.messages, std::vector<QString>{QString::fromUtf8(kAlreadyFitsMessage)});
    EXPECT_FALSE(asksToSave());

    lyrics(40);
    SongDocument song;
    song.InstallDefaultFonts();
    song.TextFont.size = 14;
    song.AkkordFont.size = 11;
    chooseFont("TextFont", song.TextFont);
    chooseFont("AkkordFont", song.AkkordFont);
    ui::PagePreview* p = open();
    action("Einpassen")->trigger();
    song.TextFont = fontOf("TextFont");
    song.AkkordFont = fontOf("AkkordFont");
    EXPECT_LT(song.TextFont.size, 14);
    EXPECT_GE(song.TextFont.size, kMinFitTextPoints);
    EXPECT_EQ(song.TextFont.size - song.AkkordFont.size, 3);
    EXPECT_TRUE(asksToSave());
    QTest::qWait(ui::PagePreview::kPauseMs + 60);
    EXPECT_TRUE(sheetOf(p) == sheetFor(withLyrics(song, 40), p)) << "the preview follows";
    EXPECT_EQ(dialogs.messages.size(), 1u) << "a fit that worked says nothing";
}

} // namespace
