#pragma once

#include "platform/PrintSurface.h"

#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QSize>
#include <memory>

namespace versino {

class PainterSurface;
class PageRecorder;

// The size in device units (600 dots per inch) of a whole sheet of `paper`, portrait: the page of
// a PDF and of the preview.
QSize sheetSize(QPageSize::PageSizeId paper);

// A page that measures text exactly as the printer and the PDF do (600 dots per inch), without a
// printer or a file: what the preview, the page check and fit-to-page compose on.
class PageMetrics {
public:
    explicit PageMetrics(QSize page);
    ~PageMetrics();
    PageMetrics(const PageMetrics&) = delete;
    PageMetrics& operator=(const PageMetrics&) = delete;

    PrintSurface& surface();
    QSize page() const { return page_; }

private:
    QSize page_;
    QImage device_;
    QPainter painter_;
    std::unique_ptr<PainterSurface> surface_;
};

// Draws a composed page with `painter`, whose transform maps the page's device units (600 dots per
// inch, origin at the page's top-left corner) to wherever the page is shown. The sheet itself is
// filled white first.
void paintPage(QPainter& painter, const PageRecorder& page, QSize pageSize);

// The composed page as an image at `dpi` pixels per inch.
QImage pageImage(const PageRecorder& page, QSize pageSize, int dpi);

} // namespace versino
