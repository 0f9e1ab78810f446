#include "document/Field.h"

#include <algorithm>

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

int count(std::string_view text) {
    if (text.empty())
        return 0;
    int breaks = 0;
    for (std::size_t pos = text.find(kBreak); pos != std::string_view::npos; pos = text.find(kBreak, pos + 2))
        ++breaks;
    return endsWithBreak(text) ? breaks : breaks + 1;
}

std::size_t startOf(std::string_view text, int i) {
    std::size_t pos = 0;
    for (int line = 0; line < i; ++line) {
        const std::size_t next = text.find(kBreak, pos);
        if (next == std::string_view::npos)
            return text.size();
        pos = next + 2;
    }
    return pos;
}

std::string at(std::string_view text, int i) {
    if (i < 0)
        return {};
    const std::size_t start = startOf(text, i);
    return std::string(text.substr(start, endOf(text, start) - start));
}

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

void insertBefore(std::string& text, int i, std::string_view line) {
    std::size_t at = startOf(text, std::max(i, 0));
    std::string piece(line);
    piece.append(kBreak);
    // Past the last line of a text without a final break, the new line still has to start a line.
    if (at == text.size() && !text.empty() && !endsWithBreak(text)) {
        text.append(kBreak);
        at = text.size();
    }
    text.insert(at, piece);
}

void remove(std::string& text, int i) {
    if (i < 0 || i >= count(text))
        return;
    const std::size_t start = startOf(text, i);
    std::size_t end = endOf(text, start);
    if (end < text.size())
        end += 2;
    text.erase(start, end - start);
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

void MultiLineField::addLine(const std::string& s) {
    std::string t = text();
    lines::add(t, s);
    setText(t);
}

void MultiLineField::insertLine(int i, const std::string& s) {
    std::string t = text();
    lines::insertBefore(t, i, s);
    setText(t);
}

void MultiLineField::deleteLine(int i) {
    std::string t = text();
    lines::remove(t, i);
    setText(t);
}

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

void MemoryField::addLine(const std::string& s) {
    lines::add(text_, s);
    changed();
}

void MemoryField::insertLine(int i, const std::string& s) {
    lines::insertBefore(text_, i, s);
    changed();
}

void MemoryField::deleteLine(int i) {
    const std::size_t before = text_.size();
    lines::remove(text_, i);
    if (text_.size() != before)
        changed();
}

} // namespace versino
