#include "io/FileError.h"
#include "formats/LayoutFile.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <random>

using namespace versino;
using versino::testing::readAll;
using versino::testing::TempDir;
using versino::testing::writeAll;

namespace {

const std::string kNewDocumentFile = "[Titel]\r\n\r\n[Interpret]\r\n\r\n[Vorspiel]\r\n\r\n[Kapo]\r\n\r\n"
                                     "[Refrain]\r\n\r\n[Bridge]\r\n\r\n[Text]\r\n\r\n[Nachspiel]\r\n\r\n"
                                     "[Graphik]\r\n\r\n[Fonts]\r\nBauhaus Md BT\r\n24\r\n0\r\n"
                                     "Bauhaus Lt BT\r\n18\r\n0\r\nArial\r\n12\r\n0\r\nArial\r\n10\r\n255\r\n";

std::string fieldsOf(const SongDocument& doc) {
    std::string all;
    for (FieldId id : kAllFields)
        all += "<" + doc.field(id).text() + ">";
    return all;
}

void expectSameContent(const SongDocument& a, const SongDocument& b) {
    for (FieldId id : kAllFields)
        EXPECT_EQ(a.field(id).text(), b.field(id).text()) << "field " << static_cast<int>(id);
    EXPECT_EQ(a.TitelFont, b.TitelFont);
    EXPECT_EQ(a.InterpretFont, b.InterpretFont);
    EXPECT_EQ(a.TextFont, b.TextFont);
    EXPECT_EQ(a.AkkordFont, b.AkkordFont);
}

SongDocument& parsed(SongDocument& doc, const std::string& bytes) {
    parseLayout(bytes, doc);
    TrimTrailingEmptyLines(doc);
    return doc;
}

} // namespace

TEST(LayoutWriter, newDocumentIsThe31LineExample) {
    SongDocument doc;
    EXPECT_EQ(formatLayout(doc), kNewDocumentFile);
    int lineEnds = 0;
    for (std::size_t p = kNewDocumentFile.find("\r\n"); p != std::string::npos; p = kNewDocumentFile.find("\r\n", p + 2))
        ++lineEnds;
    EXPECT_EQ(lineEnds, 31);
}

TEST(LayoutWriter, writesMultiLineTextAsHeldPlusOneLineEnd) {
    SongDocument doc;
    doc.TextEdit().setText("a\r\nb");
    doc.RefrainEdit().setText("r\r\n");
    doc.TitelFont.color = -1;
    const std::string out = formatLayout(doc);
    EXPECT_NE(out.find("[Text]\r\na\r\nb\r\n[Nachspiel]"), std::string::npos);
    EXPECT_NE(out.find("[Refrain]\r\nr\r\n\r\n[Bridge]"), std::string::npos);
    EXPECT_NE(out.find("Bauhaus Md BT\r\n24\r\n-1\r\n"), std::string::npos);
}

TEST(LayoutRoundTrip, exampleGivesANewDocumentWithAnEmptyCapo) {
    SongDocument doc;
    doc.TitelFont.name = "changed";
    doc.TitelFont.style = FontStyle::Italic;
    parsed(doc, kNewDocumentFile);
    SongDocument fresh;
    fresh.TitelFont.style = FontStyle::Italic; // styles are not stored: the one in force stays
    expectSameContent(doc, fresh);
    EXPECT_EQ(doc.KapoEdit().text(), "");
}

TEST(LayoutRoundTrip, openTextGainsAFinalBreakThatStaysStable) {
    SongDocument doc;
    doc.TextEdit().setText("a\r\nb");
    SongDocument back;
    parsed(back, formatLayout(doc));
    EXPECT_EQ(back.TextEdit().text(), "a\r\nb\r\n");
    EXPECT_NE(formatLayout(back).find("[Text]\r\na\r\nb\r\n\r\n[Nachspiel]"), std::string::npos);
    SongDocument again;
    parsed(again, formatLayout(back));
    EXPECT_EQ(again.TextEdit().text(), "a\r\nb\r\n");
}

