#pragma once

#include "platform/PrintSurface.h"

#include <QPageSize>
#include <memory>

class QBuffer;
class QPainter;
class QPdfWriter;

namespace versino {

class PainterSurface;

// A page that measures text exactly as the printed page does (600 dots per inch, the printable
// area being the whole sheet, as in a PDF) and keeps nothing: for laying out a page that is not
// printed, such as the page check's. What is drawn on it goes nowhere.
class PageMetrics {
public:
    explicit PageMetrics(QPageSize::PageSizeId paper = QPageSize::A4);
    ~PageMetrics();

    PrintSurface& surface();

private:
    std::unique_ptr<QBuffer> sink_;
    std::unique_ptr<QPdfWriter> writer_;
    std::unique_ptr<QPainter> painter_;
    std::unique_ptr<PainterSurface> surface_;
};

} // namespace versino
