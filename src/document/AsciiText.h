#pragma once

#include <string>
#include <string_view>

// Small helpers over ASCII letters and blanks in byte strings (Windows-1252 or UTF-8): the one
// place for trimming, lower-casing and telling blanks, shared by the readers and the chord names.
namespace versino::ascii {

// A blank between words: space or tab.
constexpr bool isSpaceOrTab(char c) { return c == ' ' || c == '\t'; }
// A separator between the tokens of a layout file: a space or any control character (codes 0-32).
constexpr bool isSpaceOrControl(char c) { return static_cast<unsigned char>(c) <= 32; }
constexpr bool isDigit(char c) { return c >= '0' && c <= '9'; }
constexpr bool isUpper(char c) { return c >= 'A' && c <= 'Z'; }
constexpr char toLower(char c) { return isUpper(c) ? char(c - 'A' + 'a') : c; }
constexpr char toUpper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

// The text without the spaces and tabs around it.
constexpr std::string_view trimSpaces(std::string_view s) {
    while (!s.empty() && isSpaceOrTab(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isSpaceOrTab(s.back()))
        s.remove_suffix(1);
    return s;
}

// The text with A-Z written a-z; every other byte as it is.
inline std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = toLower(c);
    return out;
}

} // namespace versino::ascii