TEST(LayoutTrim, removesAtMostThreeTrailingEmptyLinesPerField) {
    SongDocument doc;
    doc.TextEdit().setText("a\r\n\r\n\r\n\r\n\r\n\r\n"); // "a" and five empty lines
    doc.RefrainEdit().setText("\r\n");
    doc.BridgeEdit().setText("b\r\n\r\n");
    doc.Modified = false;
    TrimTrailingEmptyLines(doc);
    EXPECT_EQ(doc.TextEdit().text(), "a\r\n\r\n\r\n");
    EXPECT_EQ(doc.TextEdit().lineList().size(), 3u);
    EXPECT_EQ(doc.RefrainEdit().text(), "");
    EXPECT_EQ(doc.BridgeEdit().text(), "b\r\n");
    EXPECT_TRUE(doc.Modified);

    SongDocument clean;
    clean.TextEdit().setText("a\r\nb");
    clean.Modified = false;
    TrimTrailingEmptyLines(clean);
    EXPECT_FALSE(clean.Modified) << "nothing to trim is no change";
}

TEST(LayoutReader, emptyFilesGiveEmptyFieldsCapoZeroAndUnchangedFonts) {
    for (const std::string& bytes : {std::string(), std::string("\r\n\r\n\n\n"), std::string("\x1a")}) {
        SongDocument doc;
        doc.TextFont.name = "Kept";
        parsed(doc, bytes);
        EXPECT_EQ(fieldsOf(doc), "<><><><0><><><><><>");
        EXPECT_EQ(doc.TextFont.name, "Kept");
    }
}

TEST(LayoutReader, readsSectionsInAnyOrderAndTheLaterRepeatWins) {
    SongDocument doc;
    parsed(doc, "[Fonts]\r\nT\r\n1\r\n2\r\nI\r\n3\r\n4\r\nX\r\n5\r\n6\r\nA\r\n7\r\n8\r\n"
                "[Text]\r\nl1\r\n[Titel]\r\nfirst\r\n[Kapo]\r\n2\r\n[Titel]\r\nsecond\r\n");
    EXPECT_EQ(doc.TitelEdit().text(), "second");
    EXPECT_EQ(doc.KapoEdit().text(), "2");
    EXPECT_EQ(doc.TextEdit().text(), "l1\r\n");
    EXPECT_EQ(doc.TitelFont, (FontSetting{"T", FontStyle::Bold, 2, 1}));
    EXPECT_EQ(doc.AkkordFont, (FontSetting{"A", 0, 8, 7}));
}

TEST(LayoutReader, missingSectionsKeepTheirResetValues) {
    SongDocument doc;
    parsed(doc, "[Titel]\r\nSong\r\n");
    EXPECT_EQ(fieldsOf(doc), "<Song><><><0><><><><><>");
}

TEST(LayoutReader, lfOnlyFilesReadLikeCrLf) {
    SongDocument crlf;
    SongDocument lf;
    SongDocument src;
    src.TitelEdit().setText("T");
    src.TextEdit().setText("<Am>la\r\n\r\nlu\r\n");
    const std::string bytes = formatLayout(src);
    std::string lfBytes;
    for (char c : bytes)
        if (c != '\r')
            lfBytes.push_back(c);
    expectSameContent(parsed(crlf, bytes), parsed(lf, lfBytes));
    EXPECT_EQ(lf.TextEdit().text(), "<Am>la\r\n\r\nlu\r\n");
}

TEST(LayoutReader, singleLineValueIsTheWholeNextLineEvenATag) {
    SongDocument doc;
    parsed(doc, "[Titel]\r\n[Kapo]\r\n[Interpret]\r\n[Bridge]\r\n");
    EXPECT_EQ(doc.TitelEdit().text(), "[Kapo]");
    EXPECT_EQ(doc.InterpretEdit().text(), "[Bridge]");
    EXPECT_EQ(doc.BridgeEdit().text(), "");
}

TEST(LayoutReader, multiLineSectionEndsOnlyAtAnExactTag) {
    SongDocument doc;
    parsed(doc, "[Text]\r\n[Intro]\r\n<G>la\r\n[Refrain 2]\r\n[text]\r\n [Titel]\r\n[Titel]\r\nT\r\n");
    EXPECT_EQ(doc.TextEdit().text(), "[Intro]\r\n<G>la\r\n[Refrain 2]\r\n[text]\r\n [Titel]\r\n");
    EXPECT_EQ(doc.TitelEdit().text(), "T");
}

