#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Text helpers of ChordPro: numbers, colours, escapes and markup tags as the format writes them.
namespace versino::chordpro {

// Windows-1252 text as a QString, for messages.
QString latin(std::string_view cp1252Text);
// A whole decimal number, blanks around it allowed.
std::optional<std::int32_t> parseInt(std::string_view s);
// "#RRGGBB" or a few colour names, as 0x00BBGGRR.
std::optional<std::int32_t> parseColour(std::string_view s);
// 0x00BBGGRR as "#RRGGBB".
std::string colourText(std::int32_t bgr);
// The characters a backslash escapes: []{}#\.
bool escapable(char c);
// ChordPro's markup in lyrics and comments: Pango's tags ("<b>", "</i>", "<span size=...>").
bool isMarkupTag(std::string_view name);
// Characters that would break a field: control characters other than tab.
void dropControls(std::string& line);
// Appends `text` with a backslash before each character of `escaped`.
void appendEscaped(std::string& out, std::string_view text, std::string_view escaped);

} // namespace versino::chordpro
