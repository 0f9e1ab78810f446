// Directive buttons, font commands with the fitting of the title and performer fonts, the picture button.
#include "FormFixture.h"

#include "ui/FontFitting.h"

#include "formats/LayoutFile.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QTextBlock>

using namespace versino;
using versino::testing::FormFixture;

namespace {

class Directives : public FormFixture {
protected:
    // Puts the caret of the lyric field at line `line`, column `column` (counted from 0).
    void caretAt(int line, int column) {
        QTextCursor c(textEdit()->document()->findBlockByNumber(line));
        c.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, column);
        textEdit()->setTextCursor(c);
    }
    int caretLine() { return textEdit()->textCursor().blockNumber(); }
    int caretColumn() { return textEdit()->textCursor().positionInBlock(); }
};

TEST_F(Directives, onTheFirstLineTheDirectiveBecomesTheFirstLine) {
    setText("TextEdit", QStringLiteral("a\nb\n"));
    save();
    caretAt(0, 1);
    click("RBtn");
    EXPECT_EQ(text("TextEdit"), QStringLiteral(">>Refrain\na\nb\n"));
    EXPECT_EQ(caretLine(), 1);
    EXPECT_EQ(caretColumn(), 0);
    EXPECT_TRUE(asksToSave());
}

TEST_F(Directives, intoAnEmptyFieldLeavesTheCaretOnTheLineAfter) {
    click("BBtn");
    EXPECT_EQ(text("TextEdit"), QStringLiteral(">>Bridge\n"));
    EXPECT_EQ(caretLine(), 1);
    EXPECT_EQ(textEdit()->textCursor().position(), 9);
}

TEST_F(Directives, onALastLineWithoutBreakGoesBeforeIt) {
    setText("TextEdit", QStringLiteral("a\nb"));
    caretAt(1, 1);
    click("RefBtn");
    EXPECT_EQ(text("TextEdit"), QStringLiteral("a\nRefrain\nb"));
    EXPECT_EQ(caretLine(), 2);
    EXPECT_EQ(caretColumn(), 0);
}

TEST_F(Directives, selectionOverLinesThreeToFiveUsesItsEndAndIsDropped) {
    setText("TextEdit", QStringLiteral("1\n2\n3\n4\n5xy\n6"));
    QTextCursor c(textEdit()->document()->findBlockByNumber(2));
    QTextCursor end(textEdit()->document()->findBlockByNumber(4));
    end.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, 2);
    c.setPosition(end.position(), QTextCursor::KeepAnchor);
    textEdit()->setTextCursor(c);
    click("R2Btn");
    EXPECT_EQ(text("TextEdit"), QStringLiteral("1\n2\n3\n4\n>>Refrain2\n5xy\n6"));
    EXPECT_FALSE(textEdit()->textCursor().hasSelection());
    EXPECT_EQ(caretLine(), 5);
    EXPECT_EQ(caretColumn(), 0);
}

TEST_F(Directives, workOnTheLyricsWhereverTheFocusIs) {
    showActive();
    setText("TextEdit", QStringLiteral("eins\nzwei\ndrei"));
    caretAt(1, 3);
    lineEdit("TitelEdit")->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), lineEdit("TitelEdit"));
    click("SpaltenBtn");
    EXPECT_EQ(text("TextEdit"), QStringLiteral("eins\n>>neue Spalte\nzwei\ndrei"));
    EXPECT_EQ(text("TitelEdit"), QString());
    EXPECT_EQ(QApplication::focusWidget(), textEdit());
    EXPECT_EQ(caretLine(), 2);
}

TEST_F(Directives, canFollowEachOther) {
    click("RBtn");
    click("RBtn");
    EXPECT_EQ(text("TextEdit"), QStringLiteral(">>Refrain\n>>Refrain\n"));
}

class Fonts : public FormFixture {
protected:
    QFont titelFont() { return lineEdit("TitelEdit")->font(); }
    QFont interpretFont() { return lineEdit("InterpretEdit")->font(); }
};

TEST_F(Fonts, fittingAtNinetySixDpi) {
    const int dpi = 96;
    EXPECT_EQ(ui::fittedPointSize(24, 25, dpi), 16);
    EXPECT_EQ(ui::fittedPointSize(18, 25, dpi), 16);
    EXPECT_EQ(ui::fittedPointSize(17, 25, dpi), 16);
    EXPECT_EQ(ui::fittedPointSize(16, 25, dpi), 16);
    EXPECT_EQ(ui::fittedPointSize(12, 25, dpi), 12);
    EXPECT_EQ(ui::fittedPointSize(1, 25, dpi), 1);
    EXPECT_EQ(ui::fittedPointSize(1000000, 25, dpi), 16);
    EXPECT_EQ(ui::pointsToPixels(16, dpi), 21);
    EXPECT_EQ(ui::pointsToPixels(17, dpi), 23);
}

