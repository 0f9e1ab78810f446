#include "formats/ChordProText.h"

#include "document/AsciiText.h"
#include "document/Cp1252.h"

#include <charconv>
#include <cstdio>

namespace versino::chordpro {

QString latin(std::string_view cp1252Text) {
    return cp1252::toUnicode(cp1252Text);
}

std::optional<std::int32_t> parseInt(std::string_view s) {
    s = ascii::trimSpaces(s);
    std::int32_t value = 0;
    const char* end = s.data() + s.size();
    const auto [ptr, ec] = std::from_chars(s.data(), end, value);
    if (s.empty() || ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

std::optional<std::int32_t> parseColour(std::string_view s) {
    const std::string v = ascii::lower(ascii::trimSpaces(s));
    struct Named {
        const char* name;
        std::int32_t rgb;
    };
    static constexpr Named kNames[] = {
        {"black", 0x000000}, {"white", 0xFFFFFF},  {"red", 0xFF0000},     {"green", 0x008000},
        {"blue", 0x0000FF},  {"yellow", 0xFFFF00}, {"magenta", 0xFF00FF}, {"cyan", 0x00FFFF},
        {"grey", 0x808080},  {"gray", 0x808080},   {"orange", 0xFFA500},  {"purple", 0x800080},
    };
    std::int32_t rgb = -1;
    for (const Named& n : kNames)
        if (v == n.name)
            rgb = n.rgb;
    if (rgb < 0 && v.size() == 7 && v[0] == '#') {
        std::uint32_t x = 0;
        const auto [ptr, ec] = std::from_chars(v.data() + 1, v.data() + v.size(), x, 16);
        if (ec == std::errc() && ptr == v.data() + v.size())
            rgb = static_cast<std::int32_t>(x);
    }
    if (rgb < 0)
        return std::nullopt;
    return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
}

std::string colourText(std::int32_t bgr) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "#%02X%02X%02X", unsigned(bgr & 0xFF), unsigned((bgr >> 8) & 0xFF),
                  unsigned((bgr >> 16) & 0xFF));
    return buf;
}

bool escapable(char c) {
    return c == '[' || c == ']' || c == '{' || c == '}' || c == '#' || c == '\\';
}

bool isMarkupTag(std::string_view name) {
    static constexpr std::string_view kTags[] = {"b",     "i",   "u",    "s",      "tt",     "sup",
                                                 "sub",   "big", "small", "span",  "strike", "em",
                                                 "strong", "font"};
    const std::string n = ascii::lower(name);
    for (std::string_view tag : kTags)
        if (n == tag)
            return true;
    return false;
}

void dropControls(std::string& line) {
    std::size_t w = 0;
    for (char c : line) {
        const auto b = static_cast<unsigned char>(c);
        if ((b >= 32 && b != 127) || b == '\t')
            line[w++] = c;
    }
    line.resize(w);
}

void appendEscaped(std::string& out, std::string_view text, std::string_view escaped) {
    for (char c : text) {
        if (escaped.find(c) != std::string_view::npos)
            out += '\\';
        out += c;
    }
}

} // namespace versino::chordpro
