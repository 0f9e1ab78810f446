#include "ui/Glyphs.h"

#include <QBitmap>
#include <QImage>
#include <QPixmap>

namespace versino::ui {
namespace {

QPixmap transparentAtBottomLeft(const QImage& image) {
    QPixmap pixmap = QPixmap::fromImage(image);
    const QRgb key = image.pixel(0, image.height() - 1);
    pixmap.setMask(QBitmap::fromImage(image.createMaskFromColor(key, Qt::MaskInColor)));
    return pixmap;
}

} // namespace

QIcon loadGlyph(const QString& resource, bool withDisabled) {
    const QImage image(resource);
    QIcon icon;
    if (image.isNull())
        return icon;
    if (!withDisabled) {
        icon.addPixmap(transparentAtBottomLeft(image), QIcon::Normal);
        return icon;
    }
    const int w = image.width() / 2;
    icon.addPixmap(transparentAtBottomLeft(image.copy(0, 0, w, image.height())), QIcon::Normal);
    icon.addPixmap(transparentAtBottomLeft(image.copy(w, 0, w, image.height())), QIcon::Disabled);
    return icon;
}

} // namespace versino::ui
