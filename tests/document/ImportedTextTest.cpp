#include "document/ImportedText.h"

#include <gtest/gtest.h>

using versino::cp1252::importBytes;

TEST(ImportedText, readsEveryEncodingAndLineEnd) {
    const struct {
        std::string bytes;
        std::string text;
    } cases[] = {
        {"Gr\xC3\xBC\xC3\x9F" "e\r\nx\ry\n", "Gr\xFC\xDF" "e\nx\ny\n"},   // UTF-8
        {"\xEF\xBB\xBF" "\xC3\xA4", "\xE4"},                              // UTF-8 with BOM
        {std::string("\xFF\xFE\xE4\x00\x0D\x00\x0A\x00", 8), "\xE4\n"},   // UTF-16LE with BOM
        {std::string("\xFE\xFF\x00\xE4", 4), "\xE4"},                     // UTF-16BE with BOM
        {"Gr\xFC\xDF" "e \x80", "Gr\xFC\xDF" "e \x80"},                   // Windows-1252
    };
    for (const auto& c : cases)
        EXPECT_EQ(importBytes(c.bytes).text, c.text);
}

TEST(ImportedText, replacesMissingCharactersByTheNearestAndSaysWhich) {
    const auto imported = importBytes("\xC5\xBB" "al \xC5\x82\xC4\x85 \xC5\x91 \xC5\x82 \xD0\x96"); // Żal łą ő ł Ж
    EXPECT_EQ(imported.text, "Zal la \xF6 l ?");
    EXPECT_EQ(imported.replacedCount(), 6);
    EXPECT_EQ(imported.summary(), QString::fromUtf8("6 Zeichen ersetzt: Ż→Z, ł→l, ą→a, ő→ö, Ж→?"));
    EXPECT_TRUE(importBytes("plain").summary().isEmpty());
}
