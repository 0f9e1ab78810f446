#pragma once

#include <QString>
#include <string>
#include <string_view>

// Song text is held as Windows-1252 bytes, one byte per character. These two functions are the only
// place where it meets Unicode: at the widget and painter boundary.
namespace versino::cp1252 {

// Every byte 0-255 maps to one character. The five bytes that Windows-1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control characters of the same value, so that
// toUnicode followed by fromUnicode gives back every byte.
QString toUnicode(std::string_view bytes);

// A character that Windows-1252 cannot hold becomes "?". Surrogate pairs count as one character.
std::string fromUnicode(const QString& text);

// True when fromUnicode would keep the character (no "?" substitution).
bool representable(char32_t c);

} // namespace versino::cp1252
