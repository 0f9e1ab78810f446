#include "platform/Bitmap.h"
#include "commands/PrintCommand.h"
#include "platform/PageMetrics.h"
#include "print/ComposedPage.h"
#include "platform/QtPrinter.h"
#include "print/BmpFiles.h"
#include "print/PageComposer.h"
#include "support/ScriptedDialogs.h"
#include "support/GuiApp.h"

#include <QFile>
#include <QGuiApplication>
#include <QStringList>
#include <QTemporaryDir>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <functional>
#include <future>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using versino::BitmapLoad;
using versino::decodeBitmap;
using versino::loadBitmap;
using versino::testing::bmpBytes;
using versino::testing::writeBytes;
using Status = BitmapLoad::Status;

namespace {

QByteArray jpegLike() {
    return QByteArray("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00", 20);
}

class BitmapFile : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::string path(const char* name) const { return dir.filePath(name).toStdString(); }
    std::string write(const char* name, const QByteArray& bytes) const {
        writeBytes(dir.filePath(name), bytes);
        return path(name);
    }
};

TEST_F(BitmapFile, contentDecidesNotTheName) {
    const BitmapLoad r = loadBitmap(write("picture.jpg", bmpBytes(30, 20)));
    ASSERT_EQ(r.status, Status::Loaded);
    EXPECT_EQ(r.bitmap.width(), 30);
    EXPECT_EQ(r.bitmap.height(), 20);
    EXPECT_FALSE(r.bitmap.image().isNull());
}

// The loader keeps the last picture it decoded; a file changed since must be read again.
TEST_F(BitmapFile, rewrittenFileIsReadAgain) {
    const std::string p = write("changing.bmp", bmpBytes(30, 20));
    EXPECT_EQ(loadBitmap(p).bitmap.width(), 30);
    EXPECT_EQ(loadBitmap(p).bitmap.width(), 30);
    write("changing.bmp", bmpBytes(40, 10));
    const BitmapLoad r = loadBitmap(p);
    EXPECT_EQ(r.bitmap.width(), 40);
    EXPECT_EQ(r.bitmap.height(), 10);
    write("changing.bmp", jpegLike());
    EXPECT_EQ(loadBitmap(p).status, Status::NotABitmap);
    ASSERT_EQ(::unlink(p.c_str()), 0);
    EXPECT_EQ(loadBitmap(p).status, Status::CannotOpen);
}

TEST_F(BitmapFile, topDownRowsAreABitmapOfPositiveHeight) {
    const BitmapLoad r = loadBitmap(write("down.bmp", bmpBytes(5, 7, -1, std::uint32_t(-7))));
    ASSERT_EQ(r.status, Status::Loaded);
    EXPECT_EQ(r.bitmap.height(), 7);
}

TEST_F(BitmapFile, windows1252PathIsFound) {
    writeBytes(dir.filePath(QString::fromUtf8("B\xC3\xA4ume.bmp")), bmpBytes(3, 3));
    EXPECT_EQ(loadBitmap(path("") + "/B\xE4ume.bmp").status, Status::Loaded);
}

TEST_F(BitmapFile, zeroSizeIsAPictureWithoutImage) {
    const BitmapLoad r = loadBitmap(write("zero.bmp", bmpBytes(4, 4, 0, -1)));
    ASSERT_EQ(r.status, Status::Loaded);
    EXPECT_EQ(r.bitmap.width(), 0);
    EXPECT_TRUE(r.bitmap.image().isNull());
}

TEST_F(BitmapFile, hugeClaimedSizeIsRefusedWithoutDecoding) {
    // The memory such a header claims is never asked for (the hardening tests bound the memory).
    EXPECT_EQ(loadBitmap(write("huge.bmp", bmpBytes(2, 2, 100000, 100000))).status, Status::NotABitmap);
    EXPECT_EQ(loadBitmap(write("wide.bmp", bmpBytes(2, 2, 0x7FFFFFFF, 1 << 30))).status, Status::NotABitmap);
}

