#include "print/PagePainting.h"

#include "platform/PainterSurface.h"
#include "platform/QtPrinter.h"

namespace versino {

void paintPage(QPainter& painter, const ComposedPage& page) {
    const QSize pageSize(page.width, page.height);
    painter.save();
    painter.fillRect(QRect(QPoint(0, 0), pageSize), Qt::white);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    PainterSurface surface(painter, pageSize, kPrintResolution);
    drawPage(page, surface);
    painter.restore();
}

QImage pageImage(const ComposedPage& page, QSize imageSize) {
    QImage image(imageSize, QImage::Format_RGB32);
    if (image.isNull() || page.width <= 0 || page.height <= 0)
        return image;
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(double(imageSize.width()) / page.width, double(imageSize.height()) / page.height);
    paintPage(painter, page);
    return image;
}

} // namespace versino
