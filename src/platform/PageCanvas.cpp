#include "platform/PageCanvas.h"

#include "platform/PageRecorder.h"
#include "platform/PainterSurface.h"
#include "platform/QtPrinter.h"

namespace versino {

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

QImage pageImage(const PageRecorder& page, QSize pageSize, QSize imageSize) {
    QImage image(imageSize, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(double(imageSize.width()) / pageSize.width(), double(imageSize.height()) / pageSize.height());
    paintPage(painter, page, pageSize);
    return image;
}

} // namespace versino
