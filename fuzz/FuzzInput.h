#pragma once

// What the fuzz targets share: the page they draw on and the reader of their input.

#include "FuzzCheck.h"
#include "support/FakeSurface.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace versino::fuzz {

// A page measured like the printer that checks each call as it comes: text is never drawn above
// `lowestY` (the title's row, once the caller sets it), and a picture's box is never empty or
// inverted.
inline versino::testing::FakeSurface checkedSurface() {
    versino::testing::FakeSurface s = versino::testing::FakeSurface::likePrinter();
    s.lowestY = 0;
    s.onFault = [](const char* what, const std::string& detail) { fail(what, detail); };
    return s;
}

// Reads the fuzz input piece by piece; past its end every read gives zeros and empty texts.
class InputReader {
public:
    InputReader(const std::uint8_t* data, std::size_t size) : p_(data), n_(size) {}

    std::uint8_t byte() { return i_ < n_ ? p_[i_++] : 0; }
    std::int32_t int32() {
        std::uint32_t v = 0;
        for (int k = 0; k < 4; ++k)
            v |= std::uint32_t(byte()) << (8 * k);
        return std::int32_t(v);
    }
    // A value from the table of interesting ones, or any 32-bit value.
    std::int32_t pick(const std::vector<std::int32_t>& table) {
        const std::uint8_t b = byte();
        return b < table.size() ? table[b] : (b < 128 ? int32() : std::int32_t(b) - 192);
    }
    // Up to 4 × (a length byte) bytes.
    std::string text() {
        // The length byte is read first: as one expression the order of the two reads of i_ would
        // be the compiler's choice, and a replay built with another compiler would read differently.
        const std::size_t wanted = std::size_t(byte()) * 4;
        const std::size_t length = std::min(wanted, n_ - i_);
        std::string s(reinterpret_cast<const char*>(p_ + i_), length);
        i_ += length;
        return s;
    }
    std::string rest() {
        std::string s(reinterpret_cast<const char*>(p_ + i_), n_ - i_);
        i_ = n_;
        return s;
    }

private:
    const std::uint8_t* p_;
    std::size_t n_;
    std::size_t i_ = 0;
};

} // namespace versino::fuzz
