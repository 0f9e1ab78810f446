#pragma once

#include <cstdint>
#include <string_view>

// The headers of a BMP file, read before anything is decoded: what picture the file declares, and
// whether its pixels are worth handing to an image decoder at all. Pure, over bytes.
namespace versino::bmpfile {

// Pictures with more pixels are not decoded: they count as not a bitmap.
inline constexpr std::int64_t kMaxPixels = 48LL * 1024 * 1024;

struct Declared {
    enum class Verdict {
        NotABitmap, // no BMP, above the pixel bound, or pixel rows missing from the file
        Empty,      // a BMP of zero width or height: a picture without pixels
        Decode,     // a BMP whose pixels are all in the file
    };
    Verdict verdict = Verdict::NotABitmap;
    // As the file declares them (for Empty, the other side may be up to 2^31).
    std::int64_t width = 0;
    std::int64_t height = 0;
};

Declared readHeader(std::string_view bytes);

} // namespace versino::bmpfile
