#include "platform/Bitmap.h"

#include "document/Cp1252.h"
#include "formats/BmpHeader.h"
#include "io/RegularFile.h"

#include <QBuffer>
#include <QImageReader>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>

namespace versino {

namespace {

BitmapLoad notABitmap() {
    return BitmapLoad{};
}

BitmapLoad cannotOpen(int errnum) {
    BitmapLoad r;
    r.status = BitmapLoad::Status::CannotOpen;
    r.errnum = errnum;
    return r;
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
    const bmpfile::Declared declared = bmpfile::readHeader(std::string_view(bytes.constData(), std::size_t(bytes.size())));
    if (declared.verdict == bmpfile::Declared::Verdict::NotABitmap)
        return notABitmap();
    BitmapLoad r;
    r.status = BitmapLoad::Status::Loaded;
    if (declared.verdict == bmpfile::Declared::Verdict::Empty) {
        // Nothing to decode; the other side may still claim 2^31 rows, which no int holds.
        r.bitmap = Bitmap(int(std::min<std::int64_t>(declared.width, INT_MAX)),
                          int(std::min<std::int64_t>(declared.height, INT_MAX)), QImage());
        return r;
    }
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
