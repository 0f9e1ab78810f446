#include "platform/Bitmap.h"

#include "document/Cp1252.h"
#include "io/RegularFile.h"

#include <QBuffer>
#include <QImageReader>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

namespace versino {

namespace {

std::uint32_t readLe32(const QByteArray& b, int at) {
    return std::uint32_t(std::uint8_t(b[at])) | std::uint32_t(std::uint8_t(b[at + 1])) << 8 |
           std::uint32_t(std::uint8_t(b[at + 2])) << 16 | std::uint32_t(std::uint8_t(b[at + 3])) << 24;
}

std::uint16_t readLe16(const QByteArray& b, int at) {
    return std::uint16_t(std::uint8_t(b[at]) | std::uint8_t(b[at + 1]) << 8);
}

BitmapLoad notABitmap() {
    return BitmapLoad{};
}

BitmapLoad cannotOpen(int errnum) {
    BitmapLoad r;
    r.status = BitmapLoad::Status::CannotOpen;
    r.errnum = errnum;
    return r;
}

// The dimensions a BMP header declares, read before anything is decoded so that a header claiming
// a huge picture is refused without allocating it.
struct Dimensions {
    bool valid = false;
    std::int64_t width = 0;
    std::int64_t height = 0;
};

Dimensions declaredDimensions(const QByteArray& b) {
    constexpr int kFileHeader = 14;
    if (b.size() < kFileHeader + 12 || b[0] != 'B' || b[1] != 'M')
        return {};
    const std::uint32_t infoSize = readLe32(b, 14);
    if (infoSize == 12) // the old OS/2 core header: 16-bit unsigned sizes
        return {true, readLe16(b, 18), readLe16(b, 20)};
    if (infoSize < 16)
        return {};
    const auto width = std::int64_t(std::int32_t(readLe32(b, 18)));
    const auto height = std::int64_t(std::int32_t(readLe32(b, 22)));
    if (width < 0) // a negative height means top-down rows; a negative width means nothing
        return {};
    return {true, width, std::llabs(height)};
}

// Whether the rows of an uncompressed picture end before the declared height: the image reader would
// fill the missing rows with black and call that a picture. Compressed pixel data has no fixed size
// and is left to the reader.
bool isTruncated(const QByteArray& b, const Dimensions& dims) {
    const std::uint32_t infoSize = readLe32(b, 14);
    const bool core = infoSize == 12;
    if (!core && b.size() < 34)
        return true;
    const int bitsPerPixel = readLe16(b, core ? 24 : 28);
    const std::uint32_t compression = core ? 0 : readLe32(b, 30);
    constexpr std::uint32_t kRgb = 0, kBitFields = 3;
    if (compression != kRgb && compression != kBitFields)
        return false;
    const std::int64_t stride = (dims.width * bitsPerPixel + 31) / 32 * 4;
    return std::int64_t(readLe32(b, 10)) + stride * dims.height > std::int64_t(b.size());
}

// While a picture is decoded, the image reader's own warnings about a file it cannot read are
// dropped: the file is then simply no picture, which the page check reports in the program's words.
// Critical and fatal messages still reach the handler that was installed before.
class QuietImageReader {
public:
    QuietImageReader() { previous() = qInstallMessageHandler(&QuietImageReader::handle); }
    ~QuietImageReader() { qInstallMessageHandler(previous()); }
    QuietImageReader(const QuietImageReader&) = delete;
    QuietImageReader& operator=(const QuietImageReader&) = delete;

private:
    static QtMessageHandler& previous() {
        static QtMessageHandler handler = nullptr;
        return handler;
    }
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text) {
        if (type != QtCriticalMsg && type != QtFatalMsg)
            return;
        if (previous())
            previous()(type, context, text);
        else
            std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
    }
};

QImage readBmp(const QByteArray& bytes) {
    // The reader refuses pictures above 128 MiB by default, which a camera picture saved as BMP
    // exceeds; the bound on the pixel count above is this program's own limit.
    constexpr int kMiB = 1024 * 1024;
    QImageReader::setAllocationLimit(int(kMaxBitmapPixels * 4 / kMiB) + 1);
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "BMP");
    const QuietImageReader quiet;
    return reader.read();
}

} // namespace

BitmapLoad decodeBitmap(const QByteArray& bytes) {
    const Dimensions dims = declaredDimensions(bytes);
    if (!dims.valid)
        return notABitmap();
    BitmapLoad r;
    r.status = BitmapLoad::Status::Loaded;
    if (dims.width == 0 || dims.height == 0) {
        // Nothing to decode; the other side may still claim 2^31 rows, which no int holds.
        r.bitmap = Bitmap(int(std::min<std::int64_t>(dims.width, INT_MAX)),
                          int(std::min<std::int64_t>(dims.height, INT_MAX)), QImage());
        return r;
    }
    if (dims.width * dims.height > kMaxBitmapPixels)
        return notABitmap();
    // Pixel data said to start past the end of the file: there is no picture to read.
    if (readLe32(bytes, 10) > std::uint32_t(bytes.size()))
        return notABitmap();
    if (isTruncated(bytes, dims))
        return notABitmap();
    QImage image = readBmp(bytes);
    if (image.isNull())
        return notABitmap();
    const int width = image.width();
    const int height = image.height();
    r.bitmap = Bitmap(width, height, std::move(image));
    return r;
}

bool BitmapCache::Entry::sameFile(const struct stat& st) const {
    return size == st.st_size && device == st.st_dev && inode == st.st_ino &&
           modified.tv_sec == st.st_mtim.tv_sec && modified.tv_nsec == st.st_mtim.tv_nsec;
}

BitmapLoad loadBitmap(const std::string& path, BitmapCache* cache) {
    RegularFile file(cp1252::toUnicode(path));
    // Whatever is not a regular file, a folder included, is refused as access denied.
    if (file.error() != 0)
        return cannotOpen(file.error() == EISDIR ? EACCES : file.error());
    const struct stat& st = file.status();
    if (st.st_size > kMaxBitmapFileBytes)
        return notABitmap();
    if (cache && cache->last_ && cache->last_->sameFile(st))
        return cache->last_->load;

    // No further than the size the file had when it was opened, which the bound above allowed.
    std::string bytes;
    if (const int err = file.read(bytes, std::size_t(st.st_size)))
        return cannotOpen(err);
    BitmapLoad load = decodeBitmap(QByteArray::fromRawData(bytes.data(), qsizetype(bytes.size())));
    if (cache)
        cache->last_ = BitmapCache::Entry{st.st_dev, st.st_ino, st.st_size, st.st_mtim, load};
    return load;
}

} // namespace versino
