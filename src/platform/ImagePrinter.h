#pragma once

#include "platform/PageMetrics.h"
#include "platform/PrintSurface.h"

#include <QImage>
#include <QPainter>
#include <QPageSize>
#include <QString>
#include <memory>

namespace versino {

class PainterSurface;

// A printer whose one job is a PNG image of the page. The page measures with the printer's
// measures (600 dots per inch, the whole sheet) and is drawn the way the page preview draws it,
// scaled to the image, so the image shows exactly what paper would. The file is written atomically
// when the job ends: a failure leaves an existing file as it was.
class ImagePrinter final : public Printer {
public:
    // The image of a `paper` page at `dotsPerInch`.
    ImagePrinter(const QString& fileName, QPageSize::PageSizeId paper, double dotsPerInch);
    ~ImagePrinter() override;

    // The resolution at which the longer side of a `paper` page is `pixels` long.
    static double dotsPerInchForLongerSide(QPageSize::PageSizeId paper, int pixels);

    void setPortrait() override {}
    PrintSurface& beginDocument() override;
    // Writes the page's image and starts the next one, in a file of the name with "-2" before its
    // extension ("Lied.png", "Lied-2.png").
    PrintSurface& nextPage() override;
    static QString secondPageName(const QString& fileName);
    // Draws and writes the image. Throws PrinterError when no image can be made, FileError when
    // the file cannot be written.
    void endDocument() override;

private:
    QString fileName_;
    QPageSize::PageSizeId paper_;
    double dotsPerInch_;
    class Page;

    PageMetrics metrics_;
    QImage image_;
    QPainter painter_;
    std::unique_ptr<PainterSurface> canvas_;
    std::unique_ptr<Page> page_;
};

} // namespace versino
