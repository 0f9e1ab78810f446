#include "platform/PageCanvas.h"

#include "platform/PageRecorder.h"
#include "platform/PainterSurface.h"
#include "platform/QtPrinter.h"

#include <QPageLayout>
#include <cmath>

namespace versino {

namespace {

constexpr double kInchesPerMetre = 1.0 / 0.0254;

int dotsPerMetre(int dpi) {
    return int(std::lround(dpi * kInchesPerMetre));
}

} // namespace

QSize sheetSize(QPageSize::PageSizeId paper) {
    // The same rounding as the PDF writer's page at this resolution.
    return QPageLayout(QPageSize(paper), QPageLayout::Portrait, QMarginsF())
        .paintRectPixels(kPrintResolution)
        .size();
}

PageMetrics::PageMetrics(QSize page) : page_(page), device_(1, 1, QImage::Format_RGB32) {
    // Text is measured against the device's resolution: 600 dots per inch, as on paper.
    device_.setDotsPerMeterX(dotsPerMetre(kPrintResolution));
    device_.setDotsPerMeterY(dotsPerMetre(kPrintResolution));
    painter_.begin(&device_);
    surface_ = std::make_unique<PainterSurface>(painter_, page_, kPrintResolution);
}

PageMetrics::~PageMetrics() {
    surface_.reset();
    painter_.end();
}

PrintSurface& PageMetrics::surface() {
    return *surface_;
}

void paintPage(QPainter& painter, const PageRecorder& page, QSize pageSize) {
    painter.save();
    painter.fillRect(QRect(QPoint(0, 0), pageSize), Qt::white);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    PainterSurface surface(painter, pageSize, kPrintResolution);
    page.replay(surface);
    painter.restore();
}

QImage pageImage(const PageRecorder& page, QSize pageSize, int dpi) {
    const double scale = double(dpi) / kPrintResolution;
    QImage image(std::max(1, int(std::lround(pageSize.width() * scale))),
                 std::max(1, int(std::lround(pageSize.height() * scale))), QImage::Format_RGB32);
    image.setDotsPerMeterX(dotsPerMetre(dpi));
    image.setDotsPerMeterY(dotsPerMetre(dpi));
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(scale, scale);
    paintPage(painter, page, pageSize);
    return image;
}

} // namespace versino
