// Feeds arbitrary file bytes to the BMP loader and the picture fitting of the page composer, with
// arbitrary page sizes and amounts of text above the picture. Beyond the sanitizers' checks:
//  - decoding never yields a picture above the pixel bound, and a picture with pixels has an image
//    of exactly its size;
//  - loading the bytes from a file gives what decoding them in memory gives;
//  - on the page, a picture's box is never empty or inverted (the surface checks it), lies within
//    the page's width, ends at the bottom margin, and is never larger than the picture;
//  - a readable file never produces a "Cannot open file" error.
#include "FuzzCheck.h"
#include "FuzzInput.h"

#include "platform/Bitmap.h"
#include "print/PageComposer.h"
#include "support/ComposeOnto.h"

#include <QByteArray>
#include <QDir>
#include <climits>
#include <cstdio>
#include <string>
#include <unistd.h>

using namespace versino;
using versino::fuzz::check;
using versino::fuzz::checkedSurface;
using versino::fuzz::InputReader;
using versino::testing::FakeSurface;

namespace {

// A page is never of negative size; any other size goes, the largest included.
const std::vector<std::int32_t> kPageSides = {4760, 6814, 0, 1, 2, 100, 1 << 20, INT_MAX, 51};
const std::vector<std::int32_t> kSizes = {12, 0, 1000, 100000, -5};

std::string describe(const BitmapLoad& load) {
    return std::to_string(int(load.status)) + " " + std::to_string(load.bitmap.width()) + "x" +
           std::to_string(load.bitmap.height());
}

// One scratch file per process, removed after each input (a process that ends without running its
// static destructors, as the test's child processes do, leaves nothing behind).
const std::string& scratchFile() {
    static const std::string path =
        QDir::tempPath().toStdString() + "/versino-fuzz-" + std::to_string(::getpid()) + ".bmp";
    return path;
}

struct ScratchRemover {
    ~ScratchRemover() { std::remove(scratchFile().c_str()); }
};

bool writeScratch(const std::string& bytes) {
    std::FILE* f = std::fopen(scratchFile().c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace

void versino::fuzz::bitmapInput(const std::uint8_t* data, std::size_t size) {
    InputReader in(data, size);
    FakeSurface page = checkedSurface();
    page.width = in.pick(kPageSides) & INT_MAX;
    page.height = in.pick(kPageSides) & INT_MAX;
    const int lyricLines = in.byte();
    const int textSize = in.pick(kSizes);
    const std::string file = in.rest();

    const BitmapLoad decoded = decodeBitmap(QByteArray(file.data(), qsizetype(file.size())));
    if (decoded.status == BitmapLoad::Status::Loaded) {
        const Bitmap& b = decoded.bitmap;
        check(b.width() >= 0 && b.height() >= 0, "a picture of negative size", describe(decoded));
        check(std::int64_t(b.width()) * b.height() <= kMaxBitmapPixels, "a picture above the pixel bound",
              describe(decoded));
        if (b.width() > 0 && b.height() > 0)
            check(b.image().width() == b.width() && b.image().height() == b.height(),
                  "the image differs from the picture's size", describe(decoded));
    } else {
        check(decoded.status == BitmapLoad::Status::NotABitmap, "decoding bytes cannot fail to open");
    }

    const ScratchRemover remover;
    if (!writeScratch(file))
        return; // the scratch file system is full: nothing to learn from this input
    const BitmapLoad loaded = loadBitmap(scratchFile());
    check(describe(loaded) == describe(decoded), "loading from a file differs from decoding the bytes",
          describe(loaded) + " / " + describe(decoded));

    SongDocument doc;
    doc.TextFont.size = textSize;
    std::string lyrics;
    for (int i = 0; i < lyricLines; ++i)
        lyrics += "<C>Zeile\r\n";
    doc.TextEdit().setText(lyrics);
    doc.GraphikEdit().setText(scratchFile());
    page.lowestY = 150;
    const PageReport report = versino::testing::composeOnto(page, doc);
    check(report.picture != PageReport::Picture::CannotOpen, "a readable picture file could not be opened", report.pictureError.toStdString());

    check(page.pictures.size() <= 1, "more than one picture on a page");
    if (page.pictures.empty())
        return;
    check(decoded.status == BitmapLoad::Status::Loaded, "a picture was drawn from a file that is none");
    const PageBox& box = page.pictures.front();
    const std::string where = std::to_string(box.left) + "," + std::to_string(box.top) + "," +
                              std::to_string(box.right) + "," + std::to_string(box.bottom) + " on " +
                              std::to_string(page.width) + "x" + std::to_string(page.height) + " for " +
                              describe(decoded);
    check(box.bottom == page.height - 50, "the picture does not stand on the bottom margin", where);
    if (page.width > 0)
        check(box.left >= 0 && box.right <= page.width, "the picture reaches past the page's sides", where);
    check(std::int64_t(box.right) - box.left <= decoded.bitmap.width() &&
              std::int64_t(box.bottom) - box.top <= decoded.bitmap.height(),
          "the picture was scaled up", where);
}

VERSINO_FUZZ_ENTRY(versino::fuzz::bitmapInput)
