#include "document/Field.h"

namespace versino::lines {
namespace {

constexpr std::string_view kBreak = "\r\n";

bool endsWithBreak(std::string_view text) {
    return text.size() >= 2 && text.substr(text.size() - 2) == kBreak;
}

// End offset of the line that starts at `start` (the offset of its CR LF, or text.size()).
std::size_t endOf(std::string_view text, std::size_t start) {
    const std::size_t pos = text.find(kBreak, start);
    return pos == std::string_view::npos ? text.size() : pos;
}

} // namespace

std::vector<std::string> split(std::string_view text) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = endOf(text, start);
        out.emplace_back(text.substr(start, end - start));
        start = end + 2;
    }
    return out;
}

void add(std::string& text, std::string_view line) {
    if (text.empty() || endsWithBreak(text)) {
        text.append(line);
        text.append(kBreak);
    } else {
        text.append(kBreak);
        text.append(line);
    }
}

bool dropEmptyLastLine(std::string& text) {
    // The last counted line is empty only when the text is one bare line break or ends with two.
    if (text == kBreak) {
        text.clear();
        return true;
    }
    if (text.size() >= 4 && std::string_view(text).substr(text.size() - 4) == "\r\n\r\n") {
        text.resize(text.size() - 2);
        return true;
    }
    return false;
}

} // namespace versino::lines

namespace versino {

void MemoryField::setText(const std::string& text) {
    if (text == text_)
        return;
    text_ = text;
    changed();
}

void MemoryField::takeText(std::string&& text) {
    if (text == text_)
        return;
    text_ = std::move(text);
    changed();
}

} // namespace versino
