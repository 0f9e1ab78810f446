#pragma once

#include "platform/PrintSurface.h"

#include <QImage>
#include <QPageSize>
#include <QString>
#include <memory>

class QPainter;

namespace versino {

class PainterSurface;

// A printer whose one job is a PNG image of the page. The composer sees the printed page: device
// units of 600 dots per inch and text measured at that resolution; the painter scales it down to
// the image, so the image shows exactly what paper would. The file is written atomically when the
// job ends: a failure leaves an existing file as it was.
class ImagePrinter final : public Printer {
public:
    // The image of a `paper` page at `dotsPerInch`.
    ImagePrinter(const QString& fileName, QPageSize::PageSizeId paper, double dotsPerInch);
    ~ImagePrinter() override;

    // The resolution at which the longer side of a `paper` page is `pixels` long.
    static double dotsPerInchForLongerSide(QPageSize::PageSizeId paper, int pixels);

    void setPortrait() override {}
    PrintSurface& beginDocument() override;
    // Writes the file; a file error is thrown as a PrinterError naming the file.
    void endDocument() override;

    // The last page drawn (for tests).
    const QImage& image() const { return image_; }

private:
    QString fileName_;
    QPageSize::PageSizeId paper_;
    double dotsPerInch_;
    QImage image_;
    std::unique_ptr<QPainter> painter_;
    std::unique_ptr<PainterSurface> surface_;
};

} // namespace versino
