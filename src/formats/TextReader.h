#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace versino {

// Reads the lines and numbers of a layout file from its bytes.
//  - A line ends at LF or CR LF; a CR not followed by LF is dropped from the line.
//  - A byte 26 (Ctrl-Z) ends the text of its line; the rest of that line is skipped.
//  - atEnd() is true when no byte is left or the next byte is 26.
//  - readLine() at the end gives "" without failing; lines may be of any length.
// Written by hand because the rules (byte 26, lone CR, the number tokens) are the format's own.
class TextReader {
public:
    // The reader does not copy: `data` must outlive it.
    explicit TextReader(std::string_view data) : data_(data) {}

    bool atEnd() const { return pos_ >= data_.size() || data_[pos_] == kEof; }
    std::size_t position() const { return pos_; }
    std::string_view data() const { return data_; }
    std::string readLine();
    // The same line without copying where it can: the view points into the data, or into
    // `scratch` when a lone CR had to be dropped. Valid until the next call.
    std::string_view readLineView(std::string& scratch);
    // Skips characters up to code 32 across lines, takes a token of at most 32 characters up to the
    // next such character and skips the rest of its line. At the end gives 0. Returns nothing when
    // the token is not a number.
    std::optional<std::int32_t> readNumber();

    static std::optional<std::int32_t> parseNumber(std::string_view token);

private:
    static constexpr char kEof = 26;

    void skipRestOfLine();

    std::string_view data_;
    std::size_t pos_ = 0;
};

} // namespace versino
