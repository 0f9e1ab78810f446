#include "platform/ImagePrinter.h"

#include "document/AtomicFile.h"
#include "document/FileError.h"
#include "platform/PainterSurface.h"
#include "platform/QtPrinter.h"

#include <QBuffer>
#include <QImageWriter>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace versino {
namespace {

constexpr double kInchesPerMeter = 1.0 / 0.0254;

QSize pixelsAt(QPageSize::PageSizeId paper, double dotsPerInch) {
    const QSizeF inches = QPageSize(paper).size(QPageSize::Inch);
    return QSize(std::max(1, int(std::lround(inches.width() * dotsPerInch))),
                 std::max(1, int(std::lround(inches.height() * dotsPerInch))));
}

} // namespace

ImagePrinter::ImagePrinter(const QString& fileName, QPageSize::PageSizeId paper, double dotsPerInch)
    : fileName_(fileName), paper_(paper), dotsPerInch_(dotsPerInch) {}

ImagePrinter::~ImagePrinter() {
    surface_.reset();
    if (painter_ && painter_->isActive())
        painter_->end();
}

double ImagePrinter::dotsPerInchForLongerSide(QPageSize::PageSizeId paper, int pixels) {
    const QSizeF inches = QPageSize(paper).size(QPageSize::Inch);
    return pixels / std::max(inches.width(), inches.height());
}

PrintSurface& ImagePrinter::beginDocument() {
    // The page as the printer has it: the whole sheet at 600 dots per inch.
    const QSize page = QPageSize(paper_).sizePixels(kPrintResolution);
    image_ = QImage(pixelsAt(paper_, dotsPerInch_), QImage::Format_RGB32);
    if (image_.isNull())
        throw PrinterError(kPrintJobFailed);
    image_.fill(Qt::white);
    // Fonts are resolved and measured at the printer's resolution; only the drawing is scaled.
    const int printDotsPerMeter = int(std::lround(kPrintResolution * kInchesPerMeter));
    image_.setDotsPerMeterX(printDotsPerMeter);
    image_.setDotsPerMeterY(printDotsPerMeter);
    painter_ = std::make_unique<QPainter>();
    if (!painter_->begin(&image_))
        throw PrinterError(kPrintJobFailed);
    painter_->setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    painter_->scale(double(image_.width()) / page.width(), double(image_.height()) / page.height());
    surface_ = std::make_unique<PainterSurface>(*painter_, page);
    return *surface_;
}

void ImagePrinter::endDocument() {
    surface_.reset();
    if (painter_ && painter_->isActive())
        painter_->end();
    painter_.reset();
    const int dotsPerMeter = int(std::lround(dotsPerInch_ * kInchesPerMeter));
    image_.setDotsPerMeterX(dotsPerMeter);
    image_.setDotsPerMeterY(dotsPerMeter);

    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image_))
        throw PrinterError(kPrintJobFailed);
    try {
        AtomicFile file(fileName_);
        file.write(std::string_view(png.constData(), std::size_t(png.size())));
        file.commit();
    } catch (const FileError& e) {
        throw PrinterError((fileName_ + QStringLiteral(": ")).toStdString() + e.what());
    }
}

} // namespace versino