TEST(LayoutReader, endOfFileEndsAMultiLineSection) {
    SongDocument doc;
    parsed(doc, "[Refrain]\r\nla\r\n\r\nlu");
    EXPECT_EQ(doc.RefrainEdit().text(), "la\r\n\r\nlu\r\n");
    SongDocument bare;
    parsed(bare, "[Text]");
    EXPECT_EQ(bare.TextEdit().text(), "");
}

TEST(LayoutReader, readsPastUnknownLinesAndAByteOrderMark) {
    SongDocument doc;
    parsed(doc, "\xEF\xBB\xBF[Titel]\r\nnot read\r\n[TITEL]\r\nno\r\n[Titel] \r\ngarbage\r\n[Kapo]\r\n3\r\n");
    EXPECT_EQ(doc.TitelEdit().text(), "");
    EXPECT_EQ(doc.KapoEdit().text(), "3");
}

TEST(LayoutReader, sizeWithAUnitWordReadsAndAWordAloneFails) {
    SongDocument doc;
    parsed(doc, "[Fonts]\r\nF\r\n12 pt\r\n$FF\r\n");
    EXPECT_EQ(doc.TitelFont.size, 12);
    EXPECT_EQ(doc.TitelFont.color, 255);
    SongDocument bad;
    try {
        parseLayout("[Fonts]\r\nF\r\nzwoelf\r\n0\r\n", bad);
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_EQ(e.kind(), FileError::Kind::InvalidNumber);
        EXPECT_STREQ(e.what(), "Invalid numeric input");
    }
}

TEST(LayoutReader, fontsCutShortByTheEndGiveEmptyNamesAndZeros) {
    SongDocument doc;
    parsed(doc, "[Fonts]\r\nOnly\r\n20");
    EXPECT_EQ(doc.TitelFont, (FontSetting{"Only", FontStyle::Bold, 0, 20}));
    EXPECT_EQ(doc.InterpretFont, (FontSetting{"", 0, 0, 0}));
    EXPECT_EQ(doc.AkkordFont, (FontSetting{"", 0, 0, 0}));
}

TEST(LayoutReader, endIsTestedOnlyAtTheTopOfAPass) {
    // "[Kapo]" is the last line: the pass that reads the title goes on to the capo test and reads
    // an empty value there, although the file has ended.
    SongDocument doc;
    parsed(doc, "[Titel]\r\nT\r\n[Kapo]");
    EXPECT_EQ(doc.KapoEdit().text(), "");
    // A section before the last one in the pass order is taken in the next pass, which the end
    // of the file prevents.
    SongDocument late;
    parsed(late, "[Kapo]\r\n5\r\n[Titel]");
    EXPECT_EQ(late.KapoEdit().text(), "5");
    EXPECT_EQ(late.TitelEdit().text(), "");
}

TEST(LayoutReader, titleBeginningWithABracketSurvives) {
    SongDocument doc;
    doc.TitelEdit().setText("[Live]");
    doc.TextEdit().setText("[Intro]\r\n<C>la\r\n");
    SongDocument back;
    parsed(back, formatLayout(doc));
    EXPECT_EQ(back.TitelEdit().text(), "[Live]");
    EXPECT_EQ(back.TextEdit().text(), "[Intro]\r\n<C>la\r\n");
}

namespace {

// A random document whose every field survives the format: no CR or LF inside a line, no Ctrl-Z
// (which ends a line's text), and no multi-line line that is exactly a section tag.
class RandomSong {
public:
    explicit RandomSong(unsigned seed) : rng_(seed) {}

    std::string line() {
        const int kind = pick(10);
        if (kind == 0)
            return "";
        if (kind == 1)
            return "[" + chars(pick(8)); // begins with "[", no tag
        if (kind == 2)
            return chars(20000 + pick(5000)); // long
        return chars(pick(60));
    }