TEST_F(Fonts, fittingEndsForSizesOfZeroAndBelowAndOddScreens) {
    EXPECT_EQ(ui::fittedPointSize(0, 25, 96), 1);
    EXPECT_EQ(ui::fittedPointSize(-12, 25, 96), 1);
    EXPECT_EQ(ui::fittedPointSize(std::numeric_limits<int>::min(), 25, 96), 1);
    // A field too small for any font, and resolutions where the size read back from a height
    // rounds up again: the loop must still end.
    EXPECT_EQ(ui::fittedPointSize(24, 3, 96), 1);
    for (int dpi : {1, 30, 50, 71, 72, 120, 144, 600})
        EXPECT_GE(ui::fittedPointSize(48, 25, dpi), 1) << dpi;
    EXPECT_EQ(ui::fittedPointSize(24, 25, 144), 10);
}

// The defaults (24 and 18 points) shrink until the whole line of the font fits inside the frame,
// which takes at most the 16 points that the nominal character height would allow.
TEST_F(Fonts, titleAndPerformerShowTheDefaultsShrunkToFitTheirFields) {
    ASSERT_EQ(lineEdit("TitelEdit")->logicalDpiY(), 96);
    EXPECT_LE(titelFont().pointSize(), 16);
    EXPECT_GE(titelFont().pointSize(), 10);
    EXPECT_TRUE(titelFont().bold());
    EXPECT_EQ(titelFont().family(), QStringLiteral("Bauhaus Md BT"));
    EXPECT_LE(interpretFont().pointSize(), 16);
    EXPECT_GE(interpretFont().pointSize(), 10);
    EXPECT_FALSE(interpretFont().bold());
    EXPECT_EQ(fontOf("TitelFont").size, 24);
    EXPECT_EQ(lineEdit("TitelEdit")->height(), 25);
}

TEST_F(Fonts, confirmedTitleFontIsStoredAndShownWithoutItsColour) {
    const QColor textColour = lineEdit("TitelEdit")->palette().color(QPalette::Text);
    const FontSetting red{"Liberation Serif", FontStyle::Italic | FontStyle::Underline, 255, 12};
    dialogs.fontAnswers.push_back(red);
    click("Font1Btn");
    ASSERT_EQ(dialogs.fontRequests.size(), 1u);
    EXPECT_EQ(dialogs.fontRequests[0], defaultTitelFont());
    EXPECT_EQ(fontOf("TitelFont"), red);
    EXPECT_TRUE(asksToSave());
    EXPECT_EQ(titelFont().pointSize(), 12);
    EXPECT_TRUE(titelFont().italic());
    EXPECT_TRUE(titelFont().underline());
    EXPECT_FALSE(titelFont().bold());
    EXPECT_EQ(lineEdit("TitelEdit")->palette().color(QPalette::Text), textColour);
    EXPECT_EQ(lineEdit("TitelEdit")->height(), 25);
}

TEST_F(Fonts, okWithoutAnyChangeStillSetsModified) {
    dialogs.fontAnswers.push_back(defaultInterpretFont());
    action("InterpretFont")->trigger();
    EXPECT_TRUE(asksToSave());
    EXPECT_EQ(fontOf("InterpretFont"), defaultInterpretFont());
}

TEST_F(Fonts, cancelChangesNothing) {
    for (const char* button : {"Font1Btn", "Font2Btn", "Font3Btn", "Font4Btn"}) {
        dialogs.fontAnswers.push_back(std::nullopt);
        click(button);
    }
    EXPECT_EQ(dialogs.fontRequests.size(), 4u);
    EXPECT_FALSE(asksToSave());
    EXPECT_EQ(fontOf("TitelFont"), defaultTitelFont());
    EXPECT_EQ(fontOf("InterpretFont"), defaultInterpretFont());
    EXPECT_EQ(fontOf("TextFont"), defaultTextFont());
    EXPECT_EQ(fontOf("AkkordFont"), defaultAkkordFont());
}

TEST_F(Fonts, textAndChordFontsChangeNothingOnTheScreen) {
    const QFont before1 = titelFont(), before2 = interpretFont();
    const FontSetting big{"Liberation Mono", FontStyle::Bold, 0x00FF00, 30};
    dialogs.fontAnswers.push_back(big);
    dialogs.fontAnswers.push_back(big);
    click("Font3Btn");
    action("AkkordFont")->trigger();
    EXPECT_EQ(dialogs.fontRequests[1], defaultAkkordFont());
    EXPECT_EQ(fontOf("TextFont"), big);
    EXPECT_EQ(fontOf("AkkordFont"), big);
    EXPECT_EQ(titelFont(), before1);
    EXPECT_EQ(interpretFont(), before2);
    EXPECT_EQ(textEdit()->font(), form->font());
}

