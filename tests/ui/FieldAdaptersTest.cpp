// The widget-backed fields behave exactly like the in-memory ones: same text, same line view, one
// change notification per change, and only Windows-1252 characters ever get in.
#include "UiTestSupport.h"

#include "document/Field.h"
#include "ui/FieldAdapters.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <gtest/gtest.h>
#include <random>

using namespace versino;
using versino::testing::uiApp;

namespace {

struct Counted {
    int changes = 0;
    void attach(Field& f) {
        f.setChangeHandler([this] { ++changes; });
    }
};

class PlainTextFieldTest : public ::testing::Test {
protected:
    PlainTextFieldTest() {
        uiApp();
        edit = new QPlainTextEdit;
        field = new ui::PlainTextField(edit);
        counter.attach(*field);
    }
    ~PlainTextFieldTest() override { delete edit; }

    QPlainTextEdit* edit;
    ui::PlainTextField* field;
    Counted counter;
};

TEST_F(PlainTextFieldTest, mapsCrLfToWidgetLinesAndBack) {
    field->setText("a\r\nb\r\n");
    EXPECT_EQ(edit->toPlainText(), QStringLiteral("a\nb\n"));
    EXPECT_EQ(field->text(), "a\r\nb\r\n");
    EXPECT_EQ(field->lineList(), (std::vector<std::string>{"a", "b"}));
}

TEST_F(PlainTextFieldTest, keepsEveryByteOfTheCodePage) {
    std::string all;
    for (int b = 1; b < 256; ++b)
        if (b != '\r' && b != '\n')
            all.push_back(static_cast<char>(b));
    field->setText(all + "\r\n" + all);
    EXPECT_EQ(field->text(), all + "\r\n" + all);
    // The non-breaking space (0xA0) must not turn into a blank on the way out.
    EXPECT_EQ(field->lineList().at(0).find('\xA0') != std::string::npos, true);
}

TEST_F(PlainTextFieldTest, firesOncePerChangeAndNotForTheSameText) {
    field->setText("x\r\ny");
    EXPECT_EQ(counter.changes, 1);
    field->setText("x\r\ny");
    EXPECT_EQ(counter.changes, 1);
    field->insertLine(1, "mid");
    EXPECT_EQ(counter.changes, 2);
    field->setText("");
    EXPECT_EQ(counter.changes, 3);
    field->setText("");
    EXPECT_EQ(counter.changes, 3);
}

TEST_F(PlainTextFieldTest, typedCharacterOutsideTheCodePageBecomesQuestionMark) {
    edit->setFocus();
    versino::testing::typeText(edit, QStringLiteral("a\u2192\u20ACb"));
    EXPECT_EQ(field->text(), "a?\x80"
                             "b");
    EXPECT_EQ(counter.changes, 4);
}

TEST_F(PlainTextFieldTest, editTextIsOneChangeTheWidgetsOwnUndoTakesBackKeepingEarlierTyping) {
    // Random texts that share beginnings and ends in many ways, over lines and code page characters.
    const std::string pieces[] = {"<Am>", "\r\n", "Zeile", " ", "\xE4\xF6", "<G7>", "x", "\r\n\r\n"};
    std::mt19937 rng(15);
    const auto randomText = [&] {
        std::string t;
        for (int n = int(rng() % 12); n > 0; --n)
            t += pieces[rng() % std::size(pieces)];
        return t;
    };
    edit->setFocus();
    for (int round = 0; round < 200; ++round) {
        const std::string start = randomText(), next = randomText();
        field->setText(start);
        QTest::keyClick(edit, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(edit, QStringLiteral("q")); // no random text holds a "q"
        const std::string typed = field->text();
        counter.changes = 0;
        field->editText(next);
        ASSERT_EQ(field->text(), next) << round;
        EXPECT_EQ(counter.changes, 1);
        edit->undo();
        EXPECT_EQ(field->text(), typed) << "one step takes the whole edit back";
        edit->undo();
        EXPECT_EQ(field->text(), start) << "the typing before it is still there to take back";
    }
}

TEST_F(PlainTextFieldTest, pastedTextIsCleanedAsItEnters) {
    edit->insertPlainText(QStringLiteral("x\U0001F600y\nz\u2028w"));
    // The emoji is one character and one "?"; a line separator becomes a real line break.
    EXPECT_EQ(field->text(), "x?y\r\nz\r\nw");
    EXPECT_EQ(field->lineList().size(), 3u);
}

TEST_F(PlainTextFieldTest, pastedControlCharactersNeverEnter) {
    // Byte 26 would cut the line when the song is read again; tab is ordinary text.
    edit->insertPlainText(QStringLiteral("a\u001Ab\tc\u0000\nd\u007F\u0007e"));
    EXPECT_EQ(field->text(), "ab\tc\r\nde");
}

TEST_F(PlainTextFieldTest, enterStartsANewLine) {
    edit->setFocus();
    QTest::keyClicks(edit, QStringLiteral("ab"));
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClicks(edit, QStringLiteral("c"));
    QTest::keyClick(edit, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClicks(edit, QStringLiteral("d"));
    EXPECT_EQ(field->text(), "ab\r\nc\r\nd");
}

// Inserting a line goes before line i, clamps below 0 and past the end, and always starts a line
// of its own; the lines read back are those of the document text.
struct Insertion {
    const char* start;
    int index;
    const char* expected;
};

class InsertLine : public PlainTextFieldTest, public ::testing::WithParamInterface<Insertion> {};

TEST_P(InsertLine, givesTheTextAndItsLines) {
    const Insertion p = GetParam();
    field->setText(p.start);
    field->insertLine(p.index, "S");
    EXPECT_EQ(field->text(), p.expected);
    EXPECT_EQ(field->lineList(), lines::split(p.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Table, InsertLine,
    ::testing::Values(Insertion{"", 0, "S\r\n"}, Insertion{"a", 0, "S\r\na"}, Insertion{"a", 1, "a\r\nS\r\n"},
                      Insertion{"a", 5, "a\r\nS\r\n"}, Insertion{"a\r\n", 1, "a\r\nS\r\n"},
                      Insertion{"a\r\nb", 1, "a\r\nS\r\nb"}, Insertion{"a\r\nb", -3, "S\r\na\r\nb"},
                      Insertion{"a\r\n\r\nb", 2, "a\r\n\r\nS\r\nb"},
                      Insertion{"a\r\nb\r\n", 7, "a\r\nb\r\nS\r\n"}));

TEST(LineEditField, replacesCharactersOutsideTheCodePageAndFiresOnce) {
    uiApp();
    QLineEdit edit;
    ui::LineEditField field(&edit);
    int changes = 0;
    field.setChangeHandler([&] { ++changes; });
    edit.setFocus();
    versino::testing::typeText(&edit, QStringLiteral("G\u00F6\u2192"));
    EXPECT_EQ(field.text(), "G\xF6?");
    EXPECT_EQ(changes, 3);
    edit.insert(QStringLiteral("\U0001F3B8"));
    EXPECT_EQ(field.text(), "G\xF6??");
    EXPECT_EQ(changes, 4);
}

TEST(LineEditField, pastedLineBreaksBecomeBlanksAndControlsAreDropped) {
    uiApp();
    QLineEdit edit;
    ui::LineEditField field(&edit);
    edit.setFocus();
    edit.insert(QStringLiteral("Am\r\nEnde\nx\u001A\ty\u2029z\u007F"));
    EXPECT_EQ(field.text(), "Am Ende x\ty z");
    // The cursor stays behind what was inserted.
    EXPECT_EQ(edit.cursorPosition(), edit.text().size());
}

TEST(LineEditField, programChangesNotifyOnlyWhenTheTextDiffers) {
    uiApp();
    QLineEdit edit;
    ui::LineEditField field(&edit);
    int changes = 0;
    field.setChangeHandler([&] { ++changes; });
    field.setText("Capo 3 \x80");
    EXPECT_EQ(edit.text(), QStringLiteral("Capo 3 \u20AC"));
    EXPECT_EQ(changes, 1);
    field.setText("Capo 3 \x80");
    EXPECT_EQ(changes, 1);
    field.setText("");
    EXPECT_EQ(changes, 2);
}

TEST(LineEditField, takesLinesLongerThanTheToolkitDefaultLimit) {
    uiApp();
    QLineEdit edit;
    ui::LineEditField field(&edit);
    const std::string longLine(100000, 'x');
    field.setText(longLine);
    EXPECT_EQ(field.text().size(), longLine.size());
}

} // namespace