    void fill(SongDocument& doc) {
        for (FieldId id : kAllFields) {
            if (!isMultiLine(id)) {
                doc.field(id).setText(line());
                continue;
            }
            std::string text;
            const int n = pick(8);
            for (int i = 0; i < n; ++i) {
                std::string l = line();
                if (l == "[Text]")
                    l += "x";
                text += l;
                if (i + 1 < n || pick(2))
                    text += "\r\n";
            }
            if (pick(3) == 0)
                text += "\r\n\r\n\r\n\r\n";
            doc.field(id).setText(text);
        }
        for (FontSetting* f : {&doc.TitelFont, &doc.InterpretFont, &doc.TextFont, &doc.AkkordFont}) {
            f->name = line().substr(0, 40);
            f->size = static_cast<std::int32_t>(rng_());
            f->color = static_cast<std::int32_t>(rng_());
        }
    }

private:
    int pick(int n) { return static_cast<int>(rng_() % static_cast<unsigned>(n)); }
    std::string chars(int n) {
        std::string s;
        while (static_cast<int>(s.size()) < n) {
            const char c = static_cast<char>(1 + pick(255));
            if (c != '\r' && c != '\n' && c != 26)
                s.push_back(c);
        }
        return s;
    }

    std::mt19937 rng_;
};

// What a document that WriteLayoutFile has just trimmed looks like after it is opened again: each
// multi-line section comes back with one more line end, which the reader's trimming takes off again
// where it leaves an empty last line.
void expectAfterReading(SongDocument& saved) {
    for (FieldId id : {FieldId::Refrain, FieldId::Bridge, FieldId::Text})
        saved.field(id).setText(saved.field(id).text() + "\r\n");
    TrimTrailingEmptyLines(saved);
}

} // namespace

TEST(LayoutRoundTrip, randomDocumentsComeBackAsSaved) {
    TempDir dir;
    for (unsigned seed = 1; seed <= 60; ++seed) {
        SongDocument doc;
        RandomSong(seed).fill(doc);
        WriteLayoutFile(doc, dir.path("song.vsn"));
        SongDocument back;
        back.TitelFont.style = doc.TitelFont.style;
        ReadLayoutFile(back, dir.path("song.vsn"));
        EXPECT_EQ(readAll(dir.str("song.vsn")), formatLayout(doc)) << "the saved document is the trimmed one";
        expectAfterReading(doc);
        SCOPED_TRACE("seed " + std::to_string(seed));
        expectSameContent(back, doc);
    }
}

TEST(LayoutReaderRobustness, everyPrefixOfAFileReadsWithoutHangOrCrash) {
    SongDocument src;
    RandomSong(7).fill(src);
    src.TextEdit().setText("<Am>la\r\n\r\n>>Refrain\r\n[Intro]\r\n");
    std::string bytes = formatLayout(src);
    bytes.insert(bytes.size() / 2, "\x1a\r\n\r");
    for (std::size_t n = 0; n <= bytes.size(); n += 1 + n / 50) {
        SongDocument doc;
        try {
            parseLayout(std::string_view(bytes).substr(0, n), doc);
        } catch (const FileError& e) {
            EXPECT_TRUE(e.kind() == FileError::Kind::InvalidNumber || e.kind() == FileError::Kind::NotASong);
        }
    }
}

TEST(LayoutReaderRobustness, randomBytesGiveADocumentOrAFileError) {
    std::mt19937 rng(42);
    const std::vector<std::string> pieces = {"[Titel]", "[Text]",  "[Fonts]", "[Refrain]", "\r\n", "\n", "\r",
                                             "\x1a",    "12",      "x",       "$",        " ",    "[",  "\xEF\xBB\xBF"};
    for (int round = 0; round < 400; ++round) {
        std::string bytes;
        const int n = static_cast<int>(rng() % 40);
        for (int i = 0; i < n; ++i)
            bytes += rng() % 3 ? pieces[rng() % pieces.size()] : std::string(1, static_cast<char>(rng()));
        SongDocument doc;
        try {
            parseLayout(bytes, doc);
        } catch (const FileError& e) {
            EXPECT_TRUE(e.kind() == FileError::Kind::InvalidNumber || e.kind() == FileError::Kind::NotASong);
        }
    }
    for (const std::string& tiny : {std::string("["), std::string("\x1a"), std::string(1, '\0'), std::string("\r")}) {
        SongDocument doc;
        try {
            parseLayout(tiny, doc);
        } catch (const FileError& e) {
            EXPECT_EQ(e.kind(), FileError::Kind::NotASong);
        }
    }
}

