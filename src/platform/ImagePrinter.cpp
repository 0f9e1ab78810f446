#include "platform/ImagePrinter.h"

#include "io/AtomicFile.h"
#include "platform/PageCanvas.h"

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

ImagePrinter::ImagePrinter(const QString& fileName, QPageSize::PageSizeId paper, double dotsPerInch)
    : fileName_(fileName), paper_(paper), dotsPerInch_(dotsPerInch), metrics_(paper) {}

ImagePrinter::~ImagePrinter() = default;

double ImagePrinter::dotsPerInchForLongerSide(QPageSize::PageSizeId paper, int pixels) {
    const QSizeF inches = QPageSize(paper).size(QPageSize::Inch);
    return pixels / std::max(inches.width(), inches.height());
}

PrintSurface& ImagePrinter::beginDocument() {
    page_ = std::make_unique<PageRecorder>(metrics_.surface());
    return *page_;
}

void ImagePrinter::endDocument() {
    if (!page_)
        return;
    const QSize page(page_->pageWidth(), page_->pageHeight());
    image_ = pageImage(*page_, page, pixelsAt(paper_, dotsPerInch_));
    page_.reset();
    if (image_.isNull())
        throw PrinterError(kPrintJobFailed);
    const int dotsPerMeter = int(std::lround(dotsPerInch_ * kInchesPerMeter));
    image_.setDotsPerMeterX(dotsPerMeter);
    image_.setDotsPerMeterY(dotsPerMeter);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image_))
        throw PrinterError(kPrintJobFailed);
    writeFileAtomically(fileName_, std::string_view(png.constData(), std::size_t(png.size())));
}

} // namespace versino
