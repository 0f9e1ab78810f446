#include "formats/TextReader.h"

#include "document/AsciiText.h"

#include <cstring>

namespace versino {
namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::string TextReader::readLine() {
    std::string scratch;
    return std::string(readLineView(scratch));
}

std::string_view TextReader::readLineView(std::string& scratch) {
    const std::size_t n = data_.size();
    const void* lf = std::memchr(data_.data() + pos_, '\n', n - pos_);
    const std::size_t end = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - data_.data()) : n;
    std::string_view raw = data_.substr(pos_, end - pos_);
    pos_ = lf ? end + 1 : n;

    if (const std::size_t z = raw.find(kEof); z != std::string_view::npos)
        raw = raw.substr(0, z);
    if (!raw.empty() && raw.back() == '\r')
        raw.remove_suffix(1);
    if (raw.find('\r') == std::string_view::npos)
        return raw;
    scratch.clear();
    for (char c : raw)
        if (c != '\r')
            scratch.push_back(c);
    return scratch;
}

void TextReader::skipRestOfLine() {
    const void* lf = std::memchr(data_.data() + pos_, '\n', data_.size() - pos_);
    pos_ = lf ? static_cast<const char*>(lf) - data_.data() + 1 : data_.size();
}

std::optional<std::int32_t> TextReader::readNumber() {
    while (pos_ < data_.size() && data_[pos_] != kEof && ascii::isSpaceOrControl(data_[pos_]))
        ++pos_;
    if (atEnd())
        return 0;
    const std::size_t start = pos_;
    while (pos_ < data_.size() && pos_ - start < 32 && !ascii::isSpaceOrControl(data_[pos_]))
        ++pos_;
    const std::string_view token = data_.substr(start, pos_ - start);
    skipRestOfLine();
    return parseNumber(token);
}

std::optional<std::int32_t> TextReader::parseNumber(std::string_view t) {
    bool negative = false;
    if (!t.empty() && (t[0] == '-' || t[0] == '+')) {
        negative = t[0] == '-';
        t.remove_prefix(1);
    }
    bool hex = false;
    if (!t.empty() && (t[0] == '$' || t[0] == 'x' || t[0] == 'X')) {
        hex = true;
        t.remove_prefix(1);
    } else if (t.size() >= 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
        hex = true;
        t.remove_prefix(2);
    }
    if (t.empty())
        return std::nullopt;

    if (hex) {
        std::uint32_t value = 0;
        int significant = 0;
        for (char c : t) {
            const int d = hexValue(c);
            if (d < 0)
                return std::nullopt;
            if (significant > 0 || d != 0)
                ++significant;
            if (significant > 8)
                return std::nullopt;
            value = value << 4 | static_cast<std::uint32_t>(d);
        }
        // Eight hex digits fill the 32 bits: $FFFFFFFF is -1.
        const std::uint32_t v = negative ? 0u - value : value;
        return static_cast<std::int32_t>(v);
    }

    std::int64_t value = 0;
    const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
    for (char c : t) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > limit)
            return std::nullopt;
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

} // namespace versino
