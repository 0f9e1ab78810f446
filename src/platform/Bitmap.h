#pragma once

#include "formats/BmpHeader.h"

#include <QImage>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <sys/stat.h>

namespace versino {

// A decoded picture. Width and height are those the file declares; a picture of zero width or
// height carries no image.
class Bitmap {
public:
    Bitmap() = default;
    Bitmap(int width, int height, QImage image) : width_(width), height_(height), image_(std::move(image)) {}

    int width() const { return width_; }
    int height() const { return height_; }
    const QImage& image() const { return image_; }

private:
    int width_ = 0;
    int height_ = 0;
    QImage image_;
};

struct BitmapLoad {
    enum class Status { Loaded, NotABitmap, CannotOpen };
    Status status = Status::NotABitmap;
    Bitmap bitmap;  // when Loaded
    int errnum = 0; // when CannotOpen: the system's error number
};

// Files larger than this, or pictures with more pixels, are not decoded: they count as not a bitmap.
inline constexpr std::int64_t kMaxBitmapFileBytes = 256LL * 1024 * 1024;
inline constexpr std::int64_t kMaxBitmapPixels = bmpfile::kMaxPixels;

// The last picture decoded, by the file's identity and modification time. A surface that is drawn
// on again and again keeps one, so that a book that shows the same picture on every page decodes it
// once; the PDF then stores one image for all of them, since the PDF writer shares the image of the
// same QImage.
class BitmapCache {
private:
    friend BitmapLoad loadBitmap(const std::string& path, BitmapCache* cache);
    struct Entry {
        dev_t device;
        ino_t inode;
        off_t size;
        timespec modified;
        BitmapLoad load;
        bool sameFile(const struct stat& st) const;
    };
    std::optional<Entry> last_;
};

// Reads a BMP file. Only BMP content yields a picture, whatever the file's name; anything else is
// NotABitmap. Only regular files are read (a folder, FIFO or device gives CannotOpen with EACCES),
// opened without blocking and read no further than the size bound. `path` is Windows-1252 bytes.
// With a cache, a file unchanged since it last went through that cache is not read again; without
// one, the file is always decoded afresh.
BitmapLoad loadBitmap(const std::string& path, BitmapCache* cache = nullptr);

// Decodes BMP bytes into an image; NotABitmap for anything the header reader refuses
// (bmpfile::readHeader) or the image decoder cannot read.
BitmapLoad decodeBitmap(const QByteArray& bytes);

} // namespace versino
