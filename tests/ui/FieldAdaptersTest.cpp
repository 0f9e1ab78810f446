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
    EXPECT_EQ(field->lineCount(), 2);
    EXPECT_EQ(field->line(1), "b");
}

TEST_F(PlainTextFieldTest, keepsEveryByteOfTheCodePage) {
    std::string all;
    for (int b = 1; b < 256; ++b)
        if (b != '\r' && b != '\n')
            all.push_back(static_cast<char>(b));
    field->setText(all + "\r\n" + all);
    EXPECT_EQ(field->text(), all + "\r\n" + all);
    // The non-breaking space (0xA0) must not turn into a blank on the way out.
    EXPECT_EQ(field->line(0).find('\xA0') != std::string::npos, true);
}

TEST_F(PlainTextFieldTest, firesOncePerChangeAndNotForTheSameText) {
    field->setText("x\r\ny");
    EXPECT_EQ(counter.changes, 1);
    field->setText("x\r\ny");
    EXPECT_EQ(counter.changes, 1);
    field->insertLine(1, "mid");
    EXPECT_EQ(counter.changes, 2);
    field->addLine("end");
    EXPECT_EQ(counter.changes, 3);
    field->deleteLine(0);
    EXPECT_EQ(counter.changes, 4);
    field->deleteLine(99); // no such line: nothing changes
    EXPECT_EQ(counter.changes, 4);
    field->clear();
    EXPECT_EQ(counter.changes, 5);
    field->clear();
    EXPECT_EQ(counter.changes, 5);
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
    EXPECT_EQ(field->lineCount(), 3);
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

// Every line operation on the widget gives the same text as on an in-memory field.
struct LineOp {
    const char* start;
    char op; // a: add, i: insert, d: delete
    int index;
};

class LineOpsMatchMemoryField : public PlainTextFieldTest, public ::testing::WithParamInterface<LineOp> {};

TEST_P(LineOpsMatchMemoryField, sameTextAndCount) {
    const LineOp p = GetParam();
    MemoryField memory;
    memory.setText(p.start);
    field->setText(p.start);
    switch (p.op) {
    case 'a':
        memory.addLine("S");
        field->addLine("S");
        break;
    case 'i':
        memory.insertLine(p.index, "S");
        field->insertLine(p.index, "S");
        break;
    case 'd':
        memory.deleteLine(p.index);
        field->deleteLine(p.index);
        break;
    }
    EXPECT_EQ(field->text(), memory.text());
    EXPECT_EQ(field->lineCount(), memory.lineCount());
    EXPECT_EQ(field->lineList(), memory.lineList());
}

INSTANTIATE_TEST_SUITE_P(
    Table, LineOpsMatchMemoryField,
    ::testing::Values(LineOp{"", 'a', 0}, LineOp{"a", 'a', 0}, LineOp{"a\r\n", 'a', 0},
                      LineOp{"a\r\n\r\n", 'a', 0}, LineOp{"", 'i', 0}, LineOp{"a", 'i', 0},
                      LineOp{"a", 'i', 1}, LineOp{"a", 'i', 5}, LineOp{"a\r\n", 'i', 1},
                      LineOp{"a\r\nb", 'i', 1}, LineOp{"a\r\nb", 'i', -3}, LineOp{"a\r\n\r\nb", 'i', 2},
                      LineOp{"a\r\nb\r\n", 'i', 7}, LineOp{"a", 'd', 0}, LineOp{"a\r\n", 'd', 0},
                      LineOp{"a\r\nb", 'd', 1}, LineOp{"a\r\nb", 'd', 0}, LineOp{"a\r\n\r\n", 'd', 1},
                      LineOp{"\r\n", 'd', 0}, LineOp{"a\r\nb", 'd', 2}, LineOp{"a\r\nb", 'd', -1}),
    [](const ::testing::TestParamInfo<LineOp>& info) {
        return std::string(1, info.param.op) + std::to_string(info.index);
    });

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
