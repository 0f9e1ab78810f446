#include "platform/PageCanvas.h"

#include "platform/PageRecorder.h"
#include "platform/PainterSurface.h"
#include "platform/QtPrinter.h"

#include <algorithm>
#include <cmath>

namespace versino {

namespace {

constexpr double kInchesPerMetre = 1.0 / 0.0254;

int dotsPerMetre(int dpi) {
    return int(std::lround(dpi * kInchesPerMetre));
}

} // namespace

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