TEST_F(Fonts, menuItemsAndButtonsEditTheSameSetting) {
    dialogs.fontAnswers.push_back(FontSetting{"Arial", 0, 0, 9});
    action("TitelFont")->trigger();
    dialogs.fontAnswers.push_back(std::nullopt);
    click("Font1Btn");
    ASSERT_EQ(dialogs.fontRequests.size(), 2u);
    EXPECT_EQ(dialogs.fontRequests[1], (FontSetting{"Arial", 0, 0, 9}));
}

TEST_F(Fonts, sizesOfZeroOrLessFromAFileStillShowSomething) {
    QTemporaryDir dir;
    SongDocument song;
    song.InstallDefaultFonts();
    song.TitelFont.size = 0;
    song.InterpretFont.size = -30;
    WriteLayoutFile(song, dir.filePath("klein.vsn"));
    form->openAtStart({dir.filePath("klein.vsn")});
    EXPECT_EQ(titelFont().pointSize(), 1);
    EXPECT_EQ(interpretFont().pointSize(), 1);
    EXPECT_EQ(fontOf("InterpretFont").size, -30);
}

using Picture = FormFixture;

TEST_F(Picture, chosenFileFillsThePathAndSetsModified) {
    dialogs.openAnswers.push_back(QStringLiteral("/home/user/Bilder/gitarre.bmp"));
    click("GraphikBtn");
    ASSERT_EQ(dialogs.openRequests.size(), 1u);
    EXPECT_EQ(dialogs.openRequests[0].defaultExtension, QStringLiteral("bmp"));
    EXPECT_EQ(dialogs.openRequests[0].filter, QStringLiteral("Bilder|*.bmp;*.jpg;*.gif"));
    EXPECT_FALSE(dialogs.openRequests[0].initialName.has_value());
    EXPECT_EQ(text("GraphikEdit"), QStringLiteral("/home/user/Bilder/gitarre.bmp"));
    EXPECT_TRUE(asksToSave());

    // The Open command sets its own filter on the shared dialog.
    save();
    dialogs.openAnswers.push_back(std::nullopt);
    form->OeffnenClick();
    EXPECT_TRUE(dialogs.openRequests[1].filter.startsWith(QStringLiteral("Text Layouts (*.vsn)|*.vsn|")));
}

TEST_F(Picture, cancelledDialogChangesNothing) {
    setText("GraphikEdit", QStringLiteral("alt.bmp"));
    save();
    dialogs.openAnswers.push_back(std::nullopt);
    click("GraphikBtn");
    EXPECT_EQ(text("GraphikEdit"), QStringLiteral("alt.bmp"));
    EXPECT_FALSE(asksToSave());
}

} // namespace

// A chord sheet pasted into a lyric field arrives converted, as one undo step of that field.
TEST_F(Directives, pastedChordSheetIsConvertedAsOneUndoStepOtherTextStaysAsItIs) {
    setText("TextEdit", QStringLiteral("Anfang\nXEnde\n"));
    QTextCursor c(textEdit()->document()->findBlockByNumber(1));
    c.movePosition(QTextCursor::Right, QTextCursor::KeepAnchor); // "X" is replaced
    textEdit()->setTextCursor(c);
    QGuiApplication::clipboard()->setText(QStringLiteral("  Am\r\nWenn der Abend\r\n"));
    textEdit()->paste();
    EXPECT_EQ(text("TextEdit"), QStringLiteral("Anfang\nWe<Am>nn der Abend\nEnde\n"));
    EXPECT_TRUE(dialogs.messages.empty());
    textEdit()->undo();
    EXPECT_EQ(text("TextEdit"), QStringLiteral("Anfang\nXEnde\n"));

    for (const QString& plain : {QStringLiteral("Am G\n\nText"), QStringLiteral("Nur <Text>\n")}) {
        setText("TextEdit", QString());
        QGuiApplication::clipboard()->setText(plain);
        textEdit()->paste();
        EXPECT_EQ(text("TextEdit"), plain);
    }

    QPlainTextEdit* chorus = child<QPlainTextEdit>("RefrainEdit");
    QGuiApplication::clipboard()->setText(QStringLiteral("C\nLa \u0142a < la\ne|---3---|\n"));
    chorus->paste();
    EXPECT_EQ(text("RefrainEdit"), QStringLiteral("<C>La la \u2039 la\n"));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].contains(QStringLiteral("1 \u00D7 Tabulaturzeile"))) << dialogs.messages[0].toStdString();
}