namespace {

// Songs as a user can type them: every byte the window lets into a field (tab, 32-126, 128-255),
// with chords, superscripts, blanks, empty lines and lines that look like the file's own markup.
class TypedSong {
public:
    explicit TypedSong(unsigned seed) : rng_(seed) {}

    void fill(SongDocument& doc) {
        for (FieldId id : kAllFields) {
            if (!isMultiLine(id)) {
                doc.field(id).setText(pick(4) ? line() : std::string());
                continue;
            }
            std::string text;
            const int n = pick(7);
            for (int i = 0; i < n; ++i) {
                text += line();
                if (i + 1 < n || pick(2))
                    text += "\r\n";
            }
            doc.field(id).setText(text);
        }
        for (FontSetting* f : {&doc.TitelFont, &doc.InterpretFont, &doc.TextFont, &doc.AkkordFont}) {
            f->name = pick(5) ? "Liberation Sans" : typed(pick(30));
            f->size = pick(3) ? pick(80) - 8 : static_cast<std::int32_t>(rng_());
            f->color = static_cast<std::int32_t>(rng_());
        }
    }

private:
    static constexpr std::array<const char*, 10> kTags = {"[Titel]",  "[Interpret]", "[Vorspiel]",  "[Kapo]",
                                                          "[Refrain]", "[Bridge]",   "[Text]",      "[Nachspiel]",
                                                          "[Graphik]", "[Fonts]"};

    std::string line() {
        switch (pick(9)) {
        case 0: return "";
        case 1: return kTags[pick(10)];                                // exactly a tag
        case 2: return std::string(kTags[pick(10)]) + std::string(1 + pick(2), ' '); // a tag and blanks
        case 3: return "[" + typed(pick(8));                           // looks like markup
        case 4: return "<Am>Wenn der <D\xB0sus4>Abend <G7>" + typed(pick(10));
        case 5: return std::string(pick(3), ' ');
        default: return typed(pick(40));
        }
    }

    std::string typed(int n) {
        std::string s;
        while (static_cast<int>(s.size()) < n) {
            const int c = pick(256);
            if (c == '\t' || (c >= 32 && c != 127))
                s.push_back(static_cast<char>(c));
        }
        return s;
    }

    int pick(int n) { return static_cast<int>(rng_() % static_cast<unsigned>(n)); }
    std::mt19937 rng_;
};

} // namespace

// Save then Open gives back what the fields held, up to the trimming of trailing empty lines and the
// final line break of a multi-line field.
TEST(LayoutRoundTrip, everyTypedSongComesBackAfterSaveAndOpen) {
    for (unsigned seed = 1; seed <= 10000; ++seed) {
        SongDocument doc;
        TypedSong(seed).fill(doc);
        TrimTrailingEmptyLines(doc); // as saving does
        SongDocument back;
        parsed(back, formatLayout(doc));
        expectAfterReading(doc);
        for (FieldId id : kAllFields)
            ASSERT_EQ(back.field(id).text(), doc.field(id).text()) << "seed " << seed << ", field " << int(id);
        ASSERT_EQ(back.TitelFont, doc.TitelFont) << "seed " << seed;
        ASSERT_EQ(back.InterpretFont, doc.InterpretFont) << "seed " << seed;
        ASSERT_EQ(back.TextFont, doc.TextFont) << "seed " << seed;
        ASSERT_EQ(back.AkkordFont, doc.AkkordFont) << "seed " << seed;
    }
}

TEST(LayoutReader, aLineBeginningWithCtrlZInsideASectionIsAnEmptyLine) {
    SongDocument doc;
    parsed(doc, "[Titel]\r\nDemo\r\n[Text]\r\nfirst line\r\n\x1a\r\nsecond line\r\nthird\x1a cut\r\n"
                "[Nachspiel]\r\nEnde\r\n");
    EXPECT_EQ(doc.TextEdit().text(), "first line\r\n\r\nsecond line\r\nthird\r\n");
    EXPECT_EQ(doc.NachspielEdit().text(), "Ende");
}

