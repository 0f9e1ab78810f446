#include "document/Cp1252.h"

#include <gtest/gtest.h>

using namespace versino;

TEST(Cp1252, everyByteSurvivesTheRoundTrip) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    const QString unicode = cp1252::toUnicode(all);
    ASSERT_EQ(unicode.size(), 256);
    EXPECT_EQ(cp1252::fromUnicode(unicode), all);
}

TEST(Cp1252, mapsTheHighControlRangeToTypographicCharacters) {
    EXPECT_EQ(cp1252::toUnicode("\x80"), QString(QChar(0x20AC)));
    EXPECT_EQ(cp1252::toUnicode("\x93\x94"), QString::fromUtf8("\u201C\u201D"));
    EXPECT_EQ(cp1252::toUnicode("\xB0"), QString::fromUtf8("°"));
    EXPECT_EQ(cp1252::toUnicode("Gr\xFC\xDF"), QString::fromUtf8("Grüß"));
    EXPECT_EQ(cp1252::fromUnicode(QString::fromUtf8("€ „Ö“ ™")), "\x80 \x84\xD6\x93 \x99");
}

TEST(Cp1252, charactersOutsideTheCodePageBecomeQuestionMarks) {
    EXPECT_EQ(cp1252::fromUnicode(QString::fromUtf8("Ж")), "?");
    // One character outside the Basic Multilingual Plane is one question mark, not two.
    EXPECT_EQ(cp1252::fromUnicode(QString::fromUtf8("a😀b")), "a?b");
    EXPECT_EQ(cp1252::fromUnicode(QString(QChar(0xD800))), "?"); // a lone surrogate
    EXPECT_FALSE(cp1252::representable(U'ł'));
    EXPECT_TRUE(cp1252::representable(U'€'));
    EXPECT_TRUE(cp1252::representable(0x81)); // undefined in the code page, kept as its own byte
}
