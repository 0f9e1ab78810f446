#pragma once

#include "print/ComposedPage.h"

#include <QImage>
#include <QPainter>
#include <QSize>

namespace versino {

// Draws a composed page with `painter`, whose transform maps the page's device units (600 dots per
// inch, origin at the page's top-left corner) to wherever the page is shown. The sheet itself is
// filled white first.
void paintPage(QPainter& painter, const ComposedPage& page);

// The composed page drawn into an image of `imageSize` pixels, scaled to fill it.
QImage pageImage(const ComposedPage& page, QSize imageSize);

} // namespace versino
