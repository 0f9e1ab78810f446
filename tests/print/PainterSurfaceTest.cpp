#include "platform/PainterSurface.h"
#include "platform/QtFont.h"
#include "document/SongDocument.h"
#include "platform/Bitmap.h"
#include "support/GuiApp.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>
#include <memory>

using versino::Bitmap;
using versino::PageBox;
using versino::PainterSurface;

namespace {

// A 600 dots-per-inch image stands in for the printer: the same painter code draws on both.
class Surface : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        versino::testing::guiApp();
    }

    QImage image{1200, 800, QImage::Format_RGB32};
    std::unique_ptr<QPainter> painter;
    std::unique_ptr<PainterSurface> surface;

    void SetUp() override {
        const int dotsPerMetre = int(600 / 0.0254 + 0.5);
        image.setDotsPerMeterX(dotsPerMetre);
        image.setDotsPerMeterY(dotsPerMetre);
        image.fill(Qt::black);
        painter = std::make_unique<QPainter>(&image);
        surface = std::make_unique<PainterSurface>(*painter);
        surface->setFontName("Liberation Sans");
        surface->setFontSize(12);
    }
    void finish() { painter->end(); }
    int count(QRgb colour) const {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
        return n;
    }
};

TEST(PixelSize, pointsAreConvertedAtTheDeviceResolutionWithOnePointAtLeast) {
    EXPECT_EQ(versino::pixelSizeFor(12, 600), 100);
    EXPECT_EQ(versino::pixelSizeFor(10, 600), 83);
    EXPECT_EQ(versino::pixelSizeFor(1, 600), 8);
    EXPECT_EQ(versino::pixelSizeFor(0, 600), 8);
    EXPECT_EQ(versino::pixelSizeFor(-7, 600), 8);
    EXPECT_GT(versino::pixelSizeFor(INT32_MAX, 600), 0);
}

TEST_F(Surface, pageIsTheDeviceInDeviceUnits) {
    EXPECT_EQ(surface->pageWidth(), 1200);
    EXPECT_EQ(surface->pageHeight(), 800);
}

TEST_F(Surface, heightIsTheFontCellAndScalesWithPoints) {
    const int h12 = surface->textHeight("ABCdefg");
    // A 12-point font at 600 dpi is 100 pixels to the em; its cell is a little more.
    EXPECT_GE(h12, 100);
    EXPECT_LE(h12, 130);
    surface->setFontSize(24);
    EXPECT_NEAR(surface->textHeight("x"), 2 * h12, 3);
    surface->setFontSize(0);
    const int h0 = surface->textHeight("x");
    surface->setFontSize(1);
    EXPECT_EQ(h0, surface->textHeight("x"));
    surface->setFontSize(-4);
    EXPECT_EQ(h0, surface->textHeight("x"));
}

// Chords are placed by prefix widths, so the width of a text must be the advance to the next
// character drawn after it.
TEST_F(Surface, widthOfPrefixIsWhereTheNextCharacterStarts) {
    EXPECT_EQ(surface->textWidth(""), 0);
    const int ab = surface->textWidth("AV");
    const int abc = surface->textWidth("AVA");
    EXPECT_EQ(abc - ab, surface->textWidth("A"));
    surface->setFontStyle(versino::FontStyle::Bold);
    EXPECT_GT(surface->textWidth("AVA"), abc);
}

TEST_F(Surface, textIsDrawnOnAnOpaqueWhiteCellInTheSettingsColour) {
    surface->setFontColor(255); // 0x00BBGGRR: pure red
    surface->drawText(100, 200, "Hamburg");
    const int w = surface->textWidth("Hamburg");
    const int h = surface->textHeight("Hamburg");
    finish();
    EXPECT_GT(count(qRgb(255, 0, 0)), 500);
    EXPECT_EQ(count(qRgb(0, 0, 255)), 0);
    // The cell's corners are white; just outside them the black page is untouched.
    EXPECT_EQ(image.pixel(100, 200), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(100 + w - 1, 200 + h - 1), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(99, 200), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(100, 199), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(100 + w + 1, 200 + h + 1), qRgb(0, 0, 0));
}

TEST_F(Surface, emptyTextLeavesThePageUnchanged) {
    surface->drawText(10, 10, "");
    finish();
    EXPECT_EQ(count(qRgb(0, 0, 0)), 1200 * 800);
}

TEST_F(Surface, windows1252BytesAreDrawnAsTheirCharacters) {
    // "€" is byte 128 in Windows-1252 and has the width of a letter, not of a control character.
    EXPECT_GT(surface->textWidth("\x80"), 20);
    EXPECT_GT(surface->textWidth("\xE4\xF6\xFC"), 3 * 20); // äöü
}

TEST_F(Surface, bitmapIsStretchedIntoTheBox) {
    QImage blue(2, 2, QImage::Format_RGB32);
    blue.fill(Qt::blue);
    surface->stretchDraw(PageBox{100, 100, 300, 150}, Bitmap(2, 2, blue));
    finish();
    EXPECT_EQ(count(qRgb(0, 0, 255)), 200 * 50);
    EXPECT_EQ(image.pixel(100, 100), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(299, 149), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(300, 149), qRgb(0, 0, 0));
}

} // namespace