TEST_F(BitmapFile, negativeWidthAndTruncatedDataNeverCrash) {
    EXPECT_EQ(loadBitmap(write("neg.bmp", bmpBytes(2, 2, std::uint32_t(-2), -1))).status, Status::NotABitmap);
    // Cut anywhere in the header or the rows, the rest is no picture; whole, it is one.
    const QByteArray whole = bmpBytes(300, 200);
    for (const int size : {10, 30, 54, 200, int(whole.size()) / 2, int(whole.size()) - 1}) {
        SCOPED_TRACE(size);
        EXPECT_EQ(loadBitmap(write("cut.bmp", whole.left(size))).status, Status::NotABitmap);
    }
    EXPECT_EQ(loadBitmap(write("cut.bmp", whole)).status, Status::Loaded);
}

TEST_F(BitmapFile, fileAboveTheSizeBoundIsNotRead) {
    const std::string big = write("big.bmp", bmpBytes(2, 2));
    ASSERT_EQ(::truncate(big.c_str(), versino::kMaxBitmapFileBytes + 1), 0);
    EXPECT_EQ(loadBitmap(big).status, Status::NotABitmap);
}

TEST_F(BitmapFile, missingFileCannotBeOpened) {
    const BitmapLoad r = loadBitmap(path("missing.bmp"));
    EXPECT_EQ(r.status, Status::CannotOpen);
    EXPECT_EQ(r.errnum, ENOENT);
}

TEST_F(BitmapFile, folderAndDeviceAreRefusedAsAccessDenied) {
    for (const std::string& p : {dir.path().toStdString(), std::string("/dev/zero")}) {
        const BitmapLoad r = loadBitmap(p);
        EXPECT_EQ(r.status, Status::CannotOpen) << p;
        EXPECT_EQ(r.errnum, EACCES) << p;
    }
}

TEST_F(BitmapFile, fifoWithoutWriterNeverBlocks) {
    const std::string fifo = path("pipe.bmp");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    auto result = std::async(std::launch::async, [&] { return loadBitmap(fifo); });
    if (result.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        // Release the blocked reader so that the test can end, then fail.
        const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
        FAIL() << "loading a FIFO blocked";
    }
    const BitmapLoad r = result.get();
    EXPECT_EQ(r.status, Status::CannotOpen);
    EXPECT_EQ(r.errnum, EACCES);
}

} // namespace

namespace {

// A 16-bit BMP, which the image reader decodes into 32 bits a pixel, filled in one go.
QByteArray bmp16(int width, int height) {
    const int stride = (width * 2 + 3) / 4 * 4;
    QByteArray b(54, '\0');
    auto put = [&b](int at, std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            b[at + i] = char((v >> (8 * i)) & 0xFF);
    };
    b[0] = 'B';
    b[1] = 'M';
    put(2, std::uint32_t(54 + qsizetype(stride) * height), 4);
    put(10, 54, 4);
    put(14, 40, 4);
    put(18, std::uint32_t(width), 4);
    put(22, std::uint32_t(height), 4);
    put(26, 1, 2);
    put(28, 16, 2);
    b.append(QByteArray(qsizetype(stride) * height, '\x5a'));
    return b;
}

QStringList qtMessagesDuring(const std::function<void()>& act) {
    static QStringList* seen = nullptr;
    QStringList messages;
    seen = &messages;
    const QtMessageHandler before =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) { seen->append(text); });
    act();
    qInstallMessageHandler(before);
    seen = nullptr;
    return messages;
}

} // namespace

TEST(BitmapDecoding, aCameraSizedPictureIsDecodedQuietly) {
    const QByteArray camera = bmp16(6000, 6000); // 36 megapixels, 144 MB once decoded
    BitmapLoad load;
    const QStringList messages = qtMessagesDuring([&] { load = decodeBitmap(camera); });
    ASSERT_EQ(load.status, BitmapLoad::Status::Loaded);
    EXPECT_EQ(load.bitmap.image().width(), 6000);
    EXPECT_EQ(load.bitmap.image().height(), 6000);
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
}

