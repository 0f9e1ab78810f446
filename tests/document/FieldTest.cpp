#include "document/Field.h"
#include "document/SongDocument.h"

#include <gtest/gtest.h>

using namespace versino;

namespace {

struct LineCase {
    std::string text;
    std::vector<std::string> lines;
};

class LineView : public ::testing::TestWithParam<LineCase> {};

void PrintTo(const LineCase& c, std::ostream* os) { *os << ::testing::PrintToString(c.text); }

} // namespace

// Splitting and adding agree: a text built line by line splits into those lines again, and the
// memory field and the free function split alike.
TEST_P(LineView, splitsIntoTheLinesThatBuildIt) {
    const LineCase& c = GetParam();
    EXPECT_EQ(lines::split(c.text), c.lines);
    MemoryField f;
    f.setText(c.text);
    EXPECT_EQ(f.lineList(), c.lines);
    std::string built;
    for (const std::string& l : c.lines)
        lines::add(built, l);
    EXPECT_EQ(lines::split(built), c.lines);
}

INSTANTIATE_TEST_SUITE_P(Texts, LineView,
                         ::testing::Values(LineCase{"", {}}, LineCase{"a", {"a"}}, LineCase{"a\r\n", {"a"}},
                                           LineCase{"\r\n", {""}}, LineCase{"a\r\n\r\n", {"a", ""}},
                                           LineCase{"a\r\nb", {"a", "b"}},
                                           LineCase{"\r\n\r\n\r\n", {"", "", ""}},
                                           // A lone CR or LF is no line break.
                                           LineCase{"a\rb\nc", {"a\rb\nc"}}));

TEST(LineEdit, addAppendsAfterAFinalBreakOrStartsANewLine) {
    std::string t;
    lines::add(t, "a");
    lines::add(t, "b");
    EXPECT_EQ(t, "a\r\nb\r\n");

    std::string open = "a";
    lines::add(open, "b");
    EXPECT_EQ(open, "a\r\nb");

    std::string empties;
    lines::add(empties, "");
    lines::add(empties, "");
    EXPECT_EQ(empties, "\r\n\r\n");
}

TEST(MemoryFieldTest, notifiesOncePerChangeAndNotForTheSameText) {
    MemoryField f;
    int changes = 0;
    f.setChangeHandler([&] { ++changes; });
    f.setText("x");
    f.setText("x");
    EXPECT_EQ(changes, 1);
    f.takeText("y");
    f.takeText("y");
    EXPECT_EQ(changes, 2);
}

TEST(SongDocumentTest, startsUntitledWithDefaultFontsAndNoChanges) {
    SongDocument doc;
    EXPECT_TRUE(doc.isUntitled());
    EXPECT_FALSE(doc.Modified);
    EXPECT_EQ(doc.TitelFont, (FontSetting{"Bauhaus Md BT", FontStyle::Bold, 0, 24}));
    EXPECT_EQ(doc.InterpretFont, (FontSetting{"Bauhaus Lt BT", 0, 0, 18}));
    EXPECT_EQ(doc.TextFont, (FontSetting{"Arial", 0, 0, 12}));
    EXPECT_EQ(doc.AkkordFont, (FontSetting{"Arial", 0, 255, 10}));
    EXPECT_EQ(doc.DocumentName, "unbenannt");
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

// Untitled means belonging to no file; the shown name has no say, so a file may be called
// "unbenannt" and a song without a file shows whatever name it was given.
TEST(SongDocumentTest, untitledFollowsThePathNotTheShownName) {
    SongDocument doc;
    doc.DocumentName = "lied.vsn";
    EXPECT_TRUE(doc.isUntitled());
    EXPECT_EQ(doc.folder(), "");
    doc.path = "/lieder/unbenannt";
    doc.DocumentName = "unbenannt";
    EXPECT_FALSE(doc.isUntitled());
    EXPECT_EQ(doc.folder(), "/lieder");
}
