#include "platform/PageMetrics.h"

#include "platform/PainterSurface.h"
#include "platform/QtPrinter.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>

namespace versino {

PageMetrics::PageMetrics(QPageSize::PageSizeId paper)
    : sink_(std::make_unique<QBuffer>()), writer_(std::make_unique<QPdfWriter>(sink_.get())),
      painter_(std::make_unique<QPainter>()) {
    sink_->open(QIODevice::WriteOnly);
    writer_->setResolution(kPrintResolution);
    writer_->setPageLayout(
        QPageLayout(QPageSize(paper), QPageLayout::Portrait, QMarginsF(), QPageLayout::Millimeter));
    painter_->begin(writer_.get());
    surface_ = std::make_unique<PainterSurface>(*painter_);
}

PageMetrics::~PageMetrics() {
    surface_.reset();
    if (painter_->isActive())
        painter_->end();
}

PrintSurface& PageMetrics::surface() {
    return *surface_;
}

} // namespace versino
