#include "platform/ImagePrinter.h"

#include "io/AtomicFile.h"
#include "io/FileError.h"
#include "platform/PainterSurface.h"
#include "platform/QtPrinter.h"

#include <QBuffer>
#include <QImageWriter>
#include <algorithm>
#include <cmath>

namespace versino {

namespace {

constexpr double kInchesPerMeter = 1.0 / 0.0254;

// The image's size: the paper's size in inches at the asked resolution.
QSize pixelsAt(QPageSize::PageSizeId paper, double dotsPerInch) {
    const QSizeF inches = QPageSize(paper).size(QPageSize::Inch);
    return QSize(std::max(1, int(std::lround(inches.width() * dotsPerInch))),
                 std::max(1, int(std::lround(inches.height() * dotsPerInch))));
}

} // namespace

// Measures as the printed page does and draws straight into the image.
class ImagePrinter::Page final : public PrintSurface {
public:
    Page(PrintSurface& measures, PrintSurface& canvas) : m_(measures), canvas_(canvas) {}

    int pageWidth() const override { return m_.pageWidth(); }
    int pageHeight() const override { return m_.pageHeight(); }
    void setFontName(const std::string& face) override { m_.setFontName(face), canvas_.setFontName(face); }
    void setFontSize(int points) override { m_.setFontSize(points), canvas_.setFontSize(points); }
    void setFontStyle(std::uint8_t style) override { m_.setFontStyle(style), canvas_.setFontStyle(style); }
    void setFontColor(std::int32_t color) override { m_.setFontColor(color), canvas_.setFontColor(color); }
    int textWidth(std::string_view text) override { return m_.textWidth(text); }
    int textHeight(std::string_view text) override { return m_.textHeight(text); }
    void drawText(int x, int y, std::string_view text) override { canvas_.drawText(x, y, text); }
    void stretchDraw(const PageBox& box, const Bitmap& bitmap) override { canvas_.stretchDraw(box, bitmap); }
    void drawShape(const PageShape& shape) override { canvas_.drawShape(shape); }
    BitmapCache* pictureCache() override { return m_.pictureCache(); }

private:
    PrintSurface& m_;
    PrintSurface& canvas_;
};

ImagePrinter::ImagePrinter(const QString& fileName, QPageSize::PageSizeId paper, double dotsPerInch)
    : fileName_(fileName), paper_(paper), dotsPerInch_(dotsPerInch), metrics_(paper) {}

ImagePrinter::~ImagePrinter() {
    page_.reset();
    canvas_.reset();
    if (painter_.isActive())
        painter_.end();
}

double ImagePrinter::dotsPerInchForLongerSide(QPageSize::PageSizeId paper, int pixels) {
    const QSizeF inches = QPageSize(paper).size(QPageSize::Inch);
    return pixels / std::max(inches.width(), inches.height());
}

PrintSurface& ImagePrinter::beginDocument() {
    PrintSurface& measures = metrics_.surface();
    const QSize page(measures.pageWidth(), measures.pageHeight());
    const QSize pixels = pixelsAt(paper_, dotsPerInch_);
    image_ = QImage(pixels, QImage::Format_RGB32);
    if (image_.isNull() || page.isEmpty())
        throw PrinterError(PrinterError::Kind::JobFailed);
    image_.fill(Qt::white);
    if (!painter_.begin(&image_))
        throw PrinterError(PrinterError::Kind::JobFailed);
    painter_.scale(double(pixels.width()) / page.width(), double(pixels.height()) / page.height());
    painter_.setRenderHint(QPainter::Antialiasing);
    painter_.setRenderHint(QPainter::TextAntialiasing);
    painter_.setRenderHint(QPainter::SmoothPixmapTransform);
    canvas_ = std::make_unique<PainterSurface>(painter_, page, kPrintResolution);
    page_ = std::make_unique<Page>(measures, *canvas_);
    return *page_;
}

QString ImagePrinter::secondPageName(const QString& fileName) {
    const qsizetype slash = fileName.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot <= slash + 1)
        return fileName + QStringLiteral("-2");
    return fileName.left(dot) + QStringLiteral("-2") + fileName.mid(dot);
}

PrintSurface& ImagePrinter::nextPage() {
    endDocument();
    fileName_ = secondPageName(fileName_);
    return beginDocument();
}

void ImagePrinter::endDocument() {
    if (!page_)
        return;
    page_.reset();
    canvas_.reset();
    painter_.end();
    const int dotsPerMeter = int(std::lround(dotsPerInch_ * kInchesPerMeter));
    image_.setDotsPerMeterX(dotsPerMeter);
    image_.setDotsPerMeterY(dotsPerMeter);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image_))
        throw PrinterError(PrinterError::Kind::JobFailed);
    writeFileAtomically(fileName_, std::string_view(png.constData(), std::size_t(png.size())));
}

} // namespace versino
