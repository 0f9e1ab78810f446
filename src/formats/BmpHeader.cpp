#include "formats/BmpHeader.h"

#include <cstdlib>

namespace versino::bmpfile {

namespace {

std::uint32_t readLe32(std::string_view b, std::size_t at) {
    return std::uint32_t(std::uint8_t(b[at])) | std::uint32_t(std::uint8_t(b[at + 1])) << 8 |
           std::uint32_t(std::uint8_t(b[at + 2])) << 16 | std::uint32_t(std::uint8_t(b[at + 3])) << 24;
}

std::uint16_t readLe16(std::string_view b, std::size_t at) {
    return std::uint16_t(std::uint8_t(b[at]) | std::uint8_t(b[at + 1]) << 8);
}

// The dimensions the info header declares; nothing when the bytes are no BMP. A header claiming a
// huge picture is judged here, without allocating it.
bool declaredDimensions(std::string_view b, Declared& d) {
    constexpr std::size_t kFileHeader = 14;
    if (b.size() < kFileHeader + 12 || b[0] != 'B' || b[1] != 'M')
        return false;
    const std::uint32_t infoSize = readLe32(b, 14);
    if (infoSize == 12) { // the old OS/2 core header: 16-bit unsigned sizes
        d.width = readLe16(b, 18);
        d.height = readLe16(b, 20);
        return true;
    }
    if (infoSize < 16)
        return false;
    d.width = std::int64_t(std::int32_t(readLe32(b, 18)));
    d.height = std::llabs(std::int64_t(std::int32_t(readLe32(b, 22))));
    // A negative height means top-down rows; a negative width means nothing.
    return d.width >= 0;
}

// Whether the rows of an uncompressed picture end before the declared height: an image decoder
// would fill the missing rows with black and call that a picture. Compressed pixel data has no
// fixed size and is left to the decoder.
bool isTruncated(std::string_view b, const Declared& d) {
    const std::uint32_t infoSize = readLe32(b, 14);
    const bool core = infoSize == 12;
    if (!core && b.size() < 34)
        return true;
    const int bitsPerPixel = readLe16(b, core ? 24 : 28);
    const std::uint32_t compression = core ? 0 : readLe32(b, 30);
    constexpr std::uint32_t kRgb = 0, kBitFields = 3;
    if (compression != kRgb && compression != kBitFields)
        return false;
    const std::int64_t stride = (d.width * bitsPerPixel + 31) / 32 * 4;
    return std::int64_t(readLe32(b, 10)) + stride * d.height > std::int64_t(b.size());
}

} // namespace

Declared readHeader(std::string_view bytes) {
    Declared d;
    if (!declaredDimensions(bytes, d))
        return {};
    if (d.width == 0 || d.height == 0) {
        d.verdict = Declared::Verdict::Empty;
        return d;
    }
    // Above the bound; or pixel data said to start past the end of the file; or rows missing.
    if (d.width * d.height > kMaxPixels || readLe32(bytes, 10) > bytes.size() || isTruncated(bytes, d))
        return {Declared::Verdict::NotABitmap, d.width, d.height};
    d.verdict = Declared::Verdict::Decode;
    return d;
}

} // namespace versino::bmpfile