TEST(BitmapDecoding, pixelDataPastTheEndIsNoPictureAndSaysNothing) {
    QByteArray shortFile = bmp16(4, 4);
    shortFile[10] = char(0xFF); // pixel data "starts" 255 bytes in, past the end
    BitmapLoad load;
    const QStringList messages = qtMessagesDuring([&] { load = decodeBitmap(shortFile); });
    EXPECT_EQ(load.status, BitmapLoad::Status::NotABitmap);
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
}

namespace {

// A cache hands back the picture it decoded (the same image, so that a PDF stores it once) for as
// long as the file is the same file, unchanged; a file written anew or put in its place is read
// again. Without a cache every load decodes afresh.
TEST_F(BitmapFile, cacheKeepsAPictureOnlyWhileItsFileIsUnchanged) {
    const std::string p = write("shared.bmp", bmpBytes(30, 20));
    versino::BitmapCache cache;
    const BitmapLoad first = loadBitmap(p, &cache);
    ASSERT_EQ(first.status, Status::Loaded);
    EXPECT_EQ(loadBitmap(p, &cache).bitmap.image().cacheKey(), first.bitmap.image().cacheKey());
    EXPECT_NE(loadBitmap(p).bitmap.image().cacheKey(), first.bitmap.image().cacheKey());

    write("shared.bmp", bmpBytes(40, 10));
    EXPECT_EQ(loadBitmap(p, &cache).bitmap.width(), 40);

    // Another file of the same size moved into its place.
    const std::string other = write("other.bmp", bmpBytes(20, 20));
    ASSERT_EQ(::rename(other.c_str(), p.c_str()), 0);
    EXPECT_EQ(loadBitmap(p, &cache).bitmap.width(), 20);

    ASSERT_EQ(::unlink(p.c_str()), 0);
    EXPECT_EQ(loadBitmap(p, &cache).status, Status::CannotOpen);
}

class PictureOnPages : public BitmapFile {
protected:
    static void SetUpTestSuite() {
        versino::testing::guiApp();
    }
    void SetUp() override {
        doc.InstallDefaultFonts();
        doc.TextEdit().setText("Eine Zeile\r\n");
        doc.GraphikEdit().setText(write("shared.bmp", bmpBytes(30, 20)));
    }
    versino::SongDocument doc;
};

// A book that shows the same picture on every page stores it once.
TEST_F(PictureOnPages, aBookStoresItOnce) {
    const QString book = dir.filePath("book.pdf");
    {
        versino::PdfBookPrinter pdf(book);
        versino::testing::ScriptedDialogs dialogs;
        for (int page = 0; page < 3; ++page)
            ASSERT_TRUE(versino::DruckenClick(doc, dialogs, pdf));
        EXPECT_TRUE(dialogs.errors.empty());
        ASSERT_NO_THROW(pdf.finish());
    }
    QFile file(book);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_EQ(bytes.count("/Type /Page\n"), 3); // one page object each; the tree is "/Type /Pages"
    EXPECT_EQ(bytes.count("/Subtype /Image"), 1);
}

// The preview composes each version of the song anew over one measuring page; the picture is
// decoded once for all of them.
TEST_F(PictureOnPages, previewsOverOneMeasuringPageShareIt) {
    versino::PageMetrics metrics;
    const auto pictureOf = [&] {
        const versino::ComposedPage page = versino::composePage(doc, metrics.surface());
        if (page.picture)
            return page.picture->bitmap.image().cacheKey();
        ADD_FAILURE() << "no picture on the page";
        return qint64(0);
    };
    const qint64 first = pictureOf();
    doc.TextEdit().setText("Eine andere Zeile\r\n");
    EXPECT_EQ(pictureOf(), first);
}

} // namespace
