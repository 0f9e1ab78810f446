#include "formats/TextReader.h"

#include <gtest/gtest.h>

using versino::TextReader;

namespace {

struct NumberCase {
    const char* token;
    std::optional<std::int32_t> value;
};

class NumberToken : public ::testing::TestWithParam<NumberCase> {};

void PrintTo(const NumberCase& c, std::ostream* os) { *os << '"' << c.token << '"'; }

} // namespace

TEST_P(NumberToken, parsesOrRejects) {
    EXPECT_EQ(TextReader::parseNumber(GetParam().token), GetParam().value) << GetParam().token;
}

INSTANTIATE_TEST_SUITE_P(
    Tokens, NumberToken,
    ::testing::Values(NumberCase{"12", 12}, NumberCase{"-12", -12}, NumberCase{"+12", 12}, NumberCase{"007", 7},
                      NumberCase{"2147483647", 2147483647}, NumberCase{"-2147483648", INT32_MIN},
                      NumberCase{"2147483648", std::nullopt}, NumberCase{"-2147483649", std::nullopt},
                      NumberCase{"99999999999999999999", std::nullopt}, NumberCase{"$FF", 255},
                      NumberCase{"xff", 255}, NumberCase{"XfF", 255}, NumberCase{"0x10", 16},
                      NumberCase{"0X10", 16}, NumberCase{"-$10", -16}, NumberCase{"$FFFFFFFF", -1},
                      NumberCase{"$000000000001", 1}, NumberCase{"$100000000", std::nullopt},
                      NumberCase{"$", std::nullopt}, NumberCase{"0x", std::nullopt}, NumberCase{"-", std::nullopt},
                      NumberCase{"+", std::nullopt}, NumberCase{"12pt", std::nullopt},
                      NumberCase{"Arial", std::nullopt}, NumberCase{"1.5", std::nullopt},
                      NumberCase{"--1", std::nullopt}, NumberCase{"$G", std::nullopt}));

TEST(NumberReading, skipsBlanksAcrossLinesAndTheRestOfTheLine) {
    TextReader in("  \r\n\t 12 pt and more\r\nnext\r\n");
    EXPECT_EQ(in.readNumber(), 12);
    EXPECT_EQ(in.readLine(), "next");
}

TEST(NumberReading, takesAtMost32Characters) {
    const std::string zeros = std::string(32, '0') + "7\r\n";
    TextReader in(zeros);
    EXPECT_EQ(in.readNumber(), 0); // the 33rd character is left to the skipped rest of the line
    const std::string ones(33, '1');
    TextReader wide(ones);
    EXPECT_EQ(wide.readNumber(), std::nullopt);
}

TEST(NumberReading, givesZeroAtTheEnd) {
    TextReader in("  \r\n ");
    EXPECT_EQ(in.readNumber(), 0);
    TextReader eof("\x1a" "12");
    EXPECT_EQ(eof.readNumber(), 0);
}

TEST(LineReading, endsLinesAtLfOrCrLfAndDropsLoneCr) {
    TextReader in("a\r\nb\nc\rd\r\n\r\nlast");
    EXPECT_EQ(in.readLine(), "a");
    EXPECT_EQ(in.readLine(), "b");
    EXPECT_EQ(in.readLine(), "cd");
    EXPECT_EQ(in.readLine(), "");
    EXPECT_FALSE(in.atEnd());
    EXPECT_EQ(in.readLine(), "last");
    EXPECT_TRUE(in.atEnd());
    EXPECT_EQ(in.readLine(), ""); // reading at the end does not fail
}

TEST(LineReading, ctrlZEndsTheLineTextAndCountsAsEndWhenNext) {
    TextReader in("ab\x1a" "cd\r\nef\r\n\x1a" "gh\r\n");
    EXPECT_EQ(in.readLine(), "ab");
    EXPECT_EQ(in.readLine(), "ef");
    EXPECT_TRUE(in.atEnd());
    EXPECT_EQ(in.readLine(), "");
}