TEST(LayoutWriter, aTextLineThatReadsAsATagGetsOneBlankAndComesBack) {
    SongDocument doc;
    doc.TextEdit().setText("[Kapo]\r\nla\r\n[Fonts]  \r\n[Kapo]x");
    const std::string out = formatLayout(doc);
    EXPECT_NE(out.find("[Text]\r\n[Kapo] \r\nla\r\n[Fonts]   \r\n[Kapo]x\r\n"), std::string::npos) << out;
    SongDocument back;
    parsed(back, out);
    EXPECT_EQ(back.TextEdit().text(), "[Kapo]\r\nla\r\n[Fonts]  \r\n[Kapo]x\r\n");
    EXPECT_EQ(back.KapoEdit().text(), doc.KapoEdit().text());
    // A song without such lines is written exactly as before.
    SongDocument plain;
    plain.TextEdit().setText("[Intro]\r\n<C>la");
    EXPECT_NE(formatLayout(plain).find("[Text]\r\n[Intro]\r\n<C>la\r\n[Nachspiel]"), std::string::npos);
}

TEST(LayoutReader, textWithoutAnyTagIsNoSongButEmptyLinesAreAnEmptySong) {
    for (const std::string& notASong : {std::string("BM\x36\x00\x00\x00binary\r\n"), std::string("Liebe Anna,\r\n"),
                                        std::string("\r\n\r\n  \r\n"), std::string("[titel]\r\nx")}) {
        SongDocument doc;
        doc.TitelEdit().setText("kept");
        try {
            parseLayout(notASong, doc);
            ADD_FAILURE() << "read as a song: " << notASong;
        } catch (const FileError& e) {
            EXPECT_EQ(e.kind(), FileError::Kind::NotASong);
            EXPECT_STREQ(e.what(), "Die Datei ist keine Versino-Songdatei.");
        }
        EXPECT_EQ(doc.TitelEdit().text(), "kept");
    }
    for (const std::string& song : {std::string(), std::string("\r\n\r\n\n"), std::string("[Kapo]"),
                                    std::string("junk\r\n[Titel]\r\nT\r\nmore junk\r\n")}) {
        SongDocument doc;
        EXPECT_NO_THROW(parseLayout(song, doc)) << song;
    }
}

TEST(LayoutOptions, setOptionsFollowTheFontsAndComeBackWhileDefaultsWriteNothing) {
    struct Case {
        SongOptions options;
        std::string section; // what follows the fonts
    };
    const std::vector<Case> cases = {
        {{}, ""},
        {{2, "", {}}, "[Optionen]\r\nSeiten: 2\r\n"},
        {{1, "ukulele", {}}, "[Optionen]\r\nGriffbilder: ukulele\r\n"},
        {{2, "gitarre", {"Am base-fret 1 frets x 0 2 2 1 0", "D/F# base-fret 1 frets 2 x 0 2 3 2"}},
         "[Optionen]\r\nSeiten: 2\r\nGriffbilder: gitarre\r\nGriff: Am base-fret 1 frets x 0 2 2 1 0\r\n"
         "Griff: D/F# base-fret 1 frets 2 x 0 2 3 2\r\n"},
    };
    for (const Case& c : cases) {
        SongDocument doc;
        doc.TextEdit().setText("<Am>la\r\n");
        doc.setOptions(c.options);
        const std::string bytes = formatLayout(doc);
        const std::string fontsEnd = "Arial\r\n10\r\n255\r\n";
        ASSERT_NE(bytes.find(fontsEnd), std::string::npos);
        EXPECT_EQ(bytes.substr(bytes.find(fontsEnd) + fontsEnd.size()), c.section);
        SongDocument back;
        parsed(back, bytes);
        EXPECT_EQ(back.options(), c.options) << c.section;
        expectSameContent(doc, back);
    }
}

TEST(LayoutOptions, unknownOrBadOptionLinesAreSkippedAndTheSectionEndsAtATag) {
    SongDocument doc;
    parsed(doc, kNewDocumentFile + "[Optionen]\r\nSeiten: 7\r\nFarbe: rot\r\nGriffbilder: banjo\r\n"
                                   "Griffbilder: klavier\r\n[Titel]\r\nNach den Optionen\r\n");
    EXPECT_EQ(doc.options().pages, 1);
    EXPECT_EQ(doc.options().diagrams, "klavier");
    EXPECT_EQ(doc.TitelEdit().text(), "Nach den Optionen");
}
