#include "document/Field.h"
#include "document/SongDocument.h"

#include <gtest/gtest.h>

using namespace versino;

namespace {

struct LineCase {
    std::string text;
    int count;
    std::vector<std::string> lines;
};

class LineView : public ::testing::TestWithParam<LineCase> {};

void PrintTo(const LineCase& c, std::ostream* os) { *os << ::testing::PrintToString(c.text); }

} // namespace

TEST_P(LineView, countsAndSplitsLines) {
    const LineCase& c = GetParam();
    EXPECT_EQ(lines::count(c.text), c.count);
    EXPECT_EQ(lines::split(c.text), c.lines);
    for (int i = 0; i < c.count; ++i)
        EXPECT_EQ(lines::at(c.text, i), c.lines[i]) << "line " << i;
    EXPECT_EQ(lines::at(c.text, c.count), "");
    EXPECT_EQ(lines::at(c.text, -1), "");
}

INSTANTIATE_TEST_SUITE_P(Texts, LineView,
                         ::testing::Values(LineCase{"", 0, {}}, LineCase{"a", 1, {"a"}},
                                           LineCase{"a\r\n", 1, {"a"}}, LineCase{"\r\n", 1, {""}},
                                           LineCase{"a\r\n\r\n", 2, {"a", ""}},
                                           LineCase{"a\r\nb", 2, {"a", "b"}},
                                           LineCase{"\r\n\r\n\r\n", 3, {"", "", ""}},
                                           // A lone CR or LF is no line break.
                                           LineCase{"a\rb\nc", 1, {"a\rb\nc"}}));

TEST(LineEdit, addAppendsAfterAFinalBreakOrStartsANewLine) {
    std::string t;
    lines::add(t, "a");
    lines::add(t, "b");
    EXPECT_EQ(t, "a\r\nb\r\n");
    EXPECT_EQ(lines::count(t), 2);

    std::string open = "a";
    lines::add(open, "b");
    EXPECT_EQ(open, "a\r\nb");

    std::string empties;
    lines::add(empties, "");
    lines::add(empties, "");
    EXPECT_EQ(empties, "\r\n\r\n");
    EXPECT_EQ(lines::count(empties), 2);
}

TEST(LineEdit, insertGoesBeforeTheLineAndClampsPastTheEnd) {
    std::string t = "a\r\nb";
    lines::insertBefore(t, 0, "X");
    EXPECT_EQ(t, "X\r\na\r\nb");
    lines::insertBefore(t, 2, "Y"); // before the last line, which has no break
    EXPECT_EQ(t, "X\r\na\r\nY\r\nb");

    std::string empty;
    lines::insertBefore(empty, 0, ">>Bridge");
    EXPECT_EQ(empty, ">>Bridge\r\n");

    std::string ended = "a\r\n";
    lines::insertBefore(ended, 1, "Z"); // the caret's empty line after the final break
    EXPECT_EQ(ended, "a\r\nZ\r\n");

    std::string open = "a";
    lines::insertBefore(open, 7, "Z");
    EXPECT_EQ(open, "a\r\nZ\r\n");
}

TEST(LineEdit, deleteTakesTheBreakAlongAndIgnoresBadIndexes) {
    std::string t = "a\r\nb\r\nc";
    lines::remove(t, 1);
    EXPECT_EQ(t, "a\r\nc");
    lines::remove(t, 1); // a last line without a break loses only its characters
    EXPECT_EQ(t, "a\r\n");
    lines::remove(t, 5);
    lines::remove(t, -1);
    EXPECT_EQ(t, "a\r\n");
    lines::remove(t, 0);
    EXPECT_EQ(t, "");
}

TEST(MemoryFieldTest, notifiesOncePerChangeAndNotForTheSameText) {
    MemoryField f;
    int changes = 0;
    f.setChangeHandler([&] { ++changes; });
    f.setText("x");
    f.setText("x");
    EXPECT_EQ(changes, 1);
    f.addLine("y");
    f.insertLine(0, "z");
    f.deleteLine(0);
    EXPECT_EQ(changes, 4);
    f.deleteLine(9); // nothing to delete, nothing changed
    f.clear();
    f.clear();
    EXPECT_EQ(changes, 5);
}

TEST(SongDocumentTest, startsUntitledWithDefaultFontsAndNoChanges) {
    SongDocument doc;
    EXPECT_TRUE(doc.isUntitled());
    EXPECT_FALSE(doc.Modified);
    EXPECT_EQ(doc.TitelFont, (FontSetting{"Bauhaus Md BT", FontStyle::Bold, 0, 24}));
    EXPECT_EQ(doc.InterpretFont, (FontSetting{"Bauhaus Lt BT", 0, 0, 18}));
    EXPECT_EQ(doc.TextFont, (FontSetting{"Arial", 0, 0, 12}));
    EXPECT_EQ(doc.AkkordFont, (FontSetting{"Arial", 0, 255, 10}));
    EXPECT_EQ(captionFor(doc.DocumentName), "Versino 2.11 - [unbenannt]");
}

TEST(SongDocumentTest, anyFieldChangeSetsModified) {
    for (FieldId id : kAllFields) {
        SongDocument doc;
        doc.field(id).setText("");
        EXPECT_FALSE(doc.Modified);
        doc.field(id).setText("x");
        EXPECT_TRUE(doc.Modified) << static_cast<int>(id);
    }
}

TEST(SongDocumentTest, resetLeavesCapoAtZeroAndNamesAreCaseSensitive) {
    SongDocument doc;
    for (FieldId id : kAllFields)
        doc.field(id).setText("old");
    doc.ResetTexts();
    for (FieldId id : kAllFields)
        EXPECT_EQ(doc.field(id).text(), id == FieldId::Kapo ? "0" : "") << static_cast<int>(id);

    doc.DocumentName = "Unbenannt";
    EXPECT_FALSE(doc.isUntitled());
    doc.DocumentName = "unbenannt.vsn";
    EXPECT_FALSE(doc.isUntitled());
}
