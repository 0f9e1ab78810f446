#include "platform/Bitmap.h"

#include "document/Cp1252.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// The last file decoded, by identity and modification time. A song book that shows the same
// picture on every page decodes it once, and the PDF stores one image for all of them.
struct LastLoad {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = -1;
    timespec modified{};
    BitmapLoad load;
};

LastLoad& lastLoadSlot() {
    static LastLoad last;
    return last;
}

const BitmapLoad* lastLoad(const struct stat& st) {
    const LastLoad& last = lastLoadSlot();
    if (last.size != st.st_size || last.device != st.st_dev || last.inode != st.st_ino ||
        last.modified.tv_sec != st.st_mtim.tv_sec || last.modified.tv_nsec != st.st_mtim.tv_nsec)
        return nullptr;
    return &last.load;
}

BitmapLoad remember(const struct stat& st, BitmapLoad load) {
    LastLoad& last = lastLoadSlot();
    last = LastLoad{st.st_dev, st.st_ino, st.st_size, st.st_mtim, load};
    return load;
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
    QImage image = readBmp(bytes);
    if (image.isNull())
        return notABitmap();
    const int width = image.width();
    const int height = image.height();
    r.bitmap = Bitmap(width, height, std::move(image));
    return r;
}

BitmapLoad loadBitmap(const std::string& path) {
    const QByteArray name = QFile::encodeName(cp1252::toUnicode(path));
    // Non-blocking, so that a FIFO without a writer cannot hold the print up; only a regular file
    // is read, so a device such as /dev/zero is never read without end.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return cannotOpen(errno);
    struct FdCloser {
        int fd;
        ~FdCloser() { ::close(fd); }
    } closer{fd};

    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return cannotOpen(errno);
    if (!S_ISREG(st.st_mode))
        return cannotOpen(EACCES);
    if (st.st_size > kMaxBitmapFileBytes)
        return notABitmap();
    if (const BitmapLoad* same = lastLoad(st))
        return *same;

    QByteArray bytes;
    bytes.resize(qsizetype(st.st_size));
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + done, size_t(bytes.size() - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return cannotOpen(errno);
        }
        if (n == 0) // the file shrank while we read it
            break;
        done += n;
    }
    bytes.truncate(done);
    return remember(st, decodeBitmap(bytes));
}

} // namespace versino
